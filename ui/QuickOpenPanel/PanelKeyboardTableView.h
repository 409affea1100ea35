#pragma once

#include <QWidget>

#include <algorithm>
#include <functional>
#include <map>
#include <vector>

class OverflowRowView;

// The panel's list of rows, each 64 points high with 8 points between rows. Row views exist
// only for the rows in (and just around) the visible part of the scroll view, and are reused as
// the list scrolls or reloads, so a list of hundreds of items costs a handful of widgets.
class PanelKeyboardTableView : public QWidget {
public:
    static constexpr int rowHeight = 64;
    static constexpr int rowSpacing = 8;

    explicit PanelKeyboardTableView(QWidget* parent = nullptr);
    ~PanelKeyboardTableView() override;

    // The height of `rows` rows with the spacing between them; 0 for none.
    static int heightFor(int rows);

    // Fills the view of one row; set once by the owner.
    std::function<void(OverflowRowView&, int row)> populateRow;
    // After the selection changed through `selectRow` or `deselectAll`.
    std::function<void()> onSelectionChanged;
    // A click on the table outside every row view (the gap under a row belongs to that row).
    std::function<void(int row)> onRowClick;

    // Takes the new row count and fills the existing row views again. Views no longer needed
    // are detached at once and deleted later, so a row may reload the list from inside its own
    // click handler.
    void reloadData(int rowCount);
    int numberOfRows() const { return rowCount; }

    // -1 when no row is selected.
    int selectedRow() const { return selected; }
    void selectRow(int row, bool scrollToVisible);
    void deselectAll();
    void scrollRowToVisible(int row);
    // Moves the selection by `delta`, from `initialRow` when nothing is selected; clamped to the
    // rows, never wrapping, and scrolled into view. No rows: nothing.
    void moveSelection(int delta, int initialRow);
    void moveDown() { moveSelection(1, 0); }
    void moveUp() { moveSelection(-1, std::max(rowCount - 1, 0)); }
    // The row at a point of the table, its gap below included; -1 outside every row.
    int rowAt(QPoint point) const;

    // The row's view when it exists now; none is created for the question.
    OverflowRowView* existingRowView(int row) const;
    // The rows that have views, in row order.
    std::vector<int> rowsWithViews() const;
    QRect rectOfRow(int row) const;

protected:
    // Taking the focus brings the selected row into view, where its ring shows the focus.
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    // Creates, places and fills the views of the rows in view; recycles the rest.
    void tile();
    void release(OverflowRowView* view);
    OverflowRowView* takeView();
    std::pair<int, int> rowsInView() const;
    void watchViewport();
    // The selected row's view shows the focus ring exactly while the list has the focus.
    void showFocusRing();

    int rowCount = 0;
    int selected = -1;
    std::map<int, OverflowRowView*> views;
    std::vector<OverflowRowView*> spareViews;
    QWidget* watchedViewport = nullptr;
};
