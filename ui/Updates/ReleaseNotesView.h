#pragma once

#include "update/ReleaseNotes.h"

#include <QTextBrowser>

namespace Parlowen {

// The release notes of an update. They come from the network: they are shown, never followed,
// and load nothing else (no images, no local files). Their blocks of styled text are put into
// the document through a cursor, so none of their text is read as markup, and words too long
// for a line break anywhere.
class ReleaseNotesView final : public QTextBrowser {
public:
    explicit ReleaseNotesView(QWidget* parent = nullptr);

    void showNotes(const update::ReleaseNotes& notes);

    QVariant loadResource(int, const QUrl&) override { return {}; }
};

} // namespace Parlowen
