#include "app/SingleInstanceFileLock.h"

#include <fcntl.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <linux/sock_diag.h>
#include <linux/unix_diag.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
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

// The user of the socket bound to the abstract `name`, as the kernel's socket diagnostics tell
// it; none when they cannot.
std::optional<uid_t> ownerOfName(const std::string& name) {
    const int diagnostics = ::socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_SOCK_DIAG);
    if (diagnostics < 0) {
        return std::nullopt;
    }
    struct {
        nlmsghdr header;
        unix_diag_req request;
    } query{};
    query.header.nlmsg_len = sizeof query;
    query.header.nlmsg_type = SOCK_DIAG_BY_FAMILY;
    query.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    query.request.sdiag_family = AF_UNIX;
    query.request.udiag_states = ~0U;
    query.request.udiag_show = UDIAG_SHOW_NAME | UDIAG_SHOW_UID;
    std::optional<uid_t> owner;
    bool done = ::send(diagnostics, &query, sizeof query, 0) != sizeof query;
    alignas(nlmsghdr) std::array<char, 32768> buffer{};
    while (!done) {
        const ssize_t received = ::recv(diagnostics, buffer.data(), buffer.size(), 0);
        int left = static_cast<int>(received);
        done = received <= 0;
        for (auto* header = reinterpret_cast<nlmsghdr*>(buffer.data());
             !done && NLMSG_OK(header, left); header = NLMSG_NEXT(header, left)) {
            if (header->nlmsg_type != SOCK_DIAG_BY_FAMILY) {
                done = true; // the end of the list, or an error
                break;
            }
            auto* socket = static_cast<unix_diag_msg*>(NLMSG_DATA(header));
            int attributesLeft = static_cast<int>(header->nlmsg_len - NLMSG_LENGTH(sizeof *socket));
            bool named = false;
            std::optional<uid_t> user;
            for (auto* attribute = reinterpret_cast<rtattr*>(socket + 1);
                 RTA_OK(attribute, attributesLeft);
                 attribute = RTA_NEXT(attribute, attributesLeft)) {
                const std::string_view payload(static_cast<const char*>(RTA_DATA(attribute)),
                                               RTA_PAYLOAD(attribute));
                if (attribute->rta_type == UNIX_DIAG_NAME) {
                    named = payload == name;
                } else if (attribute->rta_type == UNIX_DIAG_UID &&
                           payload.size() == sizeof(uid_t)) {
                    uid_t value = 0;
                    std::memcpy(&value, payload.data(), sizeof value);
                    user = value;
                }
            }
            if (named) {
                owner = user;
                done = true;
            }
        }
    }
    ::close(diagnostics);
    return owner;
}

} // namespace

SingleInstanceFileLock::SingleInstanceFileLock(std::filesystem::path url,
                                               std::optional<platform::Logger> logger)
    : url_(std::move(url)), name_(lockName(url_)), logger_(std::move(logger)) {}

SingleInstanceFileLock::~SingleInstanceFileLock() {
    release();
}

std::unique_ptr<SingleInstanceFileLock>
SingleInstanceFileLock::defaultLock(const platform::ProcessEnvironment& environment,
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
                                                    std::move(logger));
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
        ::close(descriptor);
        if (reason == EWOULDBLOCK) {
            return AcquireResult::heldByAnotherProcess;
        }
        problem = std::strerror(reason);
        return AcquireResult::unavailable;
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
        if (const auto owner = ownerOfName(name_); owner && *owner != ::geteuid()) {
            log("the single-copy lock's name is held by a process of user " +
                std::to_string(*owner) + ", not by a copy of this user's; this start ends. End " +
                "that process, or make " + url_.string() + " usable again");
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
