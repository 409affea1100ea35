#pragma once

#include <QWidget>

namespace Parlowen {
class ElidingLabel;
} // namespace Parlowen

// The coloured pill at a row's end that says where the item is.
class ReasonBadgeView : public QWidget {
public:
    enum class Style { orange, green, gray };

    static constexpr int badgeWidth = 78;
    static constexpr int badgeHeight = 22;

    explicit ReasonBadgeView(QWidget* parent = nullptr);

    // Hidden while the text is empty.
    void render(const QString& text, Style style);
    QString text() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Parlowen::ElidingLabel* label;
    QColor background;
};
