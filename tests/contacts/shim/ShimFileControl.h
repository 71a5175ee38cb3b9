// The ioctl shim's control file, for test programs that cannot call the shim's functions.
#pragma once

extern "C" {
// Starts the watcher of the control file named by VANDORET_SHIM_CONTROL, once per process; does
// nothing when the variable is not set.
void vandoret_shim_start_file_control();
}
