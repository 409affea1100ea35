#pragma once

#include "Parlowen/Settings/OverflowPanelScope.h"

#include <QRectF>
#include <QString>
#include <QWidget>

#include <functional>

// The header's two-segment switch between hidden items and all menu-bar apps. It draws itself;
// Left and Right are the panel's keys, not the control's.
class PanelScopeControl : public QWidget {
public:
    static constexpr int controlHeight = 25;

    // Where the parts are drawn and clicked, for a control of `bounds`.
    struct Geometry {
        QRectF track;
        QRectF hiddenHalf;
        QRectF allRightSideHalf;
        QRectF selectedPill;
    };
    static Geometry geometry(const QRectF& bounds, Parlowen::OverflowPanelScope selected);
    // The scope whose half holds `x`.
    static Parlowen::OverflowPanelScope scopeAt(const QRectF& bounds, qreal x);

    explicit PanelScopeControl(QWidget* parent = nullptr);

    QString hiddenTitle = QStringLiteral("Hidden");
    QString allRightSideTitle = QStringLiteral("Menu bar apps");
    Parlowen::OverflowPanelScope selectedScope = Parlowen::OverflowPanelScope::hiddenOnly;
    // Called after a click chose the other segment.
    std::function<void(Parlowen::OverflowPanelScope)> onChange;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};
