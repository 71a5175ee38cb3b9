// The ioctl shim driven through a file, for a test program that cannot call the shim's functions:
// a Windows test under wine, whose serial driver reads the modem lines with ioctl on the Unix side
// of the same process.
//
// VANDORET_SHIM_CONTROL names the control file. The test replaces it as a whole (write a new
// file, rename it over the old one) with one line of fields:
//
//   seq=<n> lines=<TIOCM_* bits> unplug=<0|1> [then=<TIOCM_* bits> after_us=<µs>]
//
// A thread started with the first modem-line request looks at the file every half millisecond.
// For each new seq it unplugs or plugs in the "adapter", sets the input lines, and with `then`
// sets those lines after_us later (a pulse); then it answers in "<control file>.status", again
// replaced as a whole:
//
//   seq=<n> lines=<bits> reads=<TIOCMGET calls> changed_us=<µs> seen_us=<µs> out=<DTR|RTS bits>
//
// changed_us is the moment the input lines last changed, seen_us the first line read after it
// (0 until then), both in µs since 1970 (the system clock, which the test can read as well).
// A request whose lines equal the current ones changes nothing: it only asks for the status.
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ShimFileControl.h"

extern "C" {
void vandoret_shim_set_lines(int lines);
void vandoret_shim_unplug(int on);
int vandoret_shim_output_lines();
long vandoret_shim_line_reads();
void vandoret_shim_change_times(long long* changed, long long* seen);
}

namespace {

struct Request {
    long seq = -1;
    int lines = 0;
    int unplug = 0;
    int then = -1;
    long afterMicros = 0;
};

void Pause(long micros) {
    timespec pause{micros / 1'000'000, (micros % 1'000'000) * 1000};
    while (nanosleep(&pause, &pause) != 0) {
    }
}

// Reads the request; false while the file is missing or not a complete line.
bool ReadRequest(const std::string& path, Request& request) {
    FILE* file = std::fopen(path.c_str(), "r");
    if (file == nullptr) {
        return false;
    }
    char text[256] = {};
    const size_t length = std::fread(text, 1, sizeof text - 1, file);
    std::fclose(file);
    if (length == 0 || text[length - 1] != '\n') {
        return false;
    }
    Request r;
    const int fields = std::sscanf(text, "seq=%ld lines=%d unplug=%d then=%d after_us=%ld", &r.seq, &r.lines, &r.unplug,
                                   &r.then, &r.afterMicros);
    if (fields != 3 && fields != 5) {
        return false;
    }
    request = r;
    return true;
}

void WriteStatus(const std::string& path, const Request& request, int lines) {
    long long changed = 0;
    long long seen = 0;
    vandoret_shim_change_times(&changed, &seen);
    const std::string temporary = path + ".new";
    FILE* file = std::fopen(temporary.c_str(), "w");
    if (file == nullptr) {
        return;
    }
    std::fprintf(file, "seq=%ld lines=%d reads=%ld changed_us=%lld seen_us=%lld out=%d\n", request.seq, lines,
                 vandoret_shim_line_reads(), changed, seen, vandoret_shim_output_lines());
    std::fclose(file);
    std::rename(temporary.c_str(), path.c_str());
}

void* Watch(void* argument) {
    const std::string control = static_cast<const char*>(argument);
    const std::string status = control + ".status";
    long done = -1;
    int lines = 0;
    struct stat last {};
    for (;;) {
        Pause(500);
        struct stat now {};
        if (stat(control.c_str(), &now) != 0) {
            continue;
        }
        if (now.st_ino == last.st_ino && now.st_size == last.st_size && now.st_mtim.tv_sec == last.st_mtim.tv_sec &&
            now.st_mtim.tv_nsec == last.st_mtim.tv_nsec) {
            continue;
        }
        Request request;
        if (!ReadRequest(control, request)) {
            continue;
        }
        last = now;
        if (request.seq == done) {
            continue;
        }
        vandoret_shim_unplug(request.unplug);
        vandoret_shim_set_lines(request.lines);
        lines = request.lines;
        if (request.then >= 0) {
            Pause(request.afterMicros);
            vandoret_shim_set_lines(request.then);
            lines = request.then;
        }
        done = request.seq;
        WriteStatus(status, request, lines);
    }
    return nullptr;
}

} // namespace

extern "C" void vandoret_shim_start_file_control() {
    const char* path = std::getenv("VANDORET_SHIM_CONTROL");
    if (path == nullptr || *path == '\0') {
        return;
    }
    // The host program (wine) handles signals on its own threads only: this one takes none.
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    pthread_t thread;
    if (pthread_create(&thread, nullptr, Watch, const_cast<char*>(path)) == 0) {
        pthread_detach(thread);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}
