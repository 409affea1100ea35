#include "ui/Debug/DebugPanelText.h"

#include "core/ExperimentLogFormatter.h"
#include "core/LineEscaping.h"
#include "core/RawValue.h"

#include <cmath>
#include <cstdio>

namespace DebugPanelText {

namespace {

using Parlowen::AXMenuBarItemRecord;
using QelCore::LineEscaping::escaped;

// The coordinate without its fraction; a non-finite one is named rather than converted.
std::string number(double value) {
    if (std::isnan(value)) {
        return "nan";
    }
    if (std::isinf(value)) {
        return value > 0 ? "inf" : "-inf";
    }
    char text[64];
    // Adding zero turns the -0 of a cut -0.7 into 0.
    std::snprintf(text, sizeof text, "%.0f", std::trunc(value) + 0.0);
    return text;
}

std::string joined(const std::vector<std::string>& parts, std::string_view separator,
                   bool escape = false) {
    std::string result;
    for (std::size_t index = 0; index < parts.size(); ++index) {
        if (index > 0) {
            result += separator;
        }
        result += escape ? escaped(parts[index]) : parts[index];
    }
    return result;
}

std::string attemptLines(const std::vector<QelCore::ActionAttemptLog>& logs) {
    if (logs.empty()) {
        return "(none)";
    }
    std::vector<std::string> lines;
    for (const auto& log : logs) {
        lines.push_back(QelCore::ExperimentLogFormatter::format(log));
    }
    return joined(lines, "\n");
}

std::string screenText(const AXMenuBarItemRecord& item) {
    return item.screenID.value_or("-");
}

} // namespace

std::string stringify(const std::optional<platform::CGRect>& rect) {
    if (!rect) {
        return "(nil)";
    }
    return "(x:" + number(rect->origin.x) + ", y:" + number(rect->origin.y) +
           ", w:" + number(rect->size.width) + ", h:" + number(rect->size.height) + ")";
}

std::string stringify(const std::optional<platform::CGPoint>& point) {
    if (!point) {
        return "(nil)";
    }
    return "(x:" + number(point->x) + ", y:" + number(point->y) + ")";
}

std::string stringify(const std::optional<platform::CGSize>& size) {
    if (!size) {
        return "(nil)";
    }
    return "(w:" + number(size->width) + ", h:" + number(size->height) + ")";
}

std::string classificationName(const AXMenuBarItemRecord& item) {
    return QelCore::toString(item.classification);
}

std::string detailsText(const std::optional<std::string>& prefix, const ScanState& scan,
                        const std::vector<QelCore::ActionAttemptLog>& logs) {
    std::vector<std::string> sections;
    if (prefix) {
        sections.push_back(*prefix);
    }
    sections.push_back("Screens\n" + scan.screensDescription);
    sections.push_back("Logs\n" + attemptLines(logs));
    return joined(sections, "\n\n");
}

std::string itemDetailsText(const AXMenuBarItemRecord& item, const ScanState& scan,
                            const std::vector<QelCore::ActionAttemptLog>& logs) {
    std::vector<QelCore::ActionAttemptLog> attempts;
    for (const auto& log : logs) {
        if (log.pid == item.pid && log.title == item.title && log.appName == item.appName) {
            attempts.push_back(log);
        }
    }
    const std::vector<std::string> lines = {
        "app=" + item.appName + " pid=" + std::to_string(item.pid),
        "title=" + item.title,
        "role=" + item.role + " subrole=" + item.subrole,
        "screen=" + screenText(item) + " classification=" + classificationName(item),
        "frame=" + stringify(item.frame) + " position=" + stringify(item.position) +
            " size=" + stringify(item.size),
        "actions=" + joined(item.actions, ", "),
        "notes=" + joined(item.notes, ", "),
        "attempts=\n" + attemptLines(attempts),
        "",
        "Screens\n" + scan.screensDescription,
    };
    return joined(lines, "\n");
}

std::string copyableLog(const std::string& generatedAt, bool accessibilityGranted,
                        const ScanState& scan, const std::vector<QelCore::ActionAttemptLog>& logs) {
    const std::string header =
        "# Parlowen Experiment Log\ngeneratedAt=" + generatedAt +
        "\naccessibilityGranted=" + (accessibilityGranted ? "true" : "false") +
        "\nscreenCount=" + std::to_string(scan.screenCount) +
        "\nitemCount=" + std::to_string(scan.items.size());
    std::vector<std::string> itemLines;
    for (const auto& item : scan.items) {
        itemLines.push_back(
            "- app=" + escaped(item.appName) + " pid=" + std::to_string(item.pid) + " title=\"" +
            escaped(item.title) + "\" role=" + escaped(item.role) +
            " subrole=" + escaped(item.subrole) + " classification=" + classificationName(item) +
            " screen=" + escaped(screenText(item)) + " actions=" + joined(item.actions, ",", true) +
            " frame=" + stringify(item.frame));
    }
    return joined({header, "## Screens\n" + scan.screensDescription,
                   "## Items\n" + joined(itemLines, "\n"),
                   "## Action Attempts\n" + attemptLines(logs)},
                  "\n\n");
}

std::string scanDump(const std::string& generatedAt, const std::string& reason,
                     bool accessibilityGranted, const ScanState& scan) {
    std::vector<std::string> lines = {
        "generatedAt=" + generatedAt,
        "reason=" + reason,
        std::string("accessibilityGranted=") + (accessibilityGranted ? "true" : "false"),
        "scannedMenuBarItemCount=" + std::to_string(scan.items.size()),
        scan.summary,
        "items:",
    };
    for (const auto& item : scan.items) {
        lines.push_back("app=" + escaped(item.appName) + " title=" + escaped(item.title) +
                        " classification=" + classificationName(item) +
                        " screen=" + escaped(screenText(item)) + " frame=" + stringify(item.frame) +
                        " actions=" + joined(item.actions, ",", true) +
                        " notes=" + joined(item.notes, ",", true));
    }
    if (scan.items.empty()) {
        lines.push_back("(none)");
    }
    return joined(lines, "\n") + "\n";
}

} // namespace DebugPanelText
