#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QPixmap>

#include <optional>

// A borderless image button with a rounded background of its own (the header's refresh and
// settings buttons, a row's star and shortcut buttons). Draws no focus ring.
class PanelIconButton : public QAbstractButton {
public:
    explicit PanelIconButton(QWidget* parent = nullptr);

    void setSymbol(const QPixmap& image);
    void setBackground(const QColor& colour);
    // A 1-point border; none when empty.
    void setBorder(std::optional<QColor> colour);
    void setCornerRadius(qreal radius);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap symbol;
    QColor background = Qt::transparent;
    std::optional<QColor> border;
    qreal cornerRadius = 7;
};
