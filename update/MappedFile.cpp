#include "update/MappedFile.h"

#include <sys/mman.h>
#include <sys/stat.h>

#include <cerrno>

namespace update {

MappedFile::MappedFile(int descriptor) {
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) {
        error_ = errno;
        return;
    }
    size_ = static_cast<std::size_t>(status.st_size);
    if (size_ == 0) {
        return;
    }
    data_ = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, descriptor, 0);
    if (data_ == MAP_FAILED) {
        error_ = errno;
        data_ = nullptr;
    }
}

MappedFile::~MappedFile() {
    if (data_) {
        ::munmap(data_, size_);
    }
}

std::string_view MappedFile::bytes() const {
    return data_ ? std::string_view(static_cast<const char*>(data_), size_) : std::string_view();
}

} // namespace update
