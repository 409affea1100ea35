#pragma once

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

// The contents of a regular file owned by this user, of at most `maximumSize` bytes, opened
// without following a link; none otherwise.
std::optional<std::string> readOwnedFile(const std::filesystem::path& path,
                                         std::size_t maximumSize);

} // namespace platform::FileReplacement
