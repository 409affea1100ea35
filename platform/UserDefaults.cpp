#include "platform/UserDefaults.h"

#include "platform/FileUserDefaults.h"

#include <cmath>

namespace platform {

namespace {

std::mutex standardMutex;
std::shared_ptr<UserDefaults> standardDefaults;

// Numbers of either kind; bools and other types are not numbers.
std::optional<double> numberValue(const std::optional<DefaultsValue>& value) {
    if (!value) {
        return std::nullopt;
    }
    if (const auto* integer = std::get_if<std::int64_t>(&*value)) {
        return static_cast<double>(*integer);
    }
    if (const auto* real = std::get_if<double>(&*value)) {
        return *real;
    }
    return std::nullopt;
}

} // namespace

std::shared_ptr<UserDefaults> UserDefaults::standard() {
    const std::lock_guard lock(standardMutex);
    if (!standardDefaults) {
        standardDefaults = std::make_shared<FileUserDefaults>(FileUserDefaults::standardPath());
    }
    return standardDefaults;
}

void UserDefaults::setStandard(std::shared_ptr<UserDefaults> defaults) {
    const std::lock_guard lock(standardMutex);
    standardDefaults = std::move(defaults);
}

std::optional<DefaultsValue> UserDefaults::updateIf(std::string_view key,
                                                    const DefaultsCondition& applies,
                                                    const DefaultsChange& change) {
    return update(key, [applies, change](const std::optional<DefaultsValue>& stored) {
        return applies(stored) ? change(stored) : stored;
    });
}

std::optional<DefaultsValue> UserDefaults::objectForKey(std::string_view key) const {
    if (auto stored = storedObject(key)) {
        return stored;
    }
    const std::lock_guard lock(registrationMutex);
    if (const auto found = registered.find(key); found != registered.end()) {
        return found->second;
    }
    return std::nullopt;
}

void UserDefaults::registerDefaults(const DefaultsDictionary& values) {
    const std::lock_guard lock(registrationMutex);
    for (const auto& [key, value] : values) {
        registered.insert_or_assign(key, value);
    }
}

bool UserDefaults::boolForKey(std::string_view key) const {
    const auto value = objectForKey(key);
    const auto* flag = value ? std::get_if<bool>(&*value) : nullptr;
    return flag && *flag;
}

std::int64_t UserDefaults::integerForKey(std::string_view key) const {
    const auto value = objectForKey(key);
    if (const auto* integer = value ? std::get_if<std::int64_t>(&*value) : nullptr) {
        return *integer;
    }
    const auto number = numberValue(value);
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    constexpr double limit = 9223372036854775808.0;
    if (!number || !std::isfinite(*number) || *number >= limit || *number < -limit) {
        return 0;
    }
    return static_cast<std::int64_t>(*number);
}

double UserDefaults::doubleForKey(std::string_view key) const {
    return numberValue(objectForKey(key)).value_or(0.0);
}

std::optional<std::string> UserDefaults::stringForKey(std::string_view key) const {
    auto value = objectForKey(key);
    if (auto* text = value ? std::get_if<std::string>(&*value) : nullptr) {
        return std::move(*text);
    }
    return std::nullopt;
}

std::optional<DefaultsData> UserDefaults::dataForKey(std::string_view key) const {
    auto value = objectForKey(key);
    if (auto* data = value ? std::get_if<DefaultsData>(&*value) : nullptr) {
        return std::move(*data);
    }
    return std::nullopt;
}

} // namespace platform
