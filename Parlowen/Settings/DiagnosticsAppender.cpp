#include "Parlowen/Settings/DiagnosticsAppender.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <ctime>

namespace Parlowen::DiagnosticsAppender {

namespace {

bool isOwnPlainFile(int descriptor) {
    struct stat status {};
    return ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) &&
           status.st_uid == ::geteuid() && status.st_nlink == 1;
}

} // namespace

std::filesystem::path directory() {
    const char* configured = std::getenv(directoryVariable);
    return configured && configured[0] != '\0' ? configured : "/tmp";
}

std::filesystem::path path(std::string_view fileName) {
    return directory() / fileName;
}

bool append(const std::filesystem::path& file, std::string_view line) {
    std::string text(line);
    if (text.empty() || text.back() != '\n') {
        text.push_back('\n');
    }
    // O_NONBLOCK: a FIFO planted at the path must not block the caller until fstat rejects it.
    const int descriptor = ::open(
        file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
    if (descriptor < 0) {
        return false;
    }
    bool written = false;
    if (isOwnPlainFile(descriptor)) {
        // One write call, so that lines of concurrent writers never interleave.
        const ssize_t count = ::write(descriptor, text.data(), text.size());
        written = count == static_cast<ssize_t>(text.size());
    }
    ::close(descriptor);
    return written;
}

} // namespace Parlowen::DiagnosticsAppender
