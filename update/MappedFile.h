#pragma once

#include <cstddef>
#include <string_view>

namespace update {

// A file's contents, mapped read-only for the object's life: the signature covers the whole
// archive, so its check needs it in one piece, and mapped pages stay the page cache's (given
// back when memory runs short) instead of the process's own. The mapping outlives the
// descriptor and the file's name.
class MappedFile {
public:
    explicit MappedFile(int descriptor);
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile();

    // Empty for an empty file or when the mapping failed.
    std::string_view bytes() const;
    // The errno of the step that failed; 0 when the contents are there.
    int error() const { return error_; }

private:
    void* data_ = nullptr;
    std::size_t size_ = 0;
    int error_ = 0;
};

} // namespace update
