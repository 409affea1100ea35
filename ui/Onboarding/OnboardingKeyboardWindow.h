#pragma once

#include <QWidget>

// The onboarding window: it closes on Command-W (Ctrl+W here) when Command is the only one of
// Shift, Control, Option and Command held; every other key goes on as usual.
class OnboardingKeyboardWindow : public QWidget {
public:
    explicit OnboardingKeyboardWindow(QWidget* parent = nullptr);

    // Whether a key event is the window's close key.
    static bool isCloseKey(const QKeyEvent& event);

protected:
    bool event(QEvent* event) override;
};
