#include "platform/FileUserDefaults.h"

#include "platform/FileLock.h"
#include "platform/FileReplacement.h"
#include "platform/UserDefaultsFileCodec.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace platform {

namespace {

constexpr std::chrono::milliseconds noWait{0};

std::optional<DefaultsValue> valueIn(const UserDefaultsFileContents& contents,
                                     std::string_view key) {
    const auto found = contents.values.find(key);
    return found != contents.values.end() ? std::optional(found->second) : std::nullopt;
}

// Leaves `value` under `key` (none removes it), in place of any member of another type.
void put(UserDefaultsFileContents& contents, std::string_view key,
         std::optional<DefaultsValue> value) {
    if (const auto other = contents.otherMembers.find(key); other != contents.otherMembers.end()) {
        contents.otherMembers.erase(other);
    }
    if (value) {
        contents.values.insert_or_assign(std::string(key), std::move(*value));
    } else if (const auto found = contents.values.find(key); found != contents.values.end()) {
        contents.values.erase(found);
    }
}

std::string utcStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    std::array<char, 32> text{};
    const auto length = std::strftime(text.data(), text.size(), "%Y%m%dT%H%M%SZ", &parts);
    return std::string(text.data(), length);
}

} // namespace

FileUserDefaults::FileUserDefaults(std::filesystem::path path, FailureLog log,
                                   std::chrono::milliseconds lockWait)
    : filePath(std::move(path)), lockPath(filePath.string() + ".lock"), failureLog(std::move(log)),
      lockWait(lockWait) {}

FileUserDefaults::~FileUserDefaults() {
    const std::lock_guard guard(mutex);
    if (pending.empty()) {
        return;
    }
    const FileLock lock(lockPath, lockWait);
    if (lock.held()) {
        commitLocked({}, nullptr);
    } else {
        reportDroppedWrite("cannot lock", lockPath, lock.error);
    }
}

std::filesystem::path FileUserDefaults::standardPath() {
    std::filesystem::path base;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/') {
        base = config;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || home[0] != '/') {
            const passwd* entry = ::getpwuid(::getuid());
            home = entry ? entry->pw_dir : "/";
        }
        base = std::filesystem::path(home) / ".config";
    }
    return base / "tessaline" / "defaults.json";
}

void FileUserDefaults::set(std::string_view key, DefaultsValue value) {
    update(key, [&](const std::optional<DefaultsValue>&) { return value; });
}

void FileUserDefaults::removeObject(std::string_view key) {
    update(key, [](const std::optional<DefaultsValue>&) { return std::nullopt; });
}

void FileUserDefaults::update(std::string_view key, const DefaultsChange& change) {
    const std::lock_guard guard(mutex);
    std::error_code error;
    std::filesystem::create_directories(filePath.parent_path(), error);
    // While changes wait for a lock held elsewhere, later ones join them without waiting again.
    const FileLock lock(lockPath, pending.empty() ? lockWait : noWait);
    if (lock.heldElsewhere()) {
        keepUntilLockIsFree(key, change);
        return;
    }
    if (!lock.held()) {
        // Without the lock another process could replace the file between our read and our
        // rename, and one of the two changes would be lost unseen.
        reportDroppedWrite("cannot lock", lockPath, lock.error);
        return;
    }
    commitLocked(key, &change);
}

std::optional<DefaultsValue> FileUserDefaults::storedObject(std::string_view key) const {
    const std::lock_guard guard(mutex);
    if (!pending.empty()) {
        if (const FileLock lock(lockPath, noWait); lock.held()) {
            commitLocked(key, nullptr);
        }
    }
    refreshIfChanged();
    if (const auto kept = pending.find(key); kept != pending.end()) {
        return kept->second;
    }
    return valueIn(cache, key);
}

void FileUserDefaults::keepUntilLockIsFree(std::string_view key, const DefaultsChange& change) {
    refreshIfChanged();
    const auto kept = pending.find(key);
    const auto stored = kept != pending.end() ? kept->second : valueIn(cache, key);
    auto changed = change(stored);
    if (changed == stored) {
        return;
    }
    if (pending.empty()) {
        report("Tessaline: settings change kept in memory until another process frees " +
               lockPath.string());
    }
    pending.insert_or_assign(std::string(key), std::move(changed));
}

void FileUserDefaults::commitLocked(std::string_view key, const DefaultsChange* change) const {
    const bool hadPending = !pending.empty();
    if (!load(true)) {
        // Writing without the file's current contents would drop every other key in it.
        reportDroppedWrite("cannot read", filePath, errno);
        pending.clear();
        return;
    }
    UserDefaultsFileContents contents = cache;
    for (auto& [pendingKey, value] : pending) {
        put(contents, pendingKey, std::move(value));
    }
    pending.clear();
    bool changed = hadPending;
    if (change) {
        const auto stored = valueIn(contents, key);
        auto value = (*change)(stored);
        if (value != stored) {
            put(contents, key, std::move(value));
            changed = true;
        }
    }
    if (!changed) {
        return;
    }
    // A failed write leaves the file as it was; this process still reads its change until the
    // file changes on disk.
    if (writeLocked(contents)) {
        loadedStamp = currentStamp();
        if (hadPending) {
            report("Tessaline: settings changes kept in memory are saved now that " +
                   lockPath.string() + " is free");
        }
    } else {
        reportDroppedWrite("cannot write", filePath, errno);
    }
    cache = std::move(contents);
}

std::optional<FileUserDefaults::FileStamp> FileUserDefaults::currentStamp() const {
    struct stat status {};
    if (::stat(filePath.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return FileStamp{status.st_dev, status.st_ino, status.st_size, status.st_mtim, status.st_ctim};
}

void FileUserDefaults::refreshIfChanged() const {
    if (loaded && currentStamp() == loadedStamp) {
        return;
    }
    // Renames swap whole files, so a read needs no lock; only keeping a file aside does, and
    // a read does not wait for it.
    const FileLock lock(lockPath, noWait);
    load(lock.held());
}

bool FileUserDefaults::load(bool fileLocked) const {
    using Outcome = FileReplacement::OwnedFileRead::Outcome;
    const auto stamp = currentStamp();
    auto read = FileReplacement::readOwned(filePath, maximumFileSize, true);
    if (read.outcome == Outcome::failed) {
        // A file that exists but cannot be read now (no descriptor left, an I/O error) is not
        // a corrupt one: it stays where it is and the next access reads it again.
        loaded = false;
        errno = read.error;
        return false;
    }
    loaded = true;
    loadedStamp = stamp;
    std::optional<UserDefaultsFileContents> contents;
    std::string_view problem;
    switch (read.outcome) {
    case Outcome::read:
        contents = UserDefaultsFileCodec::decode(read.contents);
        problem = "it is not a JSON object";
        break;
    case Outcome::missing:
        contents.emplace();
        break;
    case Outcome::notOwnedFile:
        problem = "it is not a regular file of this user";
        break;
    case Outcome::tooLarge:
        problem = "it is larger than 16 MiB";
        break;
    case Outcome::failed:
        break;
    }
    if (contents) {
        cache = std::move(*contents);
        return true;
    }
    if (fileLocked) {
        keepAsideLocked(problem);
        loadedStamp = currentStamp();
    } else {
        loaded = false; // kept aside by the next access that holds the lock
    }
    cache = {};
    return true;
}

void FileUserDefaults::keepAsideLocked(std::string_view reason) const {
    const std::string base = filePath.string() + ".corrupt-" + utcStamp();
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::string candidate = attempt == 0 ? base : base + "-" + std::to_string(attempt);
        std::error_code error;
        if (std::filesystem::exists(std::filesystem::symlink_status(candidate, error))) {
            continue;
        }
        if (::rename(filePath.c_str(), candidate.c_str()) == 0) {
            FileReplacement::syncFolder(filePath.parent_path());
            report("Tessaline: settings file kept aside as " + candidate + ": " +
                   std::string(reason));
        }
        return;
    }
}

bool FileUserDefaults::writeLocked(const UserDefaultsFileContents& contents) const {
    // Every writer of this file replaces it holding the lock, so a temporary file beside it
    // now is one that a killed writer left.
    FileReplacement::removeStaleTemporaries(filePath);
    const int error =
        FileReplacement::replace(filePath, UserDefaultsFileCodec::encode(contents), 0600);
    errno = error;
    return error == 0;
}

void FileUserDefaults::reportDroppedWrite(std::string_view reason,
                                          const std::filesystem::path& path, int error) const {
    std::string line = "Tessaline: settings change not saved: ";
    line += reason;
    line += ' ';
    line += path.string();
    if (error != 0) {
        line += ": ";
        line += std::strerror(error);
    }
    report(line);
}

void FileUserDefaults::report(const std::string& line) const {
    if (failureLog) {
        failureLog(line);
    } else {
        std::fprintf(stderr, "%s\n", line.c_str());
    }
}

} // namespace platform
