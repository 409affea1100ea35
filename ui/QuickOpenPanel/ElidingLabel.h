#pragma once

#include <QLabel>

// A one-line label that cuts its text at the tail with an ellipsis when it does not fit, and
// never asks its layout for more width than it is given. `text()` stays the whole text.
class ElidingLabel : public QLabel {
public:
    explicit ElidingLabel(QWidget* parent = nullptr);

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
