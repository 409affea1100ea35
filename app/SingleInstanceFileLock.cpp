#include "app/SingleInstanceFileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>

namespace Parlowen {

SingleInstanceFileLock::SingleInstanceFileLock(std::filesystem::path url) : url_(std::move(url)) {}

SingleInstanceFileLock::~SingleInstanceFileLock() {
    release();
}

std::unique_ptr<SingleInstanceFileLock>
SingleInstanceFileLock::defaultLock(const platform::ProcessEnvironment& environment) {
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
    return std::make_unique<SingleInstanceFileLock>(folder / "Tessaline" / "Tessaline.lock");
}

SingleInstanceFileLock::AcquireResult SingleInstanceFileLock::acquire(pid_t ownerPID) {
    if (fileDescriptor_ != -1) {
        return AcquireResult::acquired;
    }
    std::error_code error;
    std::filesystem::create_directories(url_.parent_path(), error);
    if (error) {
        return AcquireResult::unavailable;
    }
    const int descriptor =
        ::open(url_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (descriptor < 0) {
        return AcquireResult::unavailable;
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        return AcquireResult::unavailable;
    }
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        const int reason = errno;
        ::close(descriptor);
        return reason == EWOULDBLOCK ? AcquireResult::heldByAnotherProcess
                                     : AcquireResult::unavailable;
    }
    fileDescriptor_ = descriptor;
    // The lock counts even when the pid cannot be written.
    const std::string owner = std::to_string(ownerPID) + "\n";
    [[maybe_unused]] const int truncated = ::ftruncate(descriptor, 0);
    ::lseek(descriptor, 0, SEEK_SET);
    [[maybe_unused]] const ssize_t written = ::write(descriptor, owner.data(), owner.size());
    return AcquireResult::acquired;
}

void SingleInstanceFileLock::release() {
    if (fileDescriptor_ == -1) {
        return;
    }
    ::flock(fileDescriptor_, LOCK_UN);
    ::close(fileDescriptor_);
    fileDescriptor_ = -1;
}

} // namespace Parlowen
