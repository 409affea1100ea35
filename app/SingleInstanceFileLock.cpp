#include "app/SingleInstanceFileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <system_error>

namespace Parlowen {

namespace {

// The abstract socket name standing in for the lock file: a leading zero byte, then this
// user's id and a fixed hash (FNV-1a, 64 bits) of the lock file's path, so every copy and
// version of the program computes the same name for the same path and user.
std::string lockName(const std::filesystem::path& url) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char byte : url.string()) {
        hash = (hash ^ static_cast<unsigned char>(byte)) * 0x100000001b3ULL;
    }
    char text[64];
    const int length =
        std::snprintf(text, sizeof text, "app.tessaline.Tessaline.lock/%u/%016llx",
                      static_cast<unsigned>(::geteuid()), static_cast<unsigned long long>(hash));
    return std::string(1, '\0') + std::string(text, static_cast<std::size_t>(length));
}

} // namespace

SingleInstanceFileLock::SingleInstanceFileLock(std::filesystem::path url,
                                               const platform::LockHolders& holders,
                                               std::optional<platform::Logger> logger)
    : url_(std::move(url)), name_(lockName(url_)), holders_(holders), logger_(std::move(logger)) {}

SingleInstanceFileLock::~SingleInstanceFileLock() {
    release();
}

std::unique_ptr<SingleInstanceFileLock>
SingleInstanceFileLock::defaultLock(const platform::ProcessEnvironment& environment,
                                    const platform::LockHolders& holders,
                                    std::optional<platform::Logger> logger) {
    std::filesystem::path folder;
    const auto data = environment.find("XDG_DATA_HOME");
    const auto home = environment.find("HOME");
    if (data != environment.end() && std::filesystem::path(data->second).is_absolute()) {
        folder = data->second;
    } else if (home != environment.end() && std::filesystem::path(home->second).is_absolute()) {
        folder = std::filesystem::path(home->second) / ".local" / "share";
    } else {
        return nullptr;
    }
    return std::make_unique<SingleInstanceFileLock>(folder / "Tessaline" / "Tessaline.lock",
                                                    holders, std::move(logger));
}

SingleInstanceFileLock::AcquireResult SingleInstanceFileLock::acquire(pid_t ownerPID) {
    if (fileDescriptor_ != -1) {
        return AcquireResult::acquired;
    }
    std::string problem;
    const AcquireResult result = acquireFile(ownerPID, problem);
    if (result != AcquireResult::unavailable) {
        return result;
    }
    // Falling back to the running copies alone would let copies started together all go on:
    // each registers only after its own start-up.
    log("the single-copy lock " + url_.string() + " cannot be used (" + problem +
        "); the lock is taken by name instead");
    return acquireName();
}

SingleInstanceFileLock::AcquireResult SingleInstanceFileLock::acquireFile(pid_t ownerPID,
                                                                          std::string& problem) {
    std::error_code error;
    std::filesystem::create_directories(url_.parent_path(), error);
    if (error) {
        problem = "its folder cannot be made: " + error.message();
        return AcquireResult::unavailable;
    }
    const int descriptor =
        ::open(url_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (descriptor < 0) {
        problem = errno == ELOOP    ? std::string("a symbolic link is at its path")
                  : errno == EISDIR ? std::string("a folder is at its path")
                                    : std::string(std::strerror(errno));
        return AcquireResult::unavailable;
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        problem = "it is not a regular file";
        return AcquireResult::unavailable;
    }
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        const int reason = errno;
        const auto holder = reason == EWOULDBLOCK ? holders_.ofFile(descriptor) : std::nullopt;
        ::close(descriptor);
        if (reason != EWOULDBLOCK) {
            problem = std::strerror(reason);
            return AcquireResult::unavailable;
        }
        if (!holder) {
            log("the single-copy lock " + url_.string() + " is held by a process that cannot " +
                "be found; it is taken for a copy of this user's");
            return AcquireResult::heldByAnotherProcess;
        }
        // A process of another user (a copy started with sudo, say) can hold this user's file
        // when it may open it; no copy of this user's would then answer.
        if (holder->user != ::geteuid()) {
            const std::string process =
                holder->processIdentifier ? "process " + std::to_string(*holder->processIdentifier)
                                          : std::string("a process");
            log("the single-copy lock " + url_.string() + " is held by " + process + " of user " +
                std::to_string(holder->user) + ", not by a copy of this user's; this start " +
                "ends. End that process");
            return AcquireResult::heldByAnotherUser;
        }
        return AcquireResult::heldByAnotherProcess;
    }
    fileDescriptor_ = descriptor;
    heldByName_ = false;
    // The lock counts even when the pid cannot be written.
    const std::string owner = std::to_string(ownerPID) + "\n";
    [[maybe_unused]] const int truncated = ::ftruncate(descriptor, 0);
    ::lseek(descriptor, 0, SEEK_SET);
    [[maybe_unused]] const ssize_t written = ::write(descriptor, owner.data(), owner.size());
    return AcquireResult::acquired;
}

SingleInstanceFileLock::AcquireResult SingleInstanceFileLock::acquireName() {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name_.data(), name_.size());
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + name_.size());
    // Bound, never listening: the name is all the lock needs, and nobody can connect to it.
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (descriptor >= 0 &&
        ::bind(descriptor, reinterpret_cast<const sockaddr*>(&address), length) == 0) {
        fileDescriptor_ = descriptor;
        heldByName_ = true;
        return AcquireResult::acquired;
    }
    const int reason = errno;
    if (descriptor >= 0) {
        ::close(descriptor);
    }
    if (reason == EADDRINUSE) {
        // Any process can bind an abstract name: one of another user turns this start away,
        // which must not go unexplained.
        if (const auto holder = holders_.ofSocketName(name_);
            holder && holder->user != ::geteuid()) {
            log("the single-copy lock's name is held by a process of user " +
                std::to_string(holder->user) + ", not by a copy of this user's; this start " +
                "ends. End that process, or make " + url_.string() + " usable again");
            return AcquireResult::heldByAnotherUser;
        }
        return AcquireResult::heldByAnotherProcess;
    }
    log(std::string("the lock by name cannot be taken either (") + std::strerror(reason) +
        "); only the running copies are checked");
    return AcquireResult::unavailable;
}

void SingleInstanceFileLock::release() {
    if (fileDescriptor_ == -1) {
        return;
    }
    if (!heldByName_) {
        ::flock(fileDescriptor_, LOCK_UN);
    }
    ::close(fileDescriptor_);
    fileDescriptor_ = -1;
}

void SingleInstanceFileLock::log(const std::string& line) const {
    if (logger_) {
        logger_->error(line);
    }
}

} // namespace Parlowen
