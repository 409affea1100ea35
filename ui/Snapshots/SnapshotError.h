#pragma once

#include <string>

// Why a visual snapshot run stopped; `payload` is the target value, path or file name the
// message names. `fileSystem` carries the system's own message in `payload`.
struct SnapshotError {
    enum class Kind {
        unknownTarget,
        appIconUnreadable,
        bitmapUnavailable,
        pngUnavailable,
        missingOutput,
        appIconMissing,
        fileSystem,
    };
    Kind kind = Kind::missingOutput;
    std::string payload;

    bool operator==(const SnapshotError&) const = default;

    // The text printed after "Visual snapshot failed: ".
    std::string description() const;
};
