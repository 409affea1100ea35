#pragma once

#include "update/ReleaseNotes.h"

#include <QTextBrowser>

namespace Parlowen {

// The release notes of an update. They come from the network: they load nothing else (no
// images, no local files), and a click on a link opens it with the desktop's handler while the
// notes stay. Their blocks of styled text are put into the document through a cursor, so none
// of their text is read as markup, and words too long for a line break anywhere. Lists are
// indents with their markers as text, laid out in time linear in their items. Their text shows
// in stream-safe form, so a letter carrying thousands of marks is shaped in linear time.
class ReleaseNotesView final : public QTextBrowser {
public:
    explicit ReleaseNotesView(QWidget* parent = nullptr);

    void showNotes(const update::ReleaseNotes& notes);

    QVariant loadResource(int, const QUrl&) override { return {}; }
};

} // namespace Parlowen
