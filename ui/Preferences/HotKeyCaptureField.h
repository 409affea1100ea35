#pragma once

#include <QLineEdit>

#include <cstdint>
#include <functional>

// Records one key combination while it has the focus and hands it (macOS key code, Carbon
// modifier bits) to its owner. A key without Command, Shift, Option or Control is not recorded
// and recording goes on; bare Command-W is left to the window. The field neither formats nor
// stores the chord.
class HotKeyCaptureField : public QLineEdit {
    Q_OBJECT

public:
    explicit HotKeyCaptureField(QWidget* parent = nullptr);

    std::function<void(std::uint32_t keyCode, std::uint32_t carbonModifiers)> onCapture;
    bool isKeyboardFocused() const { return keyboardFocused; }

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    // True when the key was recorded.
    bool capture(const QKeyEvent& event);
    void updateFocusAppearance();

    bool keyboardFocused = false;
};
