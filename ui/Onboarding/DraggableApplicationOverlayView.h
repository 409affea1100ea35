#pragma once

#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <optional>
#include <string>

class QMimeData;
#include "ui/Onboarding/DraggableApplicationTokenView.h"

namespace platform {
class RunLoop;
class Workspace;
} // namespace platform

// The card of the drag-the-app panel: the app token and a short explanation. A press anywhere
// on it and a move start a drag of the app bundle's file URL, offered for copying only, so
// that the user can drop the app into the Accessibility list. Without a bundle it only shows.
class DraggableApplicationOverlayView : public QWidget {
public:
    // `bundlePath` is the ".app" folder to drag, or none; `workspace` gives its icon.
    DraggableApplicationOverlayView(std::optional<std::string> bundlePath, const QSize& size,
                                    platform::Workspace& workspace, platform::RunLoop& loop,
                                    QWidget* parent = nullptr);

    // The dragged data: exactly one item, the bundle's file URL.
    static QMimeData* makeDragMimeData(const std::string& bundlePath);

    bool isDragInProgress() const { return isDragInProgress_; }
    DraggableApplicationTokenView* dragFeedbackView() const { return dragFeedbackView_; }
    // Starts a drag session at `pointer` (in the card's coordinates) unless there is no bundle
    // or one runs already; false then.
    bool startDrag(QPoint pointer);
    // The card's rounded outline in its own coordinates, as whole pixels: the shape of the
    // window that holds it, so that the corners show what lies behind without relying on a
    // compositor to draw a translucent window.
    QRegion cardShape() const;
    // Where the pointer holds the drag image: the image starts 56 points square, centred on the
    // token's icon (on the card's centre once the token is gone).
    QPoint dragHotSpot(QPoint pointer) const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<std::string> applicationURL_;
    QPixmap dragIcon_;
    QPointer<DraggableApplicationTokenView> dragFeedbackView_;
    std::optional<QPoint> mouseDownPosition_;
    bool isDragInProgress_ = false;
};
