#pragma once

#include "ui/Snapshots/SnapshotError.h"
#include "ui/Snapshots/SnapshotTarget.h"

#include <QByteArray>
#include <QImage>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class QWidget;

// The files of a visual snapshot run. Each is written through a temporary file and a rename, so a
// failed run leaves no half-written file.
namespace SnapshotFiles {

// The view laid out at `size` and drawn at one pixel per point into an RGBA image.
QImage render(QWidget& view, QSize size);

// Writes `image` as "<target>.png" in `folder`.
std::optional<SnapshotError> writePNG(const QImage& image, const std::filesystem::path& file);

// "manifest.json": the capture time and one row per target, pretty-printed with sorted keys.
QByteArray manifestJSON(const std::vector<SnapshotTarget>& targets, const std::string& capturedAt);

// The one-line result: {"captured":N,"outputDir":"…"} with slashes escaped.
std::string runResultJSON(const std::filesystem::path& outputDirectory, int captured);

// Writes `data` to `file` through a temporary file and a rename.
std::optional<SnapshotError> writeAtomically(const QByteArray& data,
                                             const std::filesystem::path& file);

} // namespace SnapshotFiles
