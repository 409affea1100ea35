#pragma once

#include "platform/UserDefaults.h"

namespace platform {

// A store that lives only in memory, for tests and throwaway settings.
class InMemoryUserDefaults final : public UserDefaults {
public:
    InMemoryUserDefaults() = default;
    explicit InMemoryUserDefaults(DefaultsDictionary values) : values(std::move(values)) {}

    void set(std::string_view key, DefaultsValue value) override;
    void removeObject(std::string_view key) override;
    std::optional<DefaultsValue> update(std::string_view key,
                                        const DefaultsChange& change) override;

protected:
    std::optional<DefaultsValue> storedObject(std::string_view key) const override;

private:
    mutable std::mutex mutex;
    DefaultsDictionary values;
};

} // namespace platform
