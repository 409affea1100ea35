#pragma once

#include "platform/UserDefaults.h"
#include "platform/UserDefaultsFileCodec.h"

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Changes of single keys that wait to be written, in the order they were made. Each is kept as
// the change it is, not as the value it gave, so that it is applied to whatever the file holds
// when it is written at last and overwrites no other process's change. A change that replaces
// its key's value whatever it was (a set or a removal) makes the earlier ones of that key moot,
// so they are dropped: what waits stays as small as the keys changed, apart from updates.
class PendingDefaultsChanges {
public:
    enum class Kind { update, replacement };

    void add(std::string_view key, DefaultsChange change, Kind kind);
    bool empty() const { return changes.empty(); }
    void clear() { changes.clear(); }

    // What `stored` under `key` becomes with the waiting changes of that key.
    std::optional<DefaultsValue> applied(std::string_view key,
                                         std::optional<DefaultsValue> stored) const;
    // Applies every waiting change to `contents`, in order; true when any changed them.
    bool applyAll(UserDefaultsFileContents& contents) const;
    // The keys of the waiting changes, each once, in order, separated by ", ".
    std::string keys() const;

private:
    struct Change {
        std::string key;
        DefaultsChange change;
    };
    std::vector<Change> changes;
};

} // namespace platform
