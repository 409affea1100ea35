#include "sentry/CrashReportStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace sentry {

namespace {

bool isPrivateFolder(const std::filesystem::path& folder) {
    struct stat info {};
    return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid();
}

bool isOwnRegularFile(const struct stat& info) {
    return S_ISREG(info.st_mode) && info.st_uid == ::geteuid() && info.st_nlink == 1;
}

} // namespace

bool CrashReportStore::prepare() const {
    if (folder_.empty()) {
        return false;
    }
    std::error_code error;
    if (folder_.has_parent_path()) {
        std::filesystem::create_directories(folder_.parent_path(), error);
    }
    if (::mkdir(folder_.c_str(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    if (!isPrivateFolder(folder_)) {
        return false;
    }
    return ::chmod(folder_.c_str(), 0700) == 0;
}

std::vector<std::filesystem::path> CrashReportStore::pending() const {
    std::vector<std::pair<std::filesystem::file_time_type, std::filesystem::path>> reports;
    std::error_code error;
    if (!isPrivateFolder(folder_)) {
        return {};
    }
    for (const auto& entry : std::filesystem::directory_iterator(folder_, error)) {
        if (entry.path().extension() == reportExtension && entry.is_regular_file(error) &&
            !entry.is_symlink(error)) {
            reports.emplace_back(entry.last_write_time(error), entry.path());
        }
    }
    std::sort(reports.begin(), reports.end());
    std::vector<std::filesystem::path> paths;
    for (auto& report : reports) {
        paths.push_back(std::move(report.second));
    }
    return paths;
}

std::vector<std::filesystem::path> CrashReportStore::pruned() const {
    auto reports = pending();
    if (reports.size() > maxPendingReports) {
        const auto excess = reports.size() - maxPendingReports;
        std::for_each(reports.begin(), reports.begin() + static_cast<std::ptrdiff_t>(excess),
                      [this](const auto& report) { remove(report); });
        reports.erase(reports.begin(), reports.begin() + static_cast<std::ptrdiff_t>(excess));
    }
    return reports;
}

std::optional<std::string> CrashReportStore::read(const std::filesystem::path& report) const {
    const int descriptor = ::open(report.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0) {
        return std::nullopt;
    }
    std::optional<std::string> contents;
    struct stat info {};
    if (::fstat(descriptor, &info) == 0 && isOwnRegularFile(info) &&
        static_cast<std::uintmax_t>(info.st_size) <= maxReportSize) {
        std::string text(static_cast<std::size_t>(info.st_size), '\0');
        std::size_t done = 0;
        while (done < text.size()) {
            const auto count = ::read(descriptor, text.data() + done, text.size() - done);
            if (count <= 0) {
                break;
            }
            done += static_cast<std::size_t>(count);
        }
        text.resize(done);
        contents = std::move(text);
    }
    ::close(descriptor);
    return contents;
}

void CrashReportStore::remove(const std::filesystem::path& report) const {
    std::error_code error;
    std::filesystem::remove(report, error);
}

void CrashReportStore::removeAll() const {
    for (const auto& report : pending()) {
        remove(report);
    }
}

} // namespace sentry
