#include "lists/TextFile.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <random>
#include <system_error>

#include <fcntl.h>
#ifndef _WIN32
#include <unistd.h>
#else
#include <io.h>
#include <sys/stat.h>
#endif

namespace vandoret {

ReadOutcome ReadWholeFile(const std::string& name, std::string& bytes) {
    bytes.clear();
    if (name.empty()) {
        return ReadOutcome::NotOpened;
    }
    const std::filesystem::path path = PathFromUtf8(name);
    std::error_code ec;
    // Only plain files: a folder opens for reading on some systems and then reads as nothing,
    // and a device or a pipe may never end.
    if (!std::filesystem::is_regular_file(path, ec)) {
        return ReadOutcome::NotOpened;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) {
        return ReadOutcome::NotOpened;
    }
    // Read the size the file has now plus one byte (to see it has grown), then in large chunks.
    std::size_t chunk = std::size_t{1} << 16;
    const auto size = std::filesystem::file_size(path, ec);
    if (!ec && size < (std::uintmax_t{1} << 40)) {
        chunk = static_cast<std::size_t>(size) + 1;
    }
    for (;;) {
        const std::size_t old = bytes.size();
        bytes.resize(old + chunk);
        in.read(bytes.data() + old, static_cast<std::streamsize>(chunk));
        const auto got = static_cast<std::size_t>(in.gcount());
        bytes.resize(old + got);
        if (in.bad()) {
            return ReadOutcome::ReadFailed;
        }
        if (got < chunk) {
            return in.eof() ? ReadOutcome::Ok : ReadOutcome::ReadFailed;
        }
        chunk = std::size_t{1} << 20;
    }
}

bool WriteWholeFile(const std::string& name, std::string_view bytes) {
    if (name.empty()) {
        return false;
    }
    std::ofstream out(PathFromUtf8(name), std::ios::binary | std::ios::trunc);
    if (!out.is_open()) {
        return false;
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    return static_cast<bool>(out);
}

namespace {

std::optional<FileFault> g_fault;

// The error the test fault gives this step, 0 for none.
int InjectedError(FileFault::Step step) {
    return g_fault && g_fault->step == step ? g_fault->error : 0;
}

// A name for the temporary file beside target: ".<name>.<random>.tmp".
std::filesystem::path TemporaryBeside(const std::filesystem::path& target) {
    static std::mt19937_64 random{std::random_device{}()};
    std::filesystem::path name = target.filename();
    name += "." + std::to_string(random() % 1'000'000'000) + ".tmp";
    return target.parent_path() / (std::filesystem::path(".") += name);
}

enum class TempOutcome { Written, NotCreated, Failed };

struct TempResult {
    TempOutcome outcome;
    int error = 0; // errno of the step that failed
};

using FileDescriptor = int;
#ifndef _WIN32
FileDescriptor CreateNew(const std::filesystem::path& temp) {
    return ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}
long WriteSome(FileDescriptor fd, const char* data, std::size_t size) {
    return static_cast<long>(::write(fd, data, size));
}
int FlushToDisk(FileDescriptor fd) {
    return ::fsync(fd);
}
int CloseFile(FileDescriptor fd) {
    return ::close(fd);
}
#else
FileDescriptor CreateNew(const std::filesystem::path& temp) {
    // The C runtime gives EACCES for ERROR_ACCESS_DENIED, EEXIST for a name that is taken.
    return ::_wopen(temp.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}
long WriteSome(FileDescriptor fd, const char* data, std::size_t size) {
    return ::_write(fd, data, static_cast<unsigned>(std::min<std::size_t>(size, 1u << 20)));
}
int FlushToDisk(FileDescriptor fd) {
    return ::_commit(fd);
}
int CloseFile(FileDescriptor fd) {
    return ::_close(fd);
}
#endif

// Writes bytes completely from `done` on; the errno of the failure, 0 when all were written.
int WriteAll(FileDescriptor fd, std::string_view bytes, std::size_t done = 0) {
    while (done < bytes.size()) {
        const long n = WriteSome(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return n < 0 && errno != 0 ? errno : EIO;
        }
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

// Creates a new file of that name (never an existing one) and writes bytes to the disk.
TempResult WriteNewFile(const std::filesystem::path& temp, std::string_view bytes) {
    if (const int error = InjectedError(FileFault::Step::CreateTemporary)) {
        return {TempOutcome::NotCreated, error};
    }
    errno = 0;
    const FileDescriptor fd = CreateNew(temp);
    if (fd < 0) {
        return {TempOutcome::NotCreated, errno};
    }
    int error = 0;
    if (const int injected = InjectedError(FileFault::Step::Write)) {
        WriteAll(fd, bytes.substr(0, std::min(g_fault->writtenBefore, bytes.size())));
        error = injected;
    } else {
        error = WriteAll(fd, bytes);
    }
    if (error == 0) {
        error = InjectedError(FileFault::Step::Flush);
    }
    if (error == 0 && FlushToDisk(fd) != 0) {
        error = errno != 0 ? errno : EIO;
    }
    if (CloseFile(fd) != 0 && error == 0) {
        error = errno != 0 ? errno : EIO;
    }
    return {error == 0 ? TempOutcome::Written : TempOutcome::Failed, error};
}

// The folder refused the new file for want of permission, not for want of room.
bool RefusedForPermission(int error) {
#ifndef _WIN32
    return error == EACCES || error == EPERM;
#else
    return error == EACCES;
#endif
}

} // namespace

void SetFileFaultForTests(std::optional<FileFault> fault) {
    g_fault = fault;
}

bool ReplaceWholeFile(const std::string& name, std::string_view bytes) {
    if (name.empty()) {
        return false;
    }
    std::filesystem::path target = PathFromUtf8(name);
    if (target.empty()) {
        return false;
    }
    std::error_code ec;
    if (std::filesystem::is_symlink(target, ec)) {
        const std::filesystem::path resolved = std::filesystem::weakly_canonical(target, ec);
        if (!ec) {
            target = resolved;
        }
    }
    if (std::filesystem::is_directory(target, ec)) {
        return false; // a folder of that name is never replaced by a file
    }
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::filesystem::path temp = TemporaryBeside(target);
        const TempResult written = WriteNewFile(temp, bytes);
        switch (written.outcome) {
        case TempOutcome::Written:
            if (const int error = InjectedError(FileFault::Step::Rename)) {
                ec = std::error_code(error, std::generic_category());
            } else {
                std::filesystem::rename(temp, target, ec);
            }
            if (ec) {
                std::filesystem::remove(temp, ec);
                return false;
            }
            return true;
        case TempOutcome::Failed:
            std::filesystem::remove(temp, ec);
            return false;
        case TempOutcome::NotCreated:
            if (written.error == EEXIST) {
                continue; // the name was taken: try another
            }
            // Written in place only where the folder forbids new files: with no room or no inode
            // left, truncating the old file first would leave it cut.
            return RefusedForPermission(written.error) && WriteWholeFile(name, bytes);
        }
    }
    return false;
}

} // namespace vandoret
