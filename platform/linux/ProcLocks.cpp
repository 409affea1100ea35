#include "platform/linux/ProcLocks.h"

#include <fcntl.h>

#include <array>
#include <fstream>
#include <sstream>

namespace platform::native::ProcLocks {

namespace {

// Lines of both lists are far shorter than this.
constexpr std::streamsize longestLine = 256;
// /proc/locks holds a line per lock of the whole system.
constexpr int mostLockLines = 100'000;
// An fdinfo file holds a few lines about the file, then one per lock of that open file.
constexpr int mostFdinfoLines = 64;

struct LockLine {
    std::string kind;
    long long pid = 0;
    std::string file;
};

std::optional<LockLine> lockLineOf(const char* text) {
    std::istringstream fields{std::string(text)};
    std::string number, mode, access;
    LockLine line;
    if (!(fields >> number >> line.kind >> mode >> access >> line.pid >> line.file)) {
        return std::nullopt;
    }
    return line;
}

} // namespace

std::optional<std::string> fileNameOf(int descriptor) {
    struct flock probe {};
    probe.l_type = F_RDLCK;
    probe.l_whence = SEEK_SET;
    if (::fcntl(descriptor, F_OFD_SETLK, &probe) != 0) {
        return std::nullopt;
    }
    std::ifstream fdinfo("/proc/self/fdinfo/" + std::to_string(descriptor));
    auto name = lockedFileIn(fdinfo);
    probe.l_type = F_UNLCK;
    ::fcntl(descriptor, F_OFD_SETLK, &probe);
    return name;
}

std::optional<std::string> lockedFileIn(std::istream& fdinfo) {
    constexpr std::string_view prefix = "lock:";
    std::array<char, longestLine> line{};
    for (int read = 0; read < mostFdinfoLines && fdinfo.getline(line.data(), line.size()); ++read) {
        if (std::string_view(line.data()).starts_with(prefix)) {
            const auto lock = lockLineOf(line.data() + prefix.size());
            return lock ? std::optional(lock->file) : std::nullopt;
        }
    }
    return std::nullopt;
}

std::optional<pid_t> flockHolderIn(std::istream& locks, std::string_view file) {
    std::array<char, longestLine> line{};
    for (int read = 0; read < mostLockLines && locks.getline(line.data(), line.size()); ++read) {
        if (const auto lock = lockLineOf(line.data());
            lock && lock->kind == "FLOCK" && lock->file == file && lock->pid > 0) {
            return static_cast<pid_t>(lock->pid);
        }
    }
    return std::nullopt;
}

} // namespace platform::native::ProcLocks
