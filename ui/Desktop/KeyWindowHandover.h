#pragma once

#include <QObject>
#include <QPointer>

#include <vector>

class QWidget;
class QWindow;

// Hands the keyboard on when the window that has it closes, as a Mac makes the window or app
// that was in front before it key again: to the window that had the keyboard before, while it
// is still shown, else to the desktop window, which stands for the other apps. Without a window
// manager (a bare X server) nothing else would, and keys would reach no window until a click.
// Main thread only.
class KeyWindowHandover : public QObject {
public:
    // The desktop window outlives the handover.
    explicit KeyWindowHandover(QWidget& desktopWindow);
    ~KeyWindowHandover() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void keyWindowChanged(QWindow* window);
    void handOverFrom(const QWindow& closed);

    QWidget& desktopWindow_;
    // The windows that had the keyboard, each once, the latest last.
    std::vector<QPointer<QWindow>> keyWindows_;
    // The window handed the keyboard that has not reported it yet: closing it hands on too.
    QPointer<QWindow> handedTo_;
};
