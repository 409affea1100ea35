#pragma once

#include "update/SUAppcastItem.h"

// Version 2.0 (build 200) of the app, critical or not, with release notes or without.
inline update::SUAppcastItem sampleRelease(bool critical, bool notes) {
    update::SUAppcastItem item;
    item.versionString = "200";
    item.displayVersionString = "2.0";
    item.fileURL = "https://example.test/a.tar.gz";
    item.isCriticalUpdate = critical;
    if (notes) {
        item.releaseNotesURL = "https://example.test/notes.html";
    }
    return item;
}
