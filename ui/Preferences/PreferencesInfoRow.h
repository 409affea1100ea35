#pragma once

#include <QString>

class QWidget;

// The row every preferences pane is made of: a title above a trimmed detail on the left, the
// control on the right, a hairline below when asked for; the whole is 448 points wide and named
// by the row identifier ("preferences.row.…", its separator "preferences.separator.…").
namespace PreferencesInfoRow {

inline constexpr int rowWidth = 448;

struct Options {
    int textColumnWidth = 300;
    bool showsSeparator = true;
    int detailMaximumLines = 3;
};

QWidget* make(const QString& identifier, const QString& title, const QString& detail,
              QWidget* accessory, const Options& options);

// The separator's identifier for a row identifier.
QString separatorIdentifier(const QString& rowIdentifier);

// Gives a button its fixed size, widened to its own size hint when the design's padding needs
// more room for the title, so that no title is cut.
void fixButtonSize(QWidget* button, int width, int height);

// The title and detail labels of a pane's rows share these looks.
void styleTitleLabel(QWidget* label);

} // namespace PreferencesInfoRow
