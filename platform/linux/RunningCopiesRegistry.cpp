#include "platform/linux/RunningCopiesRegistry.h"

#include "platform/FileReplacement.h"
#include "platform/ReferenceDate.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <limits>

namespace platform::native {

namespace {
using nlohmann::json;

constexpr std::string_view entryPrefix = "copy-";
constexpr std::string_view entrySuffix = ".json";
constexpr std::size_t maximumEntrySize = 4096;

// When the process started, in clock ticks after boot (field 22 of /proc/<pid>/stat); tells a
// process apart from a later one that got the same id.
std::optional<unsigned long long> processStartTime(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(file)), {});
    // The command name in parentheses may hold anything; the fields follow its last ')'.
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos) {
        return std::nullopt;
    }
    std::size_t position = close + 1;
    for (int field = 3; field <= 22; ++field) {
        position = text.find_first_not_of(' ', position);
        if (position == std::string::npos) {
            return std::nullopt;
        }
        const std::size_t end = text.find(' ', position);
        if (field == 22) {
            unsigned long long value = 0;
            const char* last = text.data() + (end == std::string::npos ? text.size() : end);
            const auto [stop, error] = std::from_chars(text.data() + position, last, value);
            if (error != std::errc() || stop != last) {
                return std::nullopt;
            }
            return value;
        }
        position = end;
    }
    return std::nullopt;
}

bool isAlive(pid_t pid, std::optional<unsigned long long> startTime) {
    if (pid <= 0 || (::kill(pid, 0) != 0 && errno != EPERM)) {
        return false;
    }
    return !startTime || processStartTime(pid) == startTime;
}

std::optional<pid_t> entryOwner(std::string_view name) {
    if (!name.starts_with(entryPrefix) || !name.ends_with(entrySuffix)) {
        return std::nullopt;
    }
    const std::string_view digits =
        name.substr(entryPrefix.size(), name.size() - entryPrefix.size() - entrySuffix.size());
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
        pid <= 0) {
        return std::nullopt;
    }
    return pid;
}
} // namespace

RunningCopiesRegistry::RunningCopiesRegistry(std::optional<std::filesystem::path> folder,
                                             DistributedNotificationCenter& notifications,
                                             const Logger& logger,
                                             std::optional<Registration> thisProcess)
    : folder_(std::move(folder)), notifications_(notifications), logger_(logger) {
    if (!folder_ || !thisProcess) {
        return;
    }
    const pid_t pid = ::getpid();
    json entry = {
        {"bundleIdentifier", thisProcess->bundleIdentifier},
        {"pid", pid},
        {"launchDate", ReferenceDate::secondsSinceReferenceDate(thisProcess->launchDate)}};
    if (const auto startTime = processStartTime(pid)) {
        entry["startTime"] = *startTime;
    }
    const int error = FileReplacement::replace(
        entryPath(pid), entry.dump(-1, ' ', false, json::error_handler_t::replace), 0600);
    if (error != 0) {
        logger_.error("cannot register this running copy: " + std::string(std::strerror(error)));
        return;
    }
    registered_ = true;
    observer_ = notifications_.addObserver(
        std::string(activateNotification), thisProcess->bundleIdentifier,
        [this, pid](const DistributedNotification& notification) {
            const auto target = notification.userInfo.find("pid");
            const auto options = notification.userInfo.find("options");
            if (target == notification.userInfo.end() || target->second.integer() != pid) {
                return;
            }
            std::function<void(NSApplicationActivationOptions)> handler;
            {
                std::lock_guard lock(mutex_);
                handler = activationHandler_;
            }
            const std::int64_t raw =
                options == notification.userInfo.end() ? 0 : options->second.integer().value_or(0);
            if (handler) {
                handler(static_cast<NSApplicationActivationOptions>(
                    raw < 0 || raw > std::numeric_limits<unsigned>::max() ? 0 : raw));
            }
        });
}

RunningCopiesRegistry::~RunningCopiesRegistry() {
    if (observer_ != 0) {
        notifications_.removeObserver(observer_);
    }
    if (registered_) {
        ::unlink(entryPath(::getpid()).c_str());
    }
}

std::filesystem::path RunningCopiesRegistry::entryPath(pid_t pid) const {
    return *folder_ / (std::string(entryPrefix) + std::to_string(pid) + std::string(entrySuffix));
}

std::vector<RunningCopiesRegistry::Entry> RunningCopiesRegistry::readEntries() {
    std::vector<Entry> entries;
    if (!folder_) {
        return entries;
    }
    DIR* directory = ::opendir(folder_->c_str());
    if (directory == nullptr) {
        return entries;
    }
    while (const dirent* item = ::readdir(directory)) {
        const std::optional<pid_t> owner = entryOwner(item->d_name);
        if (!owner) {
            continue;
        }
        const std::filesystem::path path = *folder_ / item->d_name;
        const std::optional<std::string> text =
            FileReplacement::readOwnedFile(path, maximumEntrySize);
        const json entry = text ? json::parse(*text, nullptr, /*allow_exceptions=*/false) : json();
        if (!entry.is_object() || !entry.contains("pid") || !entry["pid"].is_number_integer() ||
            entry["pid"].get<std::int64_t>() != *owner) {
            if (text) {
                logger_.error("ignored an unreadable running-copy entry " + path.string());
            }
            continue;
        }
        Entry decoded;
        decoded.copy.processIdentifier = *owner;
        if (entry.contains("bundleIdentifier") && entry["bundleIdentifier"].is_string()) {
            decoded.copy.bundleIdentifier = entry["bundleIdentifier"].get<std::string>();
        }
        if (entry.contains("launchDate") && entry["launchDate"].is_number()) {
            decoded.copy.launchDate =
                ReferenceDate::fromSecondsSinceReferenceDate(entry["launchDate"].get<double>());
        }
        if (entry.contains("startTime") && entry["startTime"].is_number_unsigned()) {
            decoded.startTime = entry["startTime"].get<unsigned long long>();
        }
        decoded.copy.isTerminated = !isAlive(*owner, decoded.startTime);
        if (decoded.copy.isTerminated) {
            // The process is gone without removing its entry.
            ::unlink(path.c_str());
        }
        entries.push_back(std::move(decoded));
    }
    ::closedir(directory);
    return entries;
}

std::vector<RunningCopy>
RunningCopiesRegistry::runningApplications(std::string_view bundleIdentifier) {
    std::vector<RunningCopy> copies;
    for (Entry& entry : readEntries()) {
        if (entry.copy.bundleIdentifier == bundleIdentifier && !entry.copy.isTerminated) {
            copies.push_back(std::move(entry.copy));
        }
    }
    return copies;
}

bool RunningCopiesRegistry::isTerminated(pid_t pid) {
    for (const Entry& entry : readEntries()) {
        if (entry.copy.processIdentifier == pid) {
            return entry.copy.isTerminated;
        }
    }
    return true;
}

bool RunningCopiesRegistry::activate(pid_t pid, NSApplicationActivationOptions options) {
    for (const Entry& entry : readEntries()) {
        if (entry.copy.processIdentifier != pid || entry.copy.isTerminated) {
            continue;
        }
        DistributedNotification request{
            std::string(activateNotification),
            entry.copy.bundleIdentifier,
            {{"pid", Value(std::int64_t{pid})}, {"options", Value(std::int64_t{options})}}};
        return notifications_.postNotification(request, true);
    }
    return false;
}

void RunningCopiesRegistry::setActivationHandler(
    std::function<void(NSApplicationActivationOptions)> handler) {
    std::lock_guard lock(mutex_);
    activationHandler_ = std::move(handler);
}

} // namespace platform::native
