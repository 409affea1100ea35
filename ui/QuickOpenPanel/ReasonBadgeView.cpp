#include "ui/QuickOpenPanel/ReasonBadgeView.h"

#include "ui/Design/ElidingLabel.h"
#include "ui/Design/TessalineDesign.h"
#include "ui/Design/TessalineFonts.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>

ReasonBadgeView::ReasonBadgeView(QWidget* parent)
    : QWidget(parent), label(new Parlowen::ElidingLabel) {
    setObjectName(QStringLiteral("panel.row.reason-badge"));
    setFixedSize(badgeWidth, badgeHeight);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    label->setObjectName(QStringLiteral("panel.row.reason-badge.label"));
    label->setFont(Parlowen::TessalineFonts::font(10, QFont::DemiBold));
    label->setAlignment(Qt::AlignCenter);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(7, 0, 7, 0);
    layout->addWidget(label);
}

void ReasonBadgeView::render(const QString& text, Style style) {
    using namespace Parlowen::TessalineDesign;
    label->setText(text);
    QColor foreground;
    switch (style) {
    case Style::orange:
        background = Palette::orangeSoft();
        foreground = Palette::orangeText();
        break;
    case Style::green:
        background = Palette::greenSoft();
        foreground = Palette::green();
        break;
    case Style::gray:
        background = Palette::graySoft();
        foreground = Palette::grayText();
        break;
    }
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, foreground);
    label->setPalette(colours);
    setVisible(!text.isEmpty());
    update();
}

QString ReasonBadgeView::text() const {
    return label->text();
}

void ReasonBadgeView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath pill;
    pill.addRoundedRect(QRectF(rect()), 11, 11);
    painter.fillPath(pill, background);
}
