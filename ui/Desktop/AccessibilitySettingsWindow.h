#pragma once

#include "platform/sim/SimulatedDesktop.h"

#include <QWidget>

class SettingsSwitch;

// The simulated System Settings at Privacy & Security › Accessibility, opened by the Accessibility
// settings URL: the apps allowed to control the computer, each with a switch; this program's
// switch grants or revokes its trust on the simulated desktop. Closing the window quits System
// Settings, so that the program, frontmost again, hears that it became active, as when a person
// returns from System Settings on a Mac. Command-W closes it. Main thread only.
class AccessibilitySettingsWindow : public QWidget {
public:
    // The desktop outlives the window.
    explicit AccessibilitySettingsWindow(platform::sim::SimulatedDesktop& desktop,
                                         QWidget* parent = nullptr);

    // Shows the desktop's trust as it is now, whichever control changed it.
    void refresh();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* makeAppRow(const QString& name);

    platform::sim::SimulatedDesktop& desktop_;
    SettingsSwitch* switch_ = nullptr;
};
