#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Files of this user replaced and read without ever following a symbolic link.
namespace platform::FileReplacement {

// Writes the whole text to the descriptor, again after interruptions and short writes.
// Answers 0, or the errno of the write that failed.
int writeAll(int descriptor, std::string_view text);

// Replaces the file atomically: a new temporary file beside it ("<file>.tmp-" and six letters
// or digits) gets the contents and mode and is synced, then renamed over the file (a link at
// that path is replaced, never followed) and the folder synced. Answers 0, or the errno of the
// step that failed; the old file then stays.
int replace(const std::filesystem::path& path, std::string_view contents, mode_t mode);

// Syncs the folder's own entries, so that renames in it outlast a crash. Answers 0, or the
// errno of the step that failed.
int syncFolder(const std::filesystem::path& folder);

// Removes the temporary files that writers killed inside `replace` left beside the file: this
// user's regular files named as `replace` names them, nothing else. Only for a file whose every
// writer replaces it while holding one lock, and called with that lock held, so that no
// temporary found belongs to a writer still at work.
void removeStaleTemporaries(const std::filesystem::path& path);

// What reading a file of this user found.
struct OwnedFileRead {
    enum class Outcome {
        read,         // `contents` holds the whole file
        missing,      // nothing at the path
        notOwnedFile, // anything but a regular file of this user: never opened, or not read
        tooLarge,     // more than the maximum size; not read
        failed,       // could not be read now; `error` tells why
    };
    Outcome outcome = Outcome::missing;
    std::string contents;
    int error = 0;
    // The file's status as it was read (with `read`).
    struct stat status {};
};

// Reads a regular file owned by this user of at most `maximumSize` bytes. A device, pipe or
// socket is never opened (the path is looked at first, and the file opened without blocking
// and checked again), so no read can hang or run on without end. A file replaced between the
// look and the open (an atomic save by another writer) is looked at and opened again, a few
// times at most; one replaced every time reads as `failed` with EAGAIN, never as another kind
// of file. With `followLink` a symbolic link at the path leads to its target, which must itself
// be such a file; without, a link is never followed.
OwnedFileRead readOwned(const std::filesystem::path& path, std::size_t maximumSize,
                        bool followLink);

// The contents of a regular file owned by this user, of at most `maximumSize` bytes, opened
// without following a link; none otherwise.
std::optional<std::string> readOwnedFile(const std::filesystem::path& path,
                                         std::size_t maximumSize);

} // namespace platform::FileReplacement
