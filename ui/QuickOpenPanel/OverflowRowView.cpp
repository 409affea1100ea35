#include "ui/QuickOpenPanel/OverflowRowView.h"

#include "Parlowen/QuickOpen/OverflowPanelCopy.h"
#include "Parlowen/QuickOpen/OverflowPanelVisualPreview.h"
#include "Parlowen/Settings/L10n.h"
#include "ui/Design/ElidingLabel.h"
#include "ui/Design/TessalineDesign.h"
#include "ui/Design/TessalineFonts.h"
#include "ui/QuickOpenPanel/OverflowRowHotKeyButton.h"
#include "ui/QuickOpenPanel/PanelSymbols.h"
#include "ui/QuickOpenPanel/ReasonBadgeView.h"
#include "ui/QuickOpenPanel/SampleAppIconFactory.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include <algorithm>

namespace {

using namespace Parlowen;
using QelCore::VisibilityClassification;

constexpr int buttonSize = 28;
constexpr int buttonSymbolSize = 13;

QString text(std::string_view key, std::string_view english) {
    return QString::fromStdString(L10n::string(key, english));
}

QString formatted(std::string_view key, std::string_view english, const QString& argument) {
    return QString::fromStdString(
        L10n::format(L10n::string(key, english), {argument.toStdString()}));
}

void describe(QAbstractButton& button, const QString& description, const QString& toolTip) {
    button.setAccessibleDescription(description);
    button.setToolTip(toolTip);
    button.setAccessibleName(toolTip);
}

ReasonBadgeView::Style badgeStyle(VisibilityClassification classification) {
    switch (classification) {
    case VisibilityClassification::hiddenBehindNotch:
    case VisibilityClassification::pushedOffscreen:
        return ReasonBadgeView::Style::orange;
    case VisibilityClassification::visible:
        return ReasonBadgeView::Style::green;
    case VisibilityClassification::unknown:
        return ReasonBadgeView::Style::gray;
    }
    return ReasonBadgeView::Style::gray;
}

// The app's icon centred in the row's icon square and clipped to its rounded corners.
QPixmap roundedIcon(const QPixmap& icon, qreal devicePixelRatio) {
    constexpr int side = SampleAppIconFactory::iconSize;
    QPixmap result(qCeil(side * devicePixelRatio), qCeil(side * devicePixelRatio));
    result.setDevicePixelRatio(devicePixelRatio);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath square;
    square.addRoundedRect(QRectF(0, 0, side, side), SampleAppIconFactory::iconCornerRadius,
                          SampleAppIconFactory::iconCornerRadius);
    painter.setClipPath(square);
    const QSizeF size = icon.deviceIndependentSize();
    painter.drawPixmap(QRectF(QPointF((side - size.width()) / 2, (side - size.height()) / 2), size),
                       icon, QRectF(icon.rect()));
    return result;
}

bool hasNote(const AXMenuBarItemRecord& item, std::string_view note) {
    return std::find(item.notes.begin(), item.notes.end(), note) != item.notes.end();
}

} // namespace

OverflowRowView::OverflowRowView(const QString& identifier, QWidget* parent)
    : QWidget(parent), iconView(new QLabel), titleLabel(new Parlowen::ElidingLabel),
      subtitleLabel(new Parlowen::ElidingLabel), hotKeyButton(new OverflowRowHotKeyButton),
      favoriteButton(new PanelIconButton), badgeView(new ReasonBadgeView) {
    setObjectName(identifier);
    configure();
}

void OverflowRowView::configure() {
    using namespace Parlowen::TessalineDesign;
    setFixedHeight(rowHeight);

    iconView->setObjectName(QStringLiteral("panel.row.icon"));
    iconView->setFixedSize(SampleAppIconFactory::iconSize, SampleAppIconFactory::iconSize);
    iconView->setAlignment(Qt::AlignCenter);

    titleLabel->setObjectName(QStringLiteral("panel.row.title"));
    titleLabel->setFont(Parlowen::TessalineFonts::font(13, QFont::DemiBold));
    subtitleLabel->setObjectName(QStringLiteral("panel.row.subtitle"));
    subtitleLabel->setFont(Parlowen::TessalineFonts::font(11));
    for (auto [label, colour] :
         {std::pair{titleLabel, Palette::ink()}, std::pair{subtitleLabel, Palette::muted()}}) {
        QPalette colours = label->palette();
        colours.setColor(QPalette::WindowText, colour);
        label->setPalette(colours);
    }
    // Everything but the two buttons leaves its clicks to the row.
    for (QWidget* passive :
         std::initializer_list<QWidget*>{iconView, titleLabel, subtitleLabel, badgeView}) {
        passive->setAttribute(Qt::WA_TransparentForMouseEvents);
    }

    hotKeyButton->setObjectName(QStringLiteral("panel.row.hotkey"));
    favoriteButton->setObjectName(QStringLiteral("panel.row.favorite"));
    for (PanelIconButton* button : {static_cast<PanelIconButton*>(hotKeyButton), favoriteButton}) {
        button->setFixedSize(buttonSize, buttonSize);
        button->setCornerRadius(7);
    }
    QObject::connect(favoriteButton, &QAbstractButton::clicked, this, [this] { favoriteTapped(); });
    hotKeyButton->takesChords = false;
    hotKeyButton->onBeginCapture = [this] {
        if (auto callback = onHotKeyCaptureBegin) {
            callback();
        }
        renderHotKeyRecording();
    };
    hotKeyButton->onCapture = [this](std::uint32_t keyCode, std::uint32_t modifiers) {
        if (auto callback = onHotKeyCapture) {
            callback(keyCode, modifiers);
        }
    };

    auto* texts = new QVBoxLayout;
    texts->setSpacing(3);
    texts->setContentsMargins(0, 0, 0, 0);
    texts->addStretch(1);
    texts->addWidget(titleLabel);
    texts->addWidget(subtitleLabel);
    texts->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 8, 12, 8);
    layout->setSpacing(10);
    layout->addWidget(iconView, 0, Qt::AlignVCenter);
    layout->addLayout(texts, 1);
    layout->addWidget(hotKeyButton, 0, Qt::AlignVCenter);
    layout->addWidget(favoriteButton, 0, Qt::AlignVCenter);
    layout->addWidget(badgeView, 0, Qt::AlignVCenter);
}

void OverflowRowView::populate(const AXMenuBarItemRecord& item, bool isFavorite,
                               const std::optional<QString>& shortcutText, bool isHotKeyRecording,
                               bool diagnosticLabelsEnabled, const QPixmap& appIcon) {
    isVisualHighlight = hasNote(item, OverflowPanelVisualPreviewData::highlightNote);
    renderBackground();
    titleLabel->setText(QString::fromStdString(OverflowPanelCopy::rowTitle(item)));
    std::optional<std::string> shortcut;
    if (shortcutText) {
        shortcut = shortcutText->toStdString();
    }
    subtitleLabel->setText(QString::fromStdString(
        OverflowPanelCopy::rowSubtitle(item, diagnosticLabelsEnabled, isFavorite, shortcut)));
    if (isHotKeyRecording) {
        renderHotKeyRecording();
    } else {
        renderHotKeyButton(shortcutText);
    }
    renderFavoriteButton(isFavorite);
    badgeView->render(
        QString::fromStdString(OverflowPanelCopy::reason(item.classification).value_or("")),
        badgeStyle(item.classification));
    iconView->setPixmap(icon(item, appIcon));
}

QPixmap OverflowRowView::icon(const AXMenuBarItemRecord& item, const QPixmap& appIcon) const {
    // Sample rows always draw their initials, as does an app without an icon.
    if (hasNote(item, OverflowPanelVisualPreviewData::sampleNote) || appIcon.isNull()) {
        return SampleAppIconFactory::icon(QString::fromStdString(item.appName),
                                          devicePixelRatioF());
    }
    return roundedIcon(appIcon, devicePixelRatioF());
}

void OverflowRowView::renderBackground() {
    using namespace Parlowen::TessalineDesign;
    if (isSelectedForKeyboard) {
        background = Palette::rowSelection();
    } else if (isVisualHighlight) {
        background = Palette::blueSoft();
        background.setAlphaF(0.78f);
    } else {
        background = Qt::transparent;
    }
    update();
}

void OverflowRowView::renderFavoriteButton(bool isFavorite) {
    using namespace Parlowen::TessalineDesign;
    const QColor tint =
        isFavorite ? Palette::orange() : Parlowen::TessalineDesign::SystemColors::secondaryLabel();
    favoriteButton->setSymbol(
        PanelSymbols::image(isFavorite ? QStringLiteral("star.fill") : QStringLiteral("star"),
                            buttonSymbolSize, tint, devicePixelRatioF()));
    if (isFavorite) {
        describe(*favoriteButton, text("panel.row.favorite.remove", "Remove from Favorites"),
                 text("panel.row.favorite.remove.tooltip",
                      "Remove from Favorites: stop ranking higher in Quick Open"));
    } else {
        describe(
            *favoriteButton, text("panel.row.favorite.add", "Add to Favorites"),
            text("panel.row.favorite.add.tooltip", "Add to Favorites: rank higher in Quick Open"));
    }
}

void OverflowRowView::renderHotKeyButton(const std::optional<QString>& shortcutText) {
    using namespace Parlowen::TessalineDesign;
    if (shortcutText) {
        hotKeyButton->setSymbol(PanelSymbols::image(QStringLiteral("command"), buttonSymbolSize,
                                                    Palette::blue(), devicePixelRatioF()));
        describe(*hotKeyButton,
                 formatted("panel.row.hotkey.assigned", "Shortcut %@", *shortcutText),
                 formatted("panel.row.hotkey.assigned.tooltip", "Shortcut %@: click to change",
                           *shortcutText));
    } else {
        hotKeyButton->setSymbol(PanelSymbols::image(
            QStringLiteral("keyboard"), buttonSymbolSize,
            Parlowen::TessalineDesign::SystemColors::secondaryLabel(), devicePixelRatioF()));
        describe(*hotKeyButton, text("panel.row.hotkey.set", "Set shortcut"),
                 text("panel.row.hotkey.set.tooltip", "Set shortcut: click, then press keys"));
    }
    hotKeyButton->setBackground(Qt::transparent);
    hotKeyButton->takesChords = false;
}

void OverflowRowView::renderHotKeyRecording() {
    using namespace Parlowen::TessalineDesign;
    hotKeyButton->setSymbol(PanelSymbols::image(QStringLiteral("keyboard"), buttonSymbolSize,
                                                Palette::blue(), devicePixelRatioF()));
    const auto recording = text("panel.row.hotkey.recording", "Press shortcut");
    describe(*hotKeyButton, recording, recording);
    hotKeyButton->setBackground(Palette::blueSoft());
    hotKeyButton->takesChords = true;
}

void OverflowRowView::clearCallbacks() {
    onHotKeyCaptureBegin = nullptr;
    onFavoriteToggle = nullptr;
    onHotKeyCapture = nullptr;
    onActivate = nullptr;
}

void OverflowRowView::paintEvent(QPaintEvent*) {
    if (background.alpha() == 0 && !showsFocusRing) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), 8, 8);
    painter.fillPath(shape, background);
    if (showsFocusRing) {
        QPainterPath ring;
        ring.addRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 7, 7);
        painter.setPen(QPen(Parlowen::TessalineDesign::Palette::blue(), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(ring);
    }
}

void OverflowRowView::mousePressEvent(QMouseEvent* event) {
    // Copies: activating may reload the rows and hand this row new callbacks.
    if (auto callback = onActivate) {
        event->accept();
        callback();
        return;
    }
    QWidget::mousePressEvent(event);
}

void OverflowRowView::favoriteTapped() {
    if (auto callback = onFavoriteToggle) {
        callback();
    }
}
