#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace sentry {

// The per-user folder where crashes are written as envelopes, to be sent at the next start.
// The folder is private (0700) and the reports 0600; anything that is not a regular file of
// this user is never read.
class CrashReportStore {
public:
    static constexpr const char* reportExtension = ".envelope";
    // Reports larger than this are not read (and are removed).
    static constexpr std::uintmax_t maxReportSize = 1 << 20;
    // More waiting reports than this (a crash at every start without a network) drop the oldest.
    static constexpr std::size_t maxPendingReports = 30;

    explicit CrashReportStore(std::filesystem::path folder) : folder_(std::move(folder)) {}

    const std::filesystem::path& folder() const { return folder_; }

    // Makes the folder (and its parents) when missing and restricts it to this user; false when
    // the path is not a directory owned by this user (a link, a file, another owner).
    bool prepare() const;
    // The reports waiting to be sent, oldest first.
    std::vector<std::filesystem::path> pending() const;
    // Removes the oldest reports beyond `maxPendingReports`; answers those that remain.
    std::vector<std::filesystem::path> pruned() const;
    // A report's contents; none when it cannot be read or is not a report of this user.
    std::optional<std::string> read(const std::filesystem::path& report) const;
    void remove(const std::filesystem::path& report) const;
    // Deletes every waiting report.
    void removeAll() const;

private:
    std::filesystem::path folder_;
};

} // namespace sentry
