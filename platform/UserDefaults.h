#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace platform {

// Raw bytes stored under a key (the stores keep their JSON arrays this way).
using DefaultsData = std::vector<std::uint8_t>;

// One stored value: bool, integer, double, string or data. "Absent" is an empty optional.
using DefaultsValue = std::variant<bool, std::int64_t, double, std::string, DefaultsData>;

// Keys and values, ordered by key; looked up with any string type.
using DefaultsDictionary = std::map<std::string, DefaultsValue, std::less<>>;

// The change of one read-modify-write: given the value stored under the key (none when absent),
// the value to leave there (none removes the key).
using DefaultsChange =
    std::function<std::optional<DefaultsValue>(const std::optional<DefaultsValue>& stored)>;

// Whether a change can be applied to the stored value it is given.
using DefaultsCondition = std::function<bool(const std::optional<DefaultsValue>& stored)>;

// A typed key-value store of user settings. Reads search the stored values first, then the
// registered defaults. Every implementation is safe to use from any thread.
class UserDefaults {
public:
    UserDefaults() = default;
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;
    virtual ~UserDefaults() = default;

    // The process-wide store: the file store at its standard path unless replaced.
    static std::shared_ptr<UserDefaults> standard();
    // Replaces the process-wide store (start-up and tests); null restores the file store.
    static void setStandard(std::shared_ptr<UserDefaults> defaults);

    // Stores `value` under `key`, replacing any value of any type.
    virtual void set(std::string_view key, DefaultsValue value) = 0;
    // Removes the stored value; a registered default shows through again.
    virtual void removeObject(std::string_view key) = 0;
    // Reads what is stored under `key` (registered defaults do not count) and stores what
    // `change` answers for it, as one step: no other write to the store, from this process or
    // another one on the same file, comes in between. This is how a value that is read, changed
    // and written back (a stored list) keeps concurrent changes. `change` runs under the store's
    // lock, so it must not call the store; answering the stored value unchanged writes nothing.
    // A write that has to wait for another process keeps `change` itself and applies it again
    // to what the file holds when the write is done, from another thread: so `change` owns what
    // it uses (no references to the caller's locals) and tells nothing but its answer. What it
    // was given first is answered: the stored value this change was applied to, or the one this
    // process saw when the write had to wait.
    virtual std::optional<DefaultsValue> update(std::string_view key,
                                                const DefaultsChange& change) = 0;
    // As `update`, for a change that can be applied only to a stored value that `applies`
    // accepts (a list's change only to a list): another value is left as it is and answered,
    // for the caller to decide what becomes of it. A change that had to wait for another
    // process and meets such a value when it is written at last is dropped and reported, as
    // its caller decided from the value it saw before. `applies` owns what it uses, too.
    virtual std::optional<DefaultsValue>
    updateIf(std::string_view key, const DefaultsCondition& applies, const DefaultsChange& change);
    // Waits a bounded time for writes still waiting for another process, as the program ends.
    virtual void synchronize() {}

    // The stored value, else the registered default, else none.
    std::optional<DefaultsValue> objectForKey(std::string_view key) const;
    // Adds (or replaces) registered defaults: values read when nothing is stored. Never persisted.
    void registerDefaults(const DefaultsDictionary& values);

    // Typed reads. A value of another type reads as the empty answer: false for a Boolean read
    // of a non-Boolean, 0 for a number read of a non-number, none for strings and data.
    // Number reads accept both integers and doubles; a double outside the integer range, or
    // not finite, reads as integer 0.
    bool boolForKey(std::string_view key) const;
    std::int64_t integerForKey(std::string_view key) const;
    double doubleForKey(std::string_view key) const;
    std::optional<std::string> stringForKey(std::string_view key) const;
    std::optional<DefaultsData> dataForKey(std::string_view key) const;

protected:
    // The value stored under `key`, without registered defaults; none when absent.
    virtual std::optional<DefaultsValue> storedObject(std::string_view key) const = 0;

private:
    mutable std::mutex registrationMutex;
    DefaultsDictionary registered;
};

} // namespace platform
