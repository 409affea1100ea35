#include "ui/Preferences/PreferencesInfoRow.h"

#include "ui/Design/TessalineDesign.h"
#include "ui/Design/TessalineFonts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

namespace PreferencesInfoRow {

using namespace Parlowen;

namespace {

constexpr int rowInset = 18;
constexpr int rowSpacing = 12;
constexpr int columnSpacing = 3;
const QString rowPrefix = QStringLiteral("preferences.row.");

void colour(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    widget->setPalette(palette);
}

} // namespace

QString separatorIdentifier(const QString& rowIdentifier) {
    if (rowIdentifier.startsWith(rowPrefix)) {
        return QStringLiteral("preferences.separator.") + rowIdentifier.mid(rowPrefix.size());
    }
    return rowIdentifier + QStringLiteral(".separator");
}

void fixButtonSize(QWidget* button, int width, int height) {
    button->setFixedSize(std::max(width, button->sizeHint().width()), height);
}

void styleTitleLabel(QWidget* label) {
    label->setFont(TessalineFonts::font(13, QFont::Medium));
    colour(label, TessalineDesign::Palette::ink());
}

QWidget* make(const QString& identifier, const QString& title, const QString& detail,
              QWidget* accessory, const Options& options) {
    auto* group = new QWidget;
    group->setObjectName(identifier);
    group->setFixedWidth(rowWidth);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->setContentsMargins(0, 0, 0, 0);
    groupLayout->setSpacing(0);

    auto* row = new QWidget(group);
    auto* rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(0, rowInset, 0, rowInset);
    rowLayout->setSpacing(rowSpacing);

    auto* column = new QWidget(row);
    column->setFixedWidth(options.textColumnWidth);
    auto* columnLayout = new QVBoxLayout(column);
    columnLayout->setContentsMargins(0, 0, 0, 0);
    columnLayout->setSpacing(columnSpacing);
    auto* titleLabel = new QLabel(title, column);
    styleTitleLabel(titleLabel);
    auto* detailLabel = new QLabel(TessalineDesign::introText(detail), column);
    detailLabel->setFont(TessalineFonts::font(11));
    colour(detailLabel, TessalineDesign::Palette::muted());
    // The wrapped detail keeps its height (up to the line limit) however full the page is.
    TessalineDesign::limitLines(detailLabel, options.detailMaximumLines);
    const int maximumHeight = detailLabel->maximumHeight();
    detailLabel->setMinimumHeight(
        std::min(detailLabel->fontMetrics()
                     .boundingRect(QRect(0, 0, options.textColumnWidth, maximumHeight * 4),
                                   Qt::TextWordWrap, detailLabel->text())
                     .height(),
                 maximumHeight));
    columnLayout->addWidget(titleLabel);
    columnLayout->addWidget(detailLabel);

    rowLayout->addWidget(column);
    rowLayout->addStretch(1);
    rowLayout->addWidget(accessory, 0, Qt::AlignVCenter);
    groupLayout->addWidget(row);
    if (options.showsSeparator) {
        groupLayout->addWidget(
            TessalineDesign::preferenceSeparator(separatorIdentifier(identifier), rowWidth, group));
    }
    return group;
}

} // namespace PreferencesInfoRow
