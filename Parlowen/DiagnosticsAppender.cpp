#include "Parlowen/DiagnosticsAppender.h"

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

bool writeAll(int descriptor, std::string_view text) {
    while (!text.empty()) {
        const ssize_t count = ::write(descriptor, text.data(), text.size());
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(count));
    }
    return true;
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

bool replace(const std::filesystem::path& file, std::string_view text) {
    std::string temporary = file.string() + ".XXXXXX";
    const int descriptor = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (descriptor < 0) {
        return false;
    }
    const bool written = ::fchmod(descriptor, 0600) == 0 && writeAll(descriptor, text);
    const bool closed = ::close(descriptor) == 0;
    if (!written || !closed || ::rename(temporary.c_str(), file.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

std::string timestamp(std::chrono::system_clock::time_point time) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm parts{};
    if (!gmtime_r(&seconds, &parts)) {
        return {};
    }
    std::array<char, 32> text{};
    const auto length = std::strftime(text.data(), text.size(), "%Y-%m-%dT%H:%M:%SZ", &parts);
    return std::string(text.data(), length);
}

} // namespace Parlowen::DiagnosticsAppender
