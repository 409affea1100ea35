#pragma once

#include "Parlowen/Items/ScanSnapshot.h"
#include "platform/Clock.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

// The support file of the Advanced pane: one fresh scan as pretty-printed JSON with sorted keys,
// written to "tessaline-last-scan.json" in the diagnostics folder.
namespace Parlowen::ScanSnapshotExport {

inline constexpr std::string_view fileName = "tessaline-last-scan.json";
// Only the first items of a scan are written; screens are never cut.
inline constexpr std::size_t maximumItemCount = 100;

// What the file says beside the scan itself.
struct ExportContext {
    platform::WallTime generatedAt;
    bool accessibilityGranted = false;
    bool renderedFrameAssistEnabled = true;
    bool diagnosticLabelsEnabled = false;
};

// Why an export failed, as the export button's tooltip shows it.
struct ExportError {
    std::string description;

    friend bool operator==(const ExportError&, const ExportError&) = default;
};

// The top-level object of the file (keys sort themselves in `nlohmann::json`).
nlohmann::json document(const ScanSnapshot& snapshot, const ExportContext& context);

// The bytes of `value` as the platform's JSON writer lays them out with the pretty-printed and
// sorted-keys options: two-space indents, " : " between key and value, slashes escaped, whole
// numbers without a fraction. A number that is not finite cannot be written and is an error.
std::variant<std::string, ExportError> serialize(const nlohmann::json& value);

// "tessaline-last-scan.json" in the diagnostics folder (which follows its override).
std::filesystem::path exportPath();

// Writes `bytes` to `path` through a fresh temporary file beside it (unpredictable name,
// created exclusively with mode 0600) renamed over the path, so a link planted at the path is
// replaced rather than followed and a failure leaves an earlier file intact.
std::optional<ExportError> writeAtomically(const std::filesystem::path& path,
                                           std::string_view bytes);

// `document`, `serialize` and `writeAtomically` to `exportPath()`; the path written, or the error.
std::variant<std::filesystem::path, ExportError> exportSnapshot(const ScanSnapshot& snapshot,
                                                                const ExportContext& context);

} // namespace Parlowen::ScanSnapshotExport
