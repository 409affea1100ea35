#pragma once

#include "Parlowen/QuickOpen/OverflowPanelViewState.h"
#include "Parlowen/Settings/OverflowPanelScope.h"

#include <QWidget>

class PanelIconButton;
class PanelKeyboardTableView;
class PanelScopeControl;
class PanelSearchField;
class QLabel;
class QPushButton;
class QScrollArea;
class QVBoxLayout;

namespace Parlowen {
class ElidingLabel;
class TessalineSecondaryButton;
} // namespace Parlowen

// The Quick Open panel's widgets, built once in code and named for tests: the header with
// title, subtitle, refresh and settings buttons, search field and scope control; the content
// with the row table, the preview rows and the empty state; the footer. It lays out and draws
// what its controller hands it and keeps no state of the panel.
class OverflowPanelView : public QWidget {
public:
    static constexpr int panelWidth = 440;
    static constexpr int panelHeight = 452;
    // The table is the panel less 14 points of content margin on each side.
    static constexpr int tableInset = 28;
    static constexpr int tableWidthWithoutView = 412;

    explicit OverflowPanelView(QWidget* parent = nullptr);

    void renderHeader(const QString& title, const QString& subtitle, bool scopeControlVisible,
                      Parlowen::OverflowPanelScope selectedScope);
    void renderEmptyState(const Parlowen::OverflowPanelEmptyState& empty);
    // Rows, preview rows or the empty state; exactly one shows.
    void showContent(bool tableVisible, bool previewRowsVisible, bool emptyVisible);
    // The quick-access hint and the status line (action feedback, recording prompt or
    // shortcut conflict); an empty status hides it. The conflict's Replace and Choose another
    // stand in for the hint.
    void renderFooter(const QString& quickAccessHint, const QString& status,
                      bool showsConflictActions);
    // The refresh and settings buttons show keyboard focus by their background.
    void renderHeaderButtonFocus(const QWidget* focused);
    // Sizes the preview rows' stack to its rows, from the content's top.
    void placeVisualRows();
    // The table's width for the view's current width.
    int tableWidth() const;

    QWidget* headerContainer;
    Parlowen::ElidingLabel* panelTitleLabel;
    Parlowen::ElidingLabel* panelSubtitleLabel;
    PanelIconButton* refreshButton;
    PanelIconButton* settingsButton;
    PanelSearchField* searchField;
    PanelScopeControl* scopeControl;
    QWidget* headerSeparator;
    QWidget* contentContainer;
    QScrollArea* scrollView;
    PanelKeyboardTableView* tableView;
    QWidget* visualRowsContainer;
    QVBoxLayout* visualRowsLayout;
    QWidget* emptyContainer;
    QLabel* emptyIcon;
    QLabel* emptyLabel;
    QLabel* emptyBodyLabel;
    QPushButton* emptyActionButton;
    QWidget* footerSeparator;
    QWidget* footerRow;
    Parlowen::ElidingLabel* footerStatusLabel;
    Parlowen::ElidingLabel* quickAccessHintLabel;
    QWidget* hotKeyConflictActions;
    Parlowen::TessalineSecondaryButton* replaceHotKeyButton;
    Parlowen::TessalineSecondaryButton* chooseAnotherHotKeyButton;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void configureSearchField();
    void configureHeader();
    void configureTable();
    void configureEmptyState();
    void configureFooter();
    void configureIconButton(PanelIconButton& button, const QString& symbolName,
                             const QString& label, const QString& identifier);
    void arrange();
};
