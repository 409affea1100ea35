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
    // Closes what this object held; the source is left empty.
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            close();
            descriptor = std::exchange(other.descriptor, -1);
        }
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { close(); }

    int get() const { return descriptor; }

    void close() {
        if (descriptor >= 0) {
            ::close(std::exchange(descriptor, -1));
        }
    }

private:
    int descriptor = -1;
};

} // namespace platform
