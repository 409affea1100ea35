#include "ui/Design/TessalineDesign.h"

#include "ui/Design/CenteredTextMargins.h"
#include "ui/Design/ElidingLabel.h"
#include "ui/Design/TessalineFonts.h"
#include "ui/Design/TessalineSecondaryButton.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStringList>

#include <algorithm>

namespace Parlowen::TessalineDesign {

namespace {

constexpr char16_t ideographicFullStop = u'\u3002';

bool isTrimmed(QChar character) {
    return character.isSpace() || character == u'.' || character == ideographicFullStop;
}

void setTextColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    palette.setColor(QPalette::ButtonText, color);
    widget->setPalette(palette);
}

QLabel* plainLabel(QLabel* label, const QFont& font, const QColor& color) {
    stylePlainLabel(*label, font, color);
    return label;
}

// The part of both button styles that does not change with state: shape, text and no focus
// ring.
QString buttonShape(const QColor& text) {
    return QStringLiteral("border-radius: 7px; padding: 4px 14px; min-height: 20px; outline: none; "
                          "color: %1;")
        .arg(text.name(QColor::HexArgb));
}

// A disabled button's title is drawn in the disabled text colour.
QString disabledTitle() {
    return QStringLiteral("QPushButton:disabled { color: %1; }")
        .arg(SystemColors::disabledText().name(QColor::HexArgb));
}

} // namespace

void stylePlainLabel(QLabel& label, const QFont& font, const QColor& color) {
    label.setTextFormat(Qt::PlainText);
    label.setFont(font);
    setTextColor(&label, color);
}

QLabel* pageTitle(const QString& text, QWidget* parent) {
    auto* label = plainLabel(new QLabel(text, parent), TessalineFonts::font(18, QFont::DemiBold),
                             SystemColors::label());
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

int heightOfLines(const QFontMetrics& metrics, int lines) {
    return metrics
        .boundingRect(QRect(0, 0, 1 << 20, 1 << 20), Qt::TextWordWrap,
                      QStringList(std::max(1, lines), QStringLiteral("x")).join(u'\n'))
        .height();
}

void limitLines(QLabel* label, int lines) {
    label->setWordWrap(true);
    label->setMaximumHeight(heightOfLines(label->fontMetrics(), lines));
}

QString introText(const QString& text) {
    qsizetype first = 0;
    qsizetype end = text.size();
    while (first < end && isTrimmed(text[first])) {
        ++first;
    }
    while (end > first && isTrimmed(text[end - 1])) {
        --end;
    }
    return text.mid(first, end - first);
}

QLabel* introLabel(const QString& text, QWidget* parent) {
    auto* label = plainLabel(new QLabel(introText(text), parent), TessalineFonts::font(12),
                             SystemColors::secondaryLabel());
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Lines past the third are cut off, not shown.
    limitLines(label, introLabelMaximumLines);
    return label;
}

QRectF centeredTextRect(const QRectF& bounds, qreal textHeight, qreal opticalYOffset) {
    const qreal extra = bounds.height() - textHeight;
    if (!(extra > 0)) {
        return bounds;
    }
    QRectF centered = bounds;
    centered.setHeight(textHeight);
    centered.moveTop(bounds.top() + extra / 2 + opticalYOffset);
    return centered;
}

void verticallyCenterText(QLineEdit* field, qreal opticalYOffset) {
    field->setAlignment((field->alignment() & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter);
    CenteredTextMargins::of(field)->setOpticalYOffset(opticalYOffset);
}

QLabel* centeredTitleLabel(const QString& title, QWidget* parent) {
    auto* label = plainLabel(new ElidingLabel(title, parent),
                             TessalineFonts::font(13, QFont::DemiBold), Palette::grayText());
    label->setObjectName(QString::fromLatin1(centeredTitleIdentifier));
    label->setAlignment(Qt::AlignCenter);
    return label;
}

void installCenteredTitlebarLabel(QWidget* window, const QString& title) {
    window->setWindowTitle(title);
    if (auto* label = window->findChild<QLabel*>(QString::fromLatin1(centeredTitleIdentifier))) {
        label->setText(title);
    }
}

void centerOnScreen(QWidget* window) {
    const QScreen* screen = window->screen();
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen != nullptr) {
        window->move(screen->availableGeometry().center() - window->rect().center());
    }
}

QWidget* preferenceSeparator(const std::optional<QString>& identifier, int width, QWidget* parent) {
    auto* separator = new QWidget(parent);
    if (identifier) {
        separator->setObjectName(*identifier);
    }
    separator->setFixedSize(width, 1);
    separator->setAutoFillBackground(true);
    QPalette palette = separator->palette();
    palette.setColor(QPalette::Window, Palette::line());
    separator->setPalette(palette);
    return separator;
}

void stylePrimaryButton(QPushButton* button) {
    button->setFont(TessalineFonts::font(13, QFont::DemiBold));
    // The focus shows as a light ring inside the blue, where no window background can hide it.
    button->setStyleSheet(
        QStringLiteral("QPushButton { background-color: %1; border: 2px solid %1; %2 }"
                       " QPushButton:focus { border-color: %3; } %4")
            .arg(Palette::blue().name(), buttonShape(Qt::white), Palette::focusSoft().name(),
                 disabledTitle()));
}

QString secondaryButtonStyleSheet(const QColor& background, const QColor& border) {
    return QStringLiteral("QPushButton { background-color: %1; border: 1px solid %2; %3 } %4")
        .arg(background.name(), border.name(), buttonShape(Palette::ink()), disabledTitle());
}

void styleSecondaryButton(QPushButton* button) {
    button->setFont(TessalineFonts::font(13, QFont::DemiBold));
    button->setStyleSheet(secondaryButtonStyleSheet(Qt::white, Palette::line()));
    if (auto* secondary = qobject_cast<TessalineSecondaryButton*>(button)) {
        secondary->updateSecondaryFocusAppearance();
    }
}

} // namespace Parlowen::TessalineDesign
