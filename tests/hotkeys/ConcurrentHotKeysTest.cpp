#include "Parlowen/Hotkeys/PerAppHotKeyStore.h"
#include "platform/FileUserDefaults.h"
#include "tests/hotkeys/HotkeyTestSupport.h"

#include "tests/support/ChildProcesses.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace Parlowen;
using namespace HotkeyTesting;

// Two processes binding chords in one settings file at once: each keeps its own bindings, and
// of two items asking for the same chord at the same moment exactly one gets it.
TEST(ConcurrentHotKeys, TwoProcessesKeepTheirBindingsAndOneChordPerItem) {
    constexpr std::uint32_t bindingsPerProcess = 20;
    constexpr std::uint32_t sharedKeyCode = 100;
    TemporaryFolder temporary;
    const auto file = temporary.path() / "defaults.json";
    const auto binder = [&](std::string app, std::uint32_t firstKeyCode) {
        return [&, app, firstKeyCode] {
            PerAppHotKeyStore store(std::make_shared<platform::FileUserDefaults>(file));
            store.assign(record(app, "Shared"), sharedKeyCode, 0x100, at(0));
            for (std::uint32_t index = 0; index < bindingsPerProcess; ++index) {
                const auto result = store.assign(record(app, "Item " + std::to_string(index)),
                                                 firstKeyCode + index, 0x100, at(index));
                if (result.kind != PerAppHotKeyAssignmentResult::Kind::saved) {
                    return false;
                }
            }
            return true;
        };
    };
    EXPECT_TRUE(runInChildProcesses({binder("One", 0), binder("Two", bindingsPerProcess)}));

    const auto bindings =
        PerAppHotKeyStore(std::make_shared<platform::FileUserDefaults>(file)).load();
    EXPECT_EQ(bindings.size(), 2 * bindingsPerProcess + 1);
    EXPECT_EQ(std::count_if(
                  bindings.begin(), bindings.end(),
                  [](const auto& binding) { return binding.shortcut.keyCode == sharedKeyCode; }),
              1);
}

} // namespace
