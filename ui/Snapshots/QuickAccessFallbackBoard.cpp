#include "ui/Snapshots/QuickAccessFallbackBoard.h"

#include "ui/Design/TessalineDesign.h"
#include "ui/Design/TessalineFonts.h"
#include "ui/Onboarding/OnboardingPainting.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

namespace QuickAccessFallbackBoard {

namespace {

namespace Palette = Parlowen::TessalineDesign::Palette;
using Parlowen::TessalineFonts::font;

constexpr int cardLeft = 74;
constexpr int cardTop = 76;
constexpr int cardWidth = 692;
constexpr int rowWidth = 656;
constexpr int detailMaximumLines = 2;

QString colorText(const QColor& color) {
    return color.name(QColor::HexArgb);
}

using OnboardingPainting::makeLabel;

struct Row {
    const char* identifier;
    const char* title;
    const char* detail;
    const char* badge;
    QColor text;
    QColor fill;
};

} // namespace

QLabel* priorityBadge(const QString& text, const QColor& textColor, const QColor& fill) {
    auto* badge = makeLabel(text, font(10, QFont::DemiBold), textColor);
    // Half a pixel is drawn as it is (the fonts are unhinted), but a font takes only whole
    // pixels: 10.5 pixels are given as the points they make at the screen's resolution.
    QFont badgeFont = badge->font();
    badgeFont.setPointSizeF(10.5 * 72.0 / badge->logicalDpiY());
    badge->setFont(badgeFont);
    badge->setAlignment(Qt::AlignCenter);
    badge->setFixedSize(42, 22);
    badge->setStyleSheet(
        QStringLiteral("QLabel { background: %1; border-radius: 11px; color: %2; }")
            .arg(colorText(fill), colorText(textColor)));
    return badge;
}

QWidget* fallbackInfoRow(const QString& identifier, const QString& title, const QString& detail,
                         QWidget* accessory, int width) {
    auto* titleLabel = makeLabel(title, font(13, QFont::Medium), Palette::ink());
    auto* detailLabel = makeLabel(detail, font(11), Palette::muted());
    Parlowen::TessalineDesign::limitLines(detailLabel, detailMaximumLines);

    auto* text = new QWidget;
    auto* textLayout = new QVBoxLayout(text);
    textLayout->setContentsMargins(0, 0, 0, 0);
    textLayout->setSpacing(3);
    textLayout->addWidget(titleLabel, 0, Qt::AlignLeft);
    textLayout->addWidget(detailLabel);
    text->setFixedWidth(width - 80);

    auto* row = new QWidget;
    auto* rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(0, 13, 0, 13);
    rowLayout->setSpacing(12);
    rowLayout->addWidget(text, 0, Qt::AlignVCenter);
    rowLayout->addStretch(1);
    rowLayout->addWidget(accessory, 0, Qt::AlignVCenter);
    row->setFixedWidth(width);

    auto* result = new QWidget;
    result->setObjectName(identifier);
    auto* layout = new QVBoxLayout(result);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Parlowen::TessalineDesign::preferenceSeparator(std::nullopt, width));
    layout->addWidget(row);
    result->setFixedWidth(width);
    return result;
}

QWidget* make() {
    auto* root = new QWidget;
    root->setFixedSize(width, height);
    root->setAutoFillBackground(true);
    QPalette rootPalette = root->palette();
    rootPalette.setColor(QPalette::Window, Palette::surface());
    root->setPalette(rootPalette);

    auto* card = new QWidget(root);
    card->setObjectName("quick-access-fallback.card");
    card->setAttribute(Qt::WA_StyledBackground);
    card->setStyleSheet(
        QStringLiteral("#quick-access-fallback\\.card { background: white; border: 1px solid %1; "
                       "border-radius: 12px; }")
            .arg(colorText(Palette::line())));
    auto* layout = new QVBoxLayout(card);
    layout->setContentsMargins(18, 18, 18, 18);
    layout->setSpacing(0);
    layout->addWidget(Parlowen::TessalineDesign::pageTitle("Quick-access shortcut order"));
    layout->addSpacing(4);
    layout->addWidget(Parlowen::TessalineDesign::introLabel(
        "When the menu bar icon is hidden too, the panel footer uses the selected modifier-pair "
        "shortcut."));
    layout->addSpacing(18);

    const Row rows[] = {
        {"quick-access-fallback.option", "\u2325 + \u2325 default",
         "Show \"Press \u2325 + \u2325 to open anytime\". This is the install-time default.", "1st",
         Palette::blue(), Palette::blueSoft()},
        {"quick-access-fallback.shift", "\u21e7 + \u21e7 alternate",
         "Users can switch the quick summon chord to both Shift keys.", "2nd",
         Palette::orangeText(), Palette::orangeSoft()},
        {"quick-access-fallback.command", "\u2318 + \u2318 alternate",
         "Users can switch the quick summon chord to both Command keys.", "3rd", Palette::green(),
         Palette::greenSoft()},
        {"quick-access-fallback.relaunch", "No quick access configured",
         "Show \"Open Tessaline again to bring this panel back\" and link to Quick Access.", "Off",
         Palette::grayText(), Palette::graySoft()},
    };
    for (const Row& row : rows) {
        layout->addWidget(fallbackInfoRow(
            QString::fromUtf8(row.identifier), QString::fromUtf8(row.title),
            QString::fromUtf8(row.detail), priorityBadge(row.badge, row.text, row.fill), rowWidth));
    }
    layout->addSpacing(14);
    card->setFixedWidth(cardWidth);
    card->adjustSize();
    card->move(cardLeft, cardTop);
    return root;
}

} // namespace QuickAccessFallbackBoard
