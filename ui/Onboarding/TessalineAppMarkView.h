#pragma once

#include <QRectF>
#include <QWidget>

class QPainter;

// Draws the app icon (a dark tile with a menu bar, its notch and a blue dot) into `rect`; all
// lengths scale with the rectangle's width.
void drawTessalineAppIcon(QPainter& painter, const QRectF& rect);

// The app mark beside the onboarding heading: the app icon in the largest centred square.
class TessalineAppMarkView : public QWidget {
public:
    explicit TessalineAppMarkView(QWidget* parent = nullptr);

    // The square the icon takes in a view of `size`: side min(width, height) − 1, centred, its
    // edges on pixel centres.
    static QRectF markRect(const QSizeF& size);

protected:
    void paintEvent(QPaintEvent* event) override;
};
