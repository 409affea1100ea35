#pragma once

#include "Parlowen/Items/AXMenuBarItemRecord.h"
#include "core/ActionAttemptLog.h"
#include "platform/Geometry.h"

#include <optional>
#include <string>
#include <vector>

// The texts of the debug panel: the details of the scan and of one item, the experiment log for
// copying and the scan dump. Item lines of the log and the dump escape their text fields as the
// attempt lines do, so that every item stays on one line whatever its app calls it.
namespace DebugPanelText {

// What one scan left, as the texts need it.
struct ScanState {
    std::vector<Parlowen::AXMenuBarItemRecord> items;
    // The screens as the screen probe describes them.
    std::string screensDescription;
    std::size_t screenCount = 0;
    std::string summary;
};

// "(nil)" for a missing value; each coordinate is cut toward zero: "(x:1200, y:0, w:24, h:22)".
std::string stringify(const std::optional<platform::CGRect>& rect);
std::string stringify(const std::optional<platform::CGPoint>& point);
std::string stringify(const std::optional<platform::CGSize>& size);

// The prefix (when given), the screens and every attempt so far, one blank line between them.
std::string detailsText(const std::optional<std::string>& prefix, const ScanState& scan,
                        const std::vector<QelCore::ActionAttemptLog>& logs);

// One item's fields, the attempts made on this process, title and app, and the screens.
std::string itemDetailsText(const Parlowen::AXMenuBarItemRecord& item, const ScanState& scan,
                            const std::vector<QelCore::ActionAttemptLog>& logs);

// The Markdown log for the clipboard, stamped with `generatedAt`.
std::string copyableLog(const std::string& generatedAt, bool accessibilityGranted,
                        const ScanState& scan, const std::vector<QelCore::ActionAttemptLog>& logs);

// The scan dump written after every scan.
std::string scanDump(const std::string& generatedAt, const std::string& reason,
                     bool accessibilityGranted, const ScanState& scan);

// The classification's name, e.g. "hiddenBehindNotch".
std::string classificationName(const Parlowen::AXMenuBarItemRecord& item);

} // namespace DebugPanelText
