#include "Parlowen/Settings/DiagnosticsAppender.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <random>

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

bool replace(const std::filesystem::path& file, std::string_view contents) {
    static constexpr std::string_view alphabet = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::string name = "." + file.filename().string() + ".";
        for (int index = 0; index < 12; ++index) {
            name += alphabet[random() % alphabet.size()];
        }
        const std::filesystem::path temporary = file.parent_path() / name;
        const int descriptor =
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (descriptor < 0) {
            if (errno == EEXIST) {
                continue;
            }
            return false;
        }
        const ssize_t count = ::write(descriptor, contents.data(), contents.size());
        const bool written = count == static_cast<ssize_t>(contents.size());
        const bool closed = ::close(descriptor) == 0;
        if (written && closed && ::rename(temporary.c_str(), file.c_str()) == 0) {
            return true;
        }
        ::unlink(temporary.c_str());
        return false;
    }
    return false;
}

} // namespace Parlowen::DiagnosticsAppender
