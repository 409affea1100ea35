#include "ui/Onboarding/DraggableApplicationOverlayView.h"

#include "ui/Design/LocalizedText.h"
#include "ui/Design/TessalineDesign.h"
#include "ui/Onboarding/DraggableApplicationTokenView.h"
#include "ui/Onboarding/OnboardingPainting.h"
#include "ui/Onboarding/TessalineAppMarkView.h"
#include "ui/QuickOpenPanel/AppIconImage.h"

#include "platform/Workspace.h"

#include <QApplication>
#include <QDrag>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QUrl>
#include <QVBoxLayout>

namespace {

namespace Palette = Parlowen::TessalineDesign::Palette;
using namespace OnboardingPainting;

constexpr int dragImageSide = 56;
constexpr int tokenIconSide = 34;
constexpr qreal cardRadius = 8;

// The workspace's icon for the bundle; the app mark when it has none that can be drawn.
QPixmap iconPixmap(const platform::NSImage& icon, int side) {
    QPixmap pixmap = AppIconImage::pixmap(icon, side);
    if (!pixmap.isNull()) {
        return pixmap;
    }
    pixmap = QPixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    drawTessalineAppIcon(painter, QRectF(0, 0, side, side));
    return pixmap;
}

} // namespace

DraggableApplicationOverlayView::DraggableApplicationOverlayView(
    std::optional<std::string> bundlePath, const QSize& size, platform::Workspace& workspace,
    platform::RunLoop& loop, QWidget* parent)
    : QWidget(parent), applicationURL_(std::move(bundlePath)) {
    setObjectName("onboarding.permission-drag-overlay");
    setFixedSize(size);
    setToolTip(
        Parlowen::localizedText("onboarding.permission.drag_overlay.tooltip",
                                "Drag the current Tessaline app into the Accessibility list."));
    // With no bundle the workspace answers its generic application icon.
    const platform::NSImage icon = workspace.iconForFile(applicationURL_.value_or(""));
    dragIcon_ = iconPixmap(icon, dragImageSide);

    auto* token = new DraggableApplicationTokenView(iconPixmap(icon, tokenIconSide), loop);
    // Presses anywhere on the card, the token included, belong to the card.
    token->setAttribute(Qt::WA_TransparentForMouseEvents);
    dragFeedbackView_ = token;

    auto* title = makeLabel(Parlowen::localizedText("onboarding.permission.drag_overlay.title",
                                                    "Drag Tessaline into Accessibility"),
                            OnboardingPainting::font(13, QFont::DemiBold), Palette::ink());
    auto* body =
        makeLabel(Parlowen::localizedText(
                      "onboarding.permission.drag_overlay.body",
                      "If Tessaline is missing, drag this app into the Accessibility list, then "
                      "turn it on."),
                  OnboardingPainting::font(11.5), Palette::muted());
    Parlowen::TessalineDesign::limitLines(body, 3);
    auto* column = new QVBoxLayout;
    column->setSpacing(4);
    column->addWidget(title);
    column->addWidget(body);
    auto* columnWidget = new QWidget;
    columnWidget->setLayout(column);
    column->setContentsMargins(0, 0, 0, 0);
    columnWidget->setFixedWidth(246);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(14, 14, 14, 14);
    row->setSpacing(12);
    row->addWidget(token, 0, Qt::AlignVCenter);
    row->addWidget(columnWidget, 0, Qt::AlignVCenter);
}

QMimeData* DraggableApplicationOverlayView::makeDragMimeData(const std::string& bundlePath) {
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(QString::fromStdString(bundlePath))});
    return data;
}

QRegion DraggableApplicationOverlayView::cardShape() const {
    QPainterPath outline;
    outline.addRoundedRect(QRectF(rect()), cardRadius, cardRadius);
    return QRegion(outline.toFillPolygon().toPolygon());
}

QPoint DraggableApplicationOverlayView::dragHotSpot(QPoint pointer) const {
    QPoint centre(width() / 2, height() / 2);
    if (dragFeedbackView_) {
        const QWidget* icon = dragFeedbackView_->iconView();
        centre = icon->mapTo(this, QPoint(icon->width() / 2, icon->height() / 2));
    }
    return pointer - (centre - QPoint(dragImageSide / 2, dragImageSide / 2));
}

bool DraggableApplicationOverlayView::startDrag(QPoint pointer) {
    if (!applicationURL_ || isDragInProgress_) {
        return false;
    }
    isDragInProgress_ = true;
    if (dragFeedbackView_) {
        dragFeedbackView_->playDragPickupAnimation();
    }
    auto* drag = new QDrag(this);
    drag->setMimeData(makeDragMimeData(*applicationURL_));
    if (!dragIcon_.isNull()) {
        drag->setPixmap(dragIcon_);
        drag->setHotSpot(dragHotSpot(pointer));
    }
    QPointer<DraggableApplicationOverlayView> self(this);
    drag->exec(Qt::CopyAction);
    // The session has ended, whatever its outcome; the panel may have gone meanwhile.
    if (self) {
        isDragInProgress_ = false;
    }
    return true;
}

void DraggableApplicationOverlayView::mousePressEvent(QMouseEvent* event) {
    mouseDownPosition_ = event->position().toPoint();
    event->accept();
}

void DraggableApplicationOverlayView::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) {
        return;
    }
    const QPoint start = mouseDownPosition_.value_or(event->position().toPoint());
    if ((event->position().toPoint() - start).manhattanLength() <
        QApplication::startDragDistance()) {
        return;
    }
    mouseDownPosition_.reset();
    startDrag(event->position().toPoint());
}

void DraggableApplicationOverlayView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    fillRounded(painter, card, cardRadius, Qt::white);
    fillRounded(painter, card, cardRadius, Palette::surface());
    strokeRounded(painter, card, cardRadius, Palette::line(), 0.5);
}
