#pragma once

#include <QAbstractButton>

// An on/off switch in the look of the system's: a rounded track, blue when on, with a white
// knob. Its action is `clicked`; it shows keyboard focus by a blue outline.
class PreferencesSwitch : public QAbstractButton {
    Q_OBJECT

public:
    explicit PreferencesSwitch(const QString& identifier, QWidget* parent = nullptr);

    QSize sizeHint() const override;

    // Flips the state and sends the action, as a click does; nothing when disabled or hidden.
    void activate();

protected:
    void paintEvent(QPaintEvent* event) override;
};
