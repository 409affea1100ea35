#pragma once

#include <sys/types.h>

#include <istream>
#include <optional>
#include <string>
#include <string_view>

// The kernel's list of file locks (/proc/locks, and the "lock:" lines of /proc/<pid>/fdinfo),
// whose lines read "1: FLOCK  ADVISORY  WRITE 1234 fe:00:5678 0 EOF": number, kind, mode,
// access, pid, the file as "major:minor:inode" and the range. A waiter's line has "->" after its
// number. Reads stop after a bounded number of lines.
namespace platform::native::ProcLocks {

// The file open at `descriptor` named as the kernel's lists name it. That device number is the
// file system's own, which is not stat's st_dev on btrfs subvolumes and on overlayfs, so the
// kernel is asked: a read lock of this open file (F_OFD_SETLK, which no flock conflicts with)
// shows in /proc/self/fdinfo with the file's name, and is dropped at once. None when that lock
// cannot be taken (a write lock of the same kind held elsewhere) or read back.
std::optional<std::string> fileNameOf(int descriptor);

// The file named by the first lock line in the text of a /proc/<pid>/fdinfo/<fd> file.
std::optional<std::string> lockedFileIn(std::istream& fdinfo);

// The pid holding a flock on the file of that name, in the text of /proc/locks; waiters, other
// kinds of lock and other files do not count.
std::optional<pid_t> flockHolderIn(std::istream& locks, std::string_view file);

} // namespace platform::native::ProcLocks
