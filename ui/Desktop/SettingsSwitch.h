#pragma once

#include <QAbstractButton>

// A System Settings switch: a capsule track, grey when off and blue when on, with a white knob
// at the side of its state. Clicking or Space toggles it.
class SettingsSwitch : public QAbstractButton {
public:
    explicit SettingsSwitch(QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
