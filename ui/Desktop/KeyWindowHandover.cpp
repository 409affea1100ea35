#include "ui/Desktop/KeyWindowHandover.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <algorithm>

KeyWindowHandover::KeyWindowHandover(QWidget& desktopWindow) : desktopWindow_(desktopWindow) {
    connect(qApp, &QGuiApplication::focusWindowChanged, this,
            [this](QWindow* window) { keyWindowChanged(window); });
    // A window's own hide event comes while it still has the keyboard, before the window
    // system takes it away.
    qApp->installEventFilter(this);
}

KeyWindowHandover::~KeyWindowHandover() {
    qApp->removeEventFilter(this);
}

void KeyWindowHandover::keyWindowChanged(QWindow* window) {
    // Losing the keyboard to another program's window keeps the order of the program's own.
    if (window == nullptr) {
        return;
    }
    std::erase_if(keyWindows_, [window](const QPointer<QWindow>& had) {
        return had == nullptr || had == window;
    });
    keyWindows_.emplace_back(window);
    handedTo_ = nullptr;
}

bool KeyWindowHandover::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Hide || !watched->isWindowType()) {
        return false;
    }
    const auto* window = static_cast<const QWindow*>(watched);
    // Menus and tool tips give nothing back; a closing desktop window ends the program.
    if ((window->type() != Qt::Window && window->type() != Qt::Dialog) ||
        window == desktopWindow_.windowHandle()) {
        return false;
    }
    if (window == QGuiApplication::focusWindow() || window == handedTo_) {
        handOverFrom(*window);
    }
    return false;
}

void KeyWindowHandover::handOverFrom(const QWindow& closed) {
    const auto before =
        std::find_if(keyWindows_.rbegin(), keyWindows_.rend(), [&](const QPointer<QWindow>& had) {
            return had != nullptr && had != &closed && had->isVisible();
        });
    QWindow* next = before != keyWindows_.rend() ? before->data()
                    : desktopWindow_.isVisible() ? desktopWindow_.windowHandle()
                                                 : nullptr;
    if (next == nullptr) {
        return;
    }
    if (next == desktopWindow_.windowHandle()) {
        // The desktop itself takes the keys, not a control of its strip.
        desktopWindow_.setFocus(Qt::ActiveWindowFocusReason);
    }
    handedTo_ = next;
    next->requestActivate();
}
