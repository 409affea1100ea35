#pragma once

#include <QWidget>

// The onboarding window: it closes on Command-W (Ctrl+W here) when Command is the only one of
// Shift, Control, Option and Command held, whatever control has the focus; every other key
// goes on as usual.
class OnboardingKeyboardWindow : public QWidget {
public:
    explicit OnboardingKeyboardWindow(QWidget* parent = nullptr);
    ~OnboardingKeyboardWindow() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
