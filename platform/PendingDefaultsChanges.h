#pragma once

#include "platform/UserDefaults.h"
#include "platform/UserDefaultsFileCodec.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Changes of single keys that wait to be written, in the order they were made. Each is kept as
// the change it is, not as the value it gave, so that it is applied to whatever the file holds
// when it is written at last and overwrites no other process's change. A change that replaces
// its key's value whatever it was (a set or a removal) makes the earlier ones of that key moot,
// so they are dropped: what waits stays as small as the keys changed, apart from updates. A
// change with a condition (see `UserDefaults::updateIf`) leaves a value it does not accept as
// it is.
//
// What the changes of a key make of a stored value is kept: asked again for the same stored
// value, none of them runs again, and a change added later runs once, on that answer. So n
// changes that wait, each read back at once, cost n runs, not n squared; they run all over
// again only on another stored value (the file read anew) and when they are written.
class PendingDefaultsChanges {
public:
    enum class Kind { update, replacement };

    void add(std::string_view key, DefaultsChange change, Kind kind, DefaultsCondition applies);
    bool empty() const { return byKey.empty(); }
    void clear();

    // What `stored` under `key` becomes with the waiting changes of that key.
    std::optional<DefaultsValue> applied(std::string_view key,
                                         const std::optional<DefaultsValue>& stored);
    struct Outcome {
        bool changed = false;
        // The keys whose changes met a value they do not accept, as `keys` names them.
        std::string refusedKeys;
    };
    // Applies every waiting change to `contents`, in order.
    Outcome applyAll(UserDefaultsFileContents& contents) const;
    // The keys of the waiting changes, each once, in order, separated by ", ".
    std::string keys() const;

private:
    // What the changes of a key made of a stored value.
    struct Answer {
        std::optional<DefaultsValue> stored;
        std::optional<DefaultsValue> result;
    };
    struct Change {
        DefaultsChange change;
        DefaultsCondition applies;
        // The change applied to `stored`, or `stored` when it does not accept it.
        std::optional<DefaultsValue> operator()(const std::optional<DefaultsValue>& stored) const {
            return applies(stored) ? change(stored) : stored;
        }
    };
    struct KeyChanges {
        std::string key;
        std::vector<Change> changes;
        std::optional<Answer> lastAnswer;
    };
    // Changes of different keys never meet, so only the order within a key counts.
    std::vector<KeyChanges> byKey; // in the order of each key's first change
    std::map<std::string, std::size_t, std::less<>> indexOfKey;
};

} // namespace platform
