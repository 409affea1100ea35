#include "platform/FileUserDefaults.h"

#include "platform/FileLock.h"
#include "platform/FileReplacement.h"
#include "platform/PendingDefaultsChanges.h"
#include "platform/QueuedFileLock.h"
#include "platform/UserDefaultsFileCodec.h"

#include <nlohmann/json.hpp>

#include <pthread.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>

namespace platform {

namespace {

constexpr std::chrono::milliseconds noWait{0};

bool anyValue(const std::optional<DefaultsValue>&) {
    return true;
}

std::string utcStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    std::array<char, 32> text{};
    const auto length = std::strftime(text.data(), text.size(), "%Y%m%dT%H%M%SZ", &parts);
    return std::string(text.data(), length);
}

// A read that fails for want of permission fails again; any other failure (no descriptor
// left, an I/O error, a file replaced at every look) may pass at the next try.
bool passesLater(int error) {
    return error != EACCES && error != EPERM;
}

// Where a write of the settings file goes: the target of a link at its path, so the link stays;
// a link to nothing is replaced by the file.
std::filesystem::path writtenPath(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error)) {
        return path;
    }
    auto target = std::filesystem::canonical(path, error);
    return error ? path : target;
}

// What a link at the path points to, from the link's folder; none for anything but a link.
std::optional<std::filesystem::path> linkTarget(const std::filesystem::path& path) {
    std::error_code error;
    const auto target = std::filesystem::read_symlink(path, error);
    if (error) {
        return std::nullopt;
    }
    return (path.parent_path() / target).lexically_normal();
}

} // namespace

// The file, what was last read of it and the changes that wait for its lock. Every member is
// used with `mutex` held.
class FileUserDefaults::File : public std::enable_shared_from_this<File> {
public:
    using Kind = PendingDefaultsChanges::Kind;

    File(std::filesystem::path path, FailureLog log)
        : filePath(std::move(path)), lockPath(filePath.string() + ".lock"),
          failureLog(std::move(log)) {}

    std::optional<DefaultsValue> change(std::string_view key, const DefaultsChange& change,
                                        Kind kind, const DefaultsCondition& applies,
                                        std::chrono::milliseconds lockWait);
    std::optional<DefaultsValue> stored(std::string_view key);
    void synchronize(std::chrono::milliseconds endWait);
    // After `synchronize`: the waiting thread is left to end on its own when it still waits.
    void release();

    const std::filesystem::path filePath;

private:
    struct FileStamp {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec modified{};
        timespec changed{};
        explicit FileStamp(const struct stat& status)
            : device(status.st_dev), inode(status.st_ino), size(status.st_size),
              modified(status.st_mtim), changed(status.st_ctim) {}
        friend bool operator==(const FileStamp& a, const FileStamp& b) {
            return a.device == b.device && a.inode == b.inode && a.size == b.size &&
                   a.modified.tv_sec == b.modified.tv_sec &&
                   a.modified.tv_nsec == b.modified.tv_nsec &&
                   a.changed.tv_sec == b.changed.tv_sec && a.changed.tv_nsec == b.changed.tv_nsec;
        }
    };

    std::optional<FileStamp> currentStamp() const;
    // Loads the file again when its stamp changed since the last load.
    void refreshIfChanged();
    // Reads the file into `cache`. Only with the file lock held is a file that is no JSON
    // object, or no file to read, kept aside. False, with the cache as it was and errno
    // telling why, when the file exists but cannot be read now.
    bool load(bool fileLocked);
    // Moves what is at the path aside; for a link to a file of this user that file itself,
    // which then starts anew as an empty settings object, so the link stays.
    void keepAsideLocked(std::string_view reason, bool usersFile);
    // With the file lock held: applies the waiting changes and then `change` of `key` (when
    // given, and where `applies` accepts the value) to the file's current contents, and writes
    // them if anything changed. Answers the value `change` was given.
    std::optional<DefaultsValue> commitLocked(std::string_view key, const DefaultsChange* change,
                                              Kind kind, const DefaultsCondition& applies);
    // Starts the thread that waits for the lock and writes what waits then.
    void startWaiting();
    void waitForTurn();
    // Replaces the file (a link's target) with `contents`; false, with a line, when it failed.
    bool writeLocked(const UserDefaultsFileContents& contents);
    // A file met on the way to the settings, with the link it was reached through.
    std::string shown(const std::filesystem::path& met) const;
    void reportDroppedWrite(std::string_view reason, const std::string& file, int error) const;
    void report(const std::string& line) const;

    const std::filesystem::path lockPath;
    const FailureLog failureLog;
    std::mutex mutex;
    std::condition_variable settled; // the waiting thread is done
    UserDefaultsFileContents cache;
    PendingDefaultsChanges pending;
    std::optional<FileStamp> loadedStamp;
    // The file last found that had to be kept aside and could not be.
    std::optional<FileStamp> notKeptAside;
    bool loaded = false;
    // A thread waits for the lock.
    bool waiting = false;
    // The file (the lock or its gate) that another process was last found holding.
    std::filesystem::path heldFile;
    std::thread waiter;
    // A line said that changes wait: the line that they are saved follows.
    bool saidKept = false;
};

std::optional<DefaultsValue> FileUserDefaults::File::change(std::string_view key,
                                                            const DefaultsChange& change, Kind kind,
                                                            const DefaultsCondition& applies,
                                                            std::chrono::milliseconds lockWait) {
    std::unique_lock guard(mutex);
    std::error_code error;
    std::filesystem::create_directories(filePath.parent_path(), error);
    // While a thread waits for the lock, later changes join what waits without waiting again.
    if (!waiting) {
        const QueuedFileLock lock(lockPath, QueuedFileLock::Wait::none);
        if (lock.held()) {
            return commitLocked(key, &change, kind, applies);
        }
        if (!lock.heldElsewhere()) {
            // Without the lock another process could replace the file between our read and
            // our rename, and one of the two changes would be lost unseen.
            reportDroppedWrite("cannot lock", lock.failedPath.string(), lock.error);
            refreshIfChanged();
            return pending.applied(key, cache.value(key));
        }
        heldFile = lock.failedPath;
    }
    refreshIfChanged();
    auto seen = pending.applied(key, cache.value(key));
    if (!applies(seen)) {
        return seen; // for the caller to decide what becomes of it, as when nothing waits
    }
    pending.add(key, change, kind, applies);
    if (waiting) {
        return seen;
    }
    startWaiting();
    if (!settled.wait_for(guard, lockWait, [&] { return !waiting; }) && !saidKept) {
        saidKept = true;
        report("Tessaline: settings change kept in memory until another process frees " +
               heldFile.string());
    }
    return seen;
}

std::optional<DefaultsValue> FileUserDefaults::File::stored(std::string_view key) {
    const std::lock_guard guard(mutex);
    refreshIfChanged();
    return pending.applied(key, cache.value(key));
}

void FileUserDefaults::File::synchronize(std::chrono::milliseconds endWait) {
    std::unique_lock guard(mutex);
    if (pending.empty()) {
        return;
    }
    if (!waiting) {
        startWaiting(); // what waits for a file that could not be read gets one more try
    }
    if (!settled.wait_for(guard, endWait, [&] { return !waiting; })) {
        report("Tessaline: settings not saved: another process still holds " + heldFile.string() +
               "; lost: " + pending.keys());
    } else if (!pending.empty()) {
        report("Tessaline: settings not saved: cannot read " + filePath.string() +
               "; lost: " + pending.keys());
    }
    pending.clear();
    saidKept = false;
}

void FileUserDefaults::File::release() {
    const std::lock_guard guard(mutex);
    if (waiter.joinable()) {
        // Still waiting only when the end's wait ran out; nothing waits to be written then.
        if (waiting) {
            waiter.detach();
        } else {
            waiter.join();
        }
    }
}

void FileUserDefaults::File::startWaiting() {
    if (waiter.joinable()) {
        waiter.join(); // done: it cleared `waiting` as its last step under the mutex
    }
    waiting = true;
    waiter = std::thread([self = shared_from_this()] { self->waitForTurn(); });
}

void FileUserDefaults::File::waitForTurn() {
    ::pthread_setname_np(::pthread_self(), "settings-lock");
    std::optional<QueuedFileLock> lock;
    lock.emplace(lockPath, QueuedFileLock::Wait::untilFree,
                 [this](const std::filesystem::path& held) {
                     const std::lock_guard guard(mutex);
                     heldFile = held;
                 });
    const std::lock_guard guard(mutex);
    if (!pending.empty()) {
        if (lock->held()) {
            commitLocked({}, nullptr, Kind::update, anyValue);
        } else {
            reportDroppedWrite("cannot lock", lock->failedPath.string(), lock->error);
            pending.clear();
        }
    }
    // Let go of the lock before the mutex, so that no change of this process finds it held.
    lock.reset();
    waiting = false;
    settled.notify_all();
}

std::optional<DefaultsValue>
FileUserDefaults::File::commitLocked(std::string_view key, const DefaultsChange* change, Kind kind,
                                     const DefaultsCondition& applies) {
    if (!load(true)) {
        const int error = errno;
        const auto seen = pending.applied(key, cache.value(key));
        if (!passesLater(error)) {
            // Writing without the file's current contents would drop every other key in it.
            reportDroppedWrite("cannot read", filePath.string(), error);
            pending.clear();
            return seen;
        }
        if (change && applies(seen)) {
            pending.add(key, *change, kind, applies);
        }
        // Only what waits is said to wait: a refused change is its caller's to decide.
        if (!pending.empty() && !saidKept) {
            saidKept = true;
            report("Tessaline: settings change kept in memory until " + filePath.string() +
                   " can be read: " + std::strerror(error));
        }
        return seen;
    }
    UserDefaultsFileContents contents = cache;
    const auto waited = pending.applyAll(contents);
    bool changed = waited.changed;
    pending.clear();
    // Whoever made such a change decided from another value and cannot be asked again.
    if (!waited.refusedKeys.empty()) {
        report("Tessaline: settings change not saved: the value of " + waited.refusedKeys + " in " +
               filePath.string() + " is not one the change can be applied to");
    }
    const auto seen = change ? contents.value(key) : std::nullopt;
    if (change && applies(seen)) {
        auto value = (*change)(seen);
        if (value != seen) {
            contents.put(key, std::move(value));
            changed = true;
        }
    }
    if (!changed) {
        return seen;
    }
    // A failed write leaves the file as it was; this process still reads its change until the
    // file changes on disk.
    if (writeLocked(contents)) {
        loadedStamp = currentStamp();
        if (saidKept) {
            report("Tessaline: settings changes kept in memory are saved in " + filePath.string());
        }
    }
    saidKept = false;
    cache = std::move(contents);
    return seen;
}

std::optional<FileUserDefaults::File::FileStamp> FileUserDefaults::File::currentStamp() const {
    struct stat status {};
    if (::stat(filePath.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return FileStamp(status);
}

void FileUserDefaults::File::refreshIfChanged() {
    if (loaded && currentStamp() == loadedStamp) {
        return;
    }
    // Renames swap whole files, so a read needs no lock; only keeping a file aside does, and
    // a read does not wait for it.
    const FileLock lock(lockPath, noWait);
    load(lock.held());
}

bool FileUserDefaults::File::load(bool fileLocked) {
    using Outcome = FileReplacement::OwnedFileRead::Outcome;
    auto read = FileReplacement::readOwned(filePath, maximumFileSize, true);
    if (read.outcome == Outcome::failed) {
        // A file that exists but cannot be read now (no descriptor left, an I/O error) is not
        // a corrupt one: it stays where it is and the next access reads it again.
        loaded = false;
        errno = read.error;
        return false;
    }
    loaded = true;
    std::optional<UserDefaultsFileContents> contents;
    std::string_view problem;
    switch (read.outcome) {
    case Outcome::read:
        loadedStamp = FileStamp(read.status);
        contents = UserDefaultsFileCodec::decode(read.contents);
        if (!contents) {
            problem = nlohmann::json::accept(read.contents) ? "it is not a JSON object"
                                                            : "it is not valid JSON";
        }
        break;
    case Outcome::missing:
        loadedStamp.reset();
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
        keepAsideLocked(problem, read.outcome != Outcome::notOwnedFile);
        loadedStamp = currentStamp();
    } else {
        loaded = false; // kept aside by the next access that holds the lock
    }
    cache = {};
    return true;
}

void FileUserDefaults::File::keepAsideLocked(std::string_view reason, bool usersFile) {
    // A dotfile manager's link keeps pointing at its file; anything else (a pipe, a link to a
    // device) is no file of the user's to keep, so what is at the path goes.
    const std::filesystem::path bad = usersFile ? writtenPath(filePath) : filePath;
    const std::string base = bad.string() + ".corrupt-" + utcStamp();
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::string candidate = attempt == 0 ? base : base + "-" + std::to_string(attempt);
        std::error_code error;
        if (std::filesystem::exists(std::filesystem::symlink_status(candidate, error))) {
            continue;
        }
        if (::rename(bad.c_str(), candidate.c_str()) != 0) {
            const int error = errno;
            // Every read and write tries again; the file they meet is named once.
            if (const auto stamp = currentStamp(); stamp != notKeptAside) {
                notKeptAside = stamp;
                report("Tessaline: settings file " + shown(bad) + " cannot be kept aside as " +
                       candidate + ": " + std::strerror(error) + "; " + std::string(reason));
            }
            return;
        }
        FileReplacement::syncFolder(bad.parent_path());
        report("Tessaline: settings file kept aside as " + candidate + ": " + std::string(reason));
        // A link left pointing at nothing would be replaced by the next write.
        if (bad != filePath) {
            FileReplacement::replace(bad, UserDefaultsFileCodec::encode({}), 0600);
        }
        return;
    }
}

bool FileUserDefaults::File::writeLocked(const UserDefaultsFileContents& contents) {
    const std::filesystem::path target = writtenPath(filePath);
    // A link at the path is written through unless it leads nowhere: then the file replaces it.
    const auto missingTarget = target == filePath ? linkTarget(filePath) : std::nullopt;
    // Every writer of this file replaces it holding the lock, so a temporary file beside it
    // now is one that a killed writer left.
    FileReplacement::removeStaleTemporaries(target);
    const int error =
        FileReplacement::replace(target, UserDefaultsFileCodec::encode(contents), 0600);
    if (error != 0) {
        reportDroppedWrite("cannot write", shown(target), error);
        return false;
    }
    if (missingTarget) {
        report("Tessaline: settings link " + filePath.string() + " pointed to " +
               missingTarget->string() +
               ", which does not exist; it is now a plain file holding the settings");
    }
    return true;
}

std::string FileUserDefaults::File::shown(const std::filesystem::path& met) const {
    return met == filePath ? met.string()
                           : met.string() + " (linked from " + filePath.string() + ")";
}

void FileUserDefaults::File::reportDroppedWrite(std::string_view reason, const std::string& file,
                                                int error) const {
    std::string line = "Tessaline: settings change not saved: ";
    line += reason;
    line += ' ';
    line += file;
    if (error != 0) {
        line += ": ";
        line += std::strerror(error);
    }
    report(line);
}

void FileUserDefaults::File::report(const std::string& line) const {
    if (failureLog) {
        failureLog(line);
    } else {
        std::fprintf(stderr, "%s\n", line.c_str());
    }
}

FileUserDefaults::FileUserDefaults(std::filesystem::path path, FailureLog log,
                                   std::chrono::milliseconds lockWait,
                                   std::chrono::milliseconds endWait)
    : file(std::make_shared<File>(std::move(path), std::move(log))), lockWait(lockWait),
      endWait(endWait) {}

FileUserDefaults::~FileUserDefaults() {
    synchronize();
    file->release();
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

const std::filesystem::path& FileUserDefaults::path() const {
    return file->filePath;
}

void FileUserDefaults::set(std::string_view key, DefaultsValue value) {
    file->change(
        key, [value = std::move(value)](const std::optional<DefaultsValue>&) { return value; },
        File::Kind::replacement, anyValue, lockWait);
}

void FileUserDefaults::removeObject(std::string_view key) {
    file->change(
        key, [](const std::optional<DefaultsValue>&) { return std::optional<DefaultsValue>(); },
        File::Kind::replacement, anyValue, lockWait);
}

std::optional<DefaultsValue> FileUserDefaults::update(std::string_view key,
                                                      const DefaultsChange& change) {
    return file->change(key, change, File::Kind::update, anyValue, lockWait);
}

std::optional<DefaultsValue> FileUserDefaults::updateIf(std::string_view key,
                                                        const DefaultsCondition& applies,
                                                        const DefaultsChange& change) {
    return file->change(key, change, File::Kind::update, applies, lockWait);
}

void FileUserDefaults::synchronize() {
    file->synchronize(endWait);
}

std::optional<DefaultsValue> FileUserDefaults::storedObject(std::string_view key) const {
    return file->stored(key);
}

} // namespace platform
