#pragma once

#include "platform/UserDefaults.h"

namespace platform {

// A volatile layer over another store, for the visual snapshot mode: reads see the layer's
// values first and the base store's (with its registered defaults) after them. Writes and
// removals stay in the layer, so nothing done through it reaches the base store.
class OverlayUserDefaults final : public UserDefaults {
public:
    OverlayUserDefaults(std::shared_ptr<UserDefaults> base, const DefaultsDictionary& values);

    void set(std::string_view key, DefaultsValue value) override;
    // Hides the key from reads, also when the base store holds it.
    void removeObject(std::string_view key) override;
    // Reads as `storedObject` does (the base store's value when the layer has none) and keeps
    // the answer in the layer.
    std::optional<DefaultsValue> update(std::string_view key,
                                        const DefaultsChange& change) override;

protected:
    std::optional<DefaultsValue> storedObject(std::string_view key) const override;

private:
    std::optional<DefaultsValue> storedLocked(std::string_view key) const;

    std::shared_ptr<UserDefaults> base;
    mutable std::mutex mutex;
    // An empty optional marks a key removed in the layer.
    std::map<std::string, std::optional<DefaultsValue>, std::less<>> layer;
};

} // namespace platform
