#pragma once

#include <QPushButton>

namespace Parlowen {

// A secondary button that shows keyboard focus by its colours alone (no focus ring): focused,
// `Palette::focusSoft` with a `Palette::blue` border; unfocused, white with `Palette::line`;
// disabled, `Palette::soft` with `Palette::line`. It always takes focus, by Tab or by click.
class TessalineSecondaryButton : public QPushButton {
    Q_OBJECT

public:
    explicit TessalineSecondaryButton(const QString& text = {}, QWidget* parent = nullptr);

    bool isKeyboardFocused() const { return isKeyboardFocused_; }
    // Applies the colours of the current focus and enabled state.
    void updateSecondaryFocusAppearance();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool isKeyboardFocused_ = false;
};

} // namespace Parlowen
