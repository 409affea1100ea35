#include "Parlowen/Preferences/ScanSnapshotExport.h"

#include "Parlowen/Settings/DiagnosticsAppender.h"
#include "Parlowen/Settings/StoredJSONList.h"
#include "core/RawValue.h"
#include "platform/IsoTimestamp.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace Parlowen::ScanSnapshotExport {

namespace {

nlohmann::json rectangle(const platform::CGRect& rect) {
    return {{"x", rect.origin.x},
            {"y", rect.origin.y},
            {"width", rect.size.width},
            {"height", rect.size.height}};
}

nlohmann::json screen(const QelCore::ScreenSnapshot& screen) {
    return {{"id", screen.id},
            {"frame", rectangle(screen.frame)},
            {"visibleFrame", rectangle(screen.visibleFrame)},
            {"safeAreaInsets",
             {{"top", screen.safeAreaInsets.top},
              {"left", screen.safeAreaInsets.left},
              {"bottom", screen.safeAreaInsets.bottom},
              {"right", screen.safeAreaInsets.right}}},
            {"auxiliaryTopLeftArea", rectangle(screen.auxiliaryTopLeftArea)},
            {"auxiliaryTopRightArea", rectangle(screen.auxiliaryTopRightArea)}};
}

nlohmann::json item(const AXMenuBarItemRecord& record) {
    return {{"appName", record.appName},
            {"pid", record.pid},
            {"title", record.title},
            {"role", record.role},
            {"subrole", record.subrole},
            {"frame", record.frame ? rectangle(*record.frame) : nlohmann::json(nullptr)},
            {"actions", record.actions},
            {"sourceHint", std::string(QelCore::toString(record.sourceHint))},
            {"classification", std::string(QelCore::toString(record.classification))},
            {"isStatusCandidate", record.isStatusCandidate},
            {"screenID", record.screenID ? nlohmann::json(*record.screenID) : nullptr},
            {"notes", record.notes}};
}

std::string escapedString(const std::string& text) {
    return StoredJSONList::escapingSlashes(
        nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

// Appends `value` at `depth`; false when a number is not finite.
bool write(const nlohmann::json& value, int depth, std::string& out) {
    const std::string indent(static_cast<std::size_t>(depth + 1) * 2, ' ');
    const std::string closingIndent(static_cast<std::size_t>(depth) * 2, ' ');
    if (value.is_object()) {
        if (value.empty()) {
            out += "{}";
            return true;
        }
        out += "{\n";
        bool first = true;
        for (const auto& [key, member] : value.items()) {
            out += first ? "" : ",\n";
            first = false;
            out += indent + escapedString(key) + " : ";
            if (!write(member, depth + 1, out)) {
                return false;
            }
        }
        out += "\n" + closingIndent + "}";
        return true;
    }
    if (value.is_array()) {
        if (value.empty()) {
            out += "[]";
            return true;
        }
        out += "[\n";
        bool first = true;
        for (const auto& element : value) {
            out += first ? "" : ",\n";
            first = false;
            out += indent;
            if (!write(element, depth + 1, out)) {
                return false;
            }
        }
        out += "\n" + closingIndent + "]";
        return true;
    }
    if (value.is_string()) {
        out += escapedString(value.get<std::string>());
        return true;
    }
    if (value.is_number_float()) {
        const double number = value.get<double>();
        if (!std::isfinite(number)) {
            return false;
        }
        out += StoredJSONList::number(number).dump();
        return true;
    }
    out += value.dump();
    return true;
}

ExportError systemError(const char* what, int error) {
    return {std::string(what) + ": " + std::strerror(error)};
}

} // namespace

nlohmann::json document(const ScanSnapshot& snapshot, const ExportContext& context) {
    nlohmann::json screens = nlohmann::json::array();
    for (const auto& each : snapshot.screens) {
        screens.push_back(screen(each));
    }
    nlohmann::json items = nlohmann::json::array();
    for (std::size_t index = 0; index < snapshot.items.size() && index < maximumItemCount;
         ++index) {
        items.push_back(item(snapshot.items[index]));
    }
    return {{"generatedAt", platform::isoTimestamp(context.generatedAt)},
            {"source", "AdvancedPaneController"},
            {"accessibilityGranted", context.accessibilityGranted},
            {"renderedFrameAssistEnabled", context.renderedFrameAssistEnabled},
            {"diagnosticLabelsEnabled", context.diagnosticLabelsEnabled},
            {"summary", snapshot.summary},
            {"scanStartedAt", platform::isoTimestamp(snapshot.scanStartedAt)},
            {"screens", std::move(screens)},
            {"items", std::move(items)}};
}

std::variant<std::string, ExportError> serialize(const nlohmann::json& value) {
    std::string out;
    if (!write(value, 0, out)) {
        return ExportError{"Invalid number value (not finite) in JSON write"};
    }
    return out;
}

std::filesystem::path exportPath() {
    return DiagnosticsAppender::path(fileName);
}

std::optional<ExportError> writeAtomically(const std::filesystem::path& path,
                                           std::string_view bytes) {
    // mkstemp creates the file exclusively with mode 0600 under a name nobody can guess, so a
    // link planted in a shared folder cannot redirect the write.
    std::string pattern = path.string() + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int descriptor = ::mkostemp(name.data(), O_CLOEXEC | O_NOFOLLOW);
    if (descriptor < 0) {
        return systemError("Could not create the export file", errno);
    }
    const std::string temporary(name.data());
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t result = ::write(descriptor, bytes.data() + written, bytes.size() - written);
        if (result < 0 && errno == EINTR) {
            continue;
        }
        if (result <= 0) {
            const int error = result < 0 ? errno : EIO;
            ::close(descriptor);
            ::unlink(temporary.c_str());
            return systemError("Could not write the export file", error);
        }
        written += static_cast<std::size_t>(result);
    }
    if (::fsync(descriptor) != 0 || ::close(descriptor) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return systemError("Could not write the export file", error);
    }
    // rename replaces a link at the path itself and never touches its target.
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return systemError("Could not save the export file", error);
    }
    return std::nullopt;
}

std::variant<std::filesystem::path, ExportError> exportSnapshot(const ScanSnapshot& snapshot,
                                                                const ExportContext& context) {
    auto bytes = serialize(document(snapshot, context));
    if (const auto* error = std::get_if<ExportError>(&bytes)) {
        return *error;
    }
    const auto path = exportPath();
    if (auto error = writeAtomically(path, std::get<std::string>(bytes))) {
        return *error;
    }
    return path;
}

} // namespace Parlowen::ScanSnapshotExport
