#pragma once

#include <QWidget>

// The onboarding window: it closes on Command-W (Ctrl+W here) when Command is the only one of
// Shift, Control, Option and Command held, whatever control of it has the focus; every other key
// goes on as usual. Its child windows (the drag-the-app card) close with it.
class OnboardingKeyboardWindow : public QWidget {
public:
    explicit OnboardingKeyboardWindow(QWidget* parent = nullptr);
    ~OnboardingKeyboardWindow() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
};
