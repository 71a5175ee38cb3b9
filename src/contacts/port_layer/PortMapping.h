// Which device a port number stands for on POSIX systems.
//
// The number -> device table is made once, when the program starts (the port layer is made just
// before the ports are listed for the settings dialog), and kept for the whole run: port numbers
// 1..32 are given to the serial devices found in /dev at that moment, in this order: USB-serial
// adapters /dev/ttyUSB0, ttyUSB1, ..., then /dev/ttyACM0, ..., then the built-in ports
// /dev/ttyS0, ... (numeric order within each group). A device plugged in later gets no number and
// moves no other; a device that went away keeps its number and simply fails to open, as a
// missing COM port does. An environment variable VANDORET_COM<n> (e.g. VANDORET_COM3=/dev/pts/5),
// read at the same moment, names the device of port n instead, whatever the listing gives; it may
// name any path. README.md ("Serial ports") documents the same rule.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vandoret {

inline constexpr int kMaxPortNumber = 32;

// The serial device paths among the names of /dev's entries, in port-number order.
std::vector<std::string> OrderSerialDevices(const std::vector<std::string>& devEntries);

// The device of port n: the variable VANDORET_COM<n> when it is set and not empty, else entry
// n - 1 of the ordered devices; empty when there is none or n is outside 1..32.
// lookup reads an environment variable (nullptr when unset).
std::string MapPortNumber(int port, const std::vector<std::string>& orderedDevices,
                          const std::function<const char*(const char*)>& lookup);

// The table of a run: entry n - 1 holds MapPortNumber(n) for n = 1..32.
std::vector<std::string> BuildPortTable(const std::vector<std::string>& orderedDevices,
                                        const std::function<const char*(const char*)>& lookup);
// The device of port n in a table; empty outside 1..32 or when the number has none.
std::string PortTableDevice(const std::vector<std::string>& table, int port);

} // namespace vandoret
