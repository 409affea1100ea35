#pragma once

#include <unistd.h>

#include <utility>

namespace platform {

// An open file descriptor, closed when the object goes (which also releases a lock taken on it).
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int descriptor) : descriptor(descriptor) {}
    FileDescriptor(FileDescriptor&& other) noexcept
        : descriptor(std::exchange(other.descriptor, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        std::swap(descriptor, other.descriptor);
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (descriptor >= 0) {
            ::close(descriptor);
        }
    }

    int get() const { return descriptor; }

private:
    int descriptor = -1;
};

} // namespace platform
