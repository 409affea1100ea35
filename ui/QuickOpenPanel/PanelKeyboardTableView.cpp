#include "ui/QuickOpenPanel/PanelKeyboardTableView.h"

#include "ui/QuickOpenPanel/OverflowRowView.h"

#include <QEvent>
#include <QMouseEvent>
#include <QScrollArea>

#include <algorithm>

namespace {

constexpr int rowPitch = PanelKeyboardTableView::rowHeight + PanelKeyboardTableView::rowSpacing;
// Views kept aside for reuse beyond those on screen.
constexpr std::size_t maximumSpareViews = 4;

QScrollArea* enclosingScrollArea(const QWidget* widget) {
    for (QWidget* parent = widget->parentWidget(); parent; parent = parent->parentWidget()) {
        if (auto* area = qobject_cast<QScrollArea*>(parent)) {
            return area;
        }
    }
    return nullptr;
}

} // namespace

PanelKeyboardTableView::PanelKeyboardTableView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("panel.table"));
    setFocusPolicy(Qt::StrongFocus);
}

PanelKeyboardTableView::~PanelKeyboardTableView() {
    if (watchedViewport) {
        watchedViewport->removeEventFilter(this);
    }
}

int PanelKeyboardTableView::heightFor(int rows) {
    return rows <= 0 ? 0 : rows * rowHeight + (rows - 1) * rowSpacing;
}

QRect PanelKeyboardTableView::rectOfRow(int row) const {
    return QRect(0, row * rowPitch, width(), rowHeight);
}

void PanelKeyboardTableView::reloadData(int count) {
    rowCount = std::max(0, count);
    if (selected >= rowCount) {
        selected = -1;
    }
    // Every view is filled afresh: the items behind the indices may all have changed.
    for (auto it = views.begin(); it != views.end();) {
        if (it->first >= rowCount) {
            release(it->second);
            it = views.erase(it);
        } else {
            ++it;
        }
    }
    for (const auto& [row, view] : views) {
        if (populateRow) {
            populateRow(*view, row);
        }
    }
    tile();
}

void PanelKeyboardTableView::selectRow(int row, bool scrollToVisible) {
    if (row < 0 || row >= rowCount) {
        return;
    }
    selected = row;
    if (scrollToVisible) {
        scrollRowToVisible(row);
    }
    if (auto callback = onSelectionChanged) {
        callback();
    }
}

void PanelKeyboardTableView::deselectAll() {
    selected = -1;
    if (auto callback = onSelectionChanged) {
        callback();
    }
}

void PanelKeyboardTableView::scrollRowToVisible(int row) {
    if (auto* area = enclosingScrollArea(this); area && row >= 0 && row < rowCount) {
        const QRect target = rectOfRow(row);
        // The middle of the row and half its height either way: the whole row, to the pixel
        // (QRect's centre lies half a pixel above the middle).
        area->ensureVisible(target.center().x(), target.top() + rowHeight / 2, 0, rowHeight / 2);
    }
}

void PanelKeyboardTableView::moveSelection(int delta, int initialRow) {
    if (rowCount == 0) {
        return;
    }
    const int target = selected >= 0 ? selected + delta : initialRow;
    selectRow(std::clamp(target, 0, rowCount - 1), true);
}

int PanelKeyboardTableView::rowAt(QPoint point) const {
    if (point.y() < 0 || point.x() < 0 || point.x() >= width()) {
        return -1;
    }
    const int row = point.y() / rowPitch;
    return row < rowCount ? row : -1;
}

void PanelKeyboardTableView::mousePressEvent(QMouseEvent* event) {
    // Row views take the clicks on themselves; only a click between them arrives here, and it
    // activates once, through this path alone.
    const int row = rowAt(event->position().toPoint());
    if (row < 0) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    selectRow(row, false);
    if (auto callback = onRowClick) {
        callback(row);
    }
}

OverflowRowView* PanelKeyboardTableView::existingRowView(int row) const {
    const auto found = views.find(row);
    return found == views.end() ? nullptr : found->second;
}

std::vector<int> PanelKeyboardTableView::rowsWithViews() const {
    std::vector<int> rows;
    rows.reserve(views.size());
    for (const auto& entry : views) {
        rows.push_back(entry.first);
    }
    return rows;
}

std::pair<int, int> PanelKeyboardTableView::rowsInView() const {
    if (rowCount == 0) {
        return {0, -1};
    }
    int top = 0;
    int bottom = height();
    if (const QWidget* viewport = parentWidget(); viewport && enclosingScrollArea(this)) {
        top = -y();
        bottom = top + viewport->height();
    }
    // One row more on each side, so a small scroll shows rows that are ready.
    const int first = std::max(0, top / rowPitch - 1);
    const int last = std::min(rowCount - 1, bottom / rowPitch + 1);
    return {first, last};
}

void PanelKeyboardTableView::tile() {
    watchViewport();
    const auto [first, last] = rowsInView();
    for (auto it = views.begin(); it != views.end();) {
        if (it->first < first || it->first > last) {
            it->second->hide();
            it->second->clearCallbacks();
            spareViews.push_back(it->second);
            it = views.erase(it);
        } else {
            ++it;
        }
    }
    for (int row = first; row <= last; ++row) {
        auto [entry, created] = views.try_emplace(row, nullptr);
        if (created) {
            entry->second = takeView();
            if (populateRow) {
                populateRow(*entry->second, row);
            }
        }
        entry->second->setGeometry(rectOfRow(row));
        entry->second->show();
    }
    while (spareViews.size() > maximumSpareViews) {
        release(spareViews.back());
        spareViews.pop_back();
    }
}

OverflowRowView* PanelKeyboardTableView::takeView() {
    if (!spareViews.empty()) {
        auto* view = spareViews.back();
        spareViews.pop_back();
        return view;
    }
    return new OverflowRowView(QStringLiteral("overflow.row"), this);
}

void PanelKeyboardTableView::release(OverflowRowView* view) {
    // The view may be the one whose click started this reload: take it out of the list now and
    // let the event loop delete it once its handler has returned.
    view->clearCallbacks();
    view->hide();
    view->deleteLater();
}

void PanelKeyboardTableView::watchViewport() {
    QWidget* viewport = enclosingScrollArea(this) ? parentWidget() : nullptr;
    if (viewport == watchedViewport) {
        return;
    }
    if (watchedViewport) {
        watchedViewport->removeEventFilter(this);
    }
    watchedViewport = viewport;
    if (watchedViewport) {
        watchedViewport->installEventFilter(this);
    }
}

void PanelKeyboardTableView::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    tile();
}

void PanelKeyboardTableView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    tile();
}

bool PanelKeyboardTableView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == watchedViewport && event->type() == QEvent::Resize) {
        tile();
    }
    return QWidget::eventFilter(watched, event);
}
