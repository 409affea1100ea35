#pragma once

#include "Parlowen/Items/AXMenuBarItemRecord.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>

namespace Parlowen {
class ElidingLabel;
} // namespace Parlowen

class OverflowRowHotKeyButton;
class PanelIconButton;
class QLabel;
class ReasonBadgeView;

// One listed item: app icon, title over subtitle, shortcut button, star and reason badge. Only
// the two buttons take their own clicks; a click anywhere else activates the row.
class OverflowRowView : public QWidget {
public:
    static constexpr int rowHeight = 64;

    // `identifier` becomes the object name: "overflow.row" in the table, "panel.visual-row" for
    // the visual preview's pictures of rows.
    explicit OverflowRowView(const QString& identifier, QWidget* parent = nullptr);

    // `shortcutText`: the formatted chord of the item's per-app shortcut, when it has one.
    // `appIcon`: the running application's icon; a null pixmap for the initials icon.
    void populate(const Parlowen::AXMenuBarItemRecord& item, bool isFavorite,
                  const std::optional<QString>& shortcutText, bool isHotKeyRecording,
                  bool diagnosticLabelsEnabled, const QPixmap& appIcon = {});

    void renderBackground();
    void renderFavoriteButton(bool isFavorite);
    void renderHotKeyButton(const std::optional<QString>& shortcutText);
    void renderHotKeyRecording();
    // Drops all four callbacks (rows that are pictures, or rows being released).
    void clearCallbacks();

    bool isVisualHighlight = false;
    bool isSelectedForKeyboard = false;
    // The selected row of the list that has the keyboard focus draws a blue ring.
    bool showsFocusRing = false;

    std::function<void()> onHotKeyCaptureBegin;
    std::function<void()> onFavoriteToggle;
    std::function<void(std::uint32_t, std::uint32_t)> onHotKeyCapture;
    std::function<void()> onActivate;

    QLabel* iconView;
    Parlowen::ElidingLabel* titleLabel;
    Parlowen::ElidingLabel* subtitleLabel;
    OverflowRowHotKeyButton* hotKeyButton;
    PanelIconButton* favoriteButton;
    ReasonBadgeView* badgeView;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void configure();
    QPixmap icon(const Parlowen::AXMenuBarItemRecord& item, const QPixmap& appIcon) const;
    void favoriteTapped();

    QColor background = Qt::transparent;
};
