#include "ui/Snapshots/SnapshotError.h"

std::string SnapshotError::description() const {
    switch (kind) {
    case Kind::unknownTarget:
        return "Unknown visual snapshot target: " + payload + ".";
    case Kind::appIconUnreadable:
        return "Could not read app icon at " + payload + ".";
    case Kind::bitmapUnavailable:
        return "Could not allocate bitmap for " + payload + ".";
    case Kind::pngUnavailable:
        return "Could not encode PNG for " + payload + ".";
    case Kind::missingOutput:
        return "Missing --output <directory>.";
    case Kind::appIconMissing:
        return "Could not find app/AppIcon.icns for app-icon snapshot.";
    case Kind::fileSystem:
        return payload;
    }
    return payload;
}
