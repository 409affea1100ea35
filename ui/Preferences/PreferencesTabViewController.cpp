#include "ui/Preferences/PreferencesTabViewController.h"

#include "Parlowen/Settings/L10n.h"
#include "ui/Design/TessalineDesign.h"
#include "ui/Design/TessalineFonts.h"
#include "ui/Preferences/AdvancedPaneController.h"
#include "ui/Preferences/GeneralPaneController.h"
#include "ui/Preferences/HotKeyCaptureField.h"
#include "ui/Preferences/PreferencesServices.h"
#include "ui/Preferences/PreferencesSwitch.h"
#include "ui/Preferences/QuickAccessPaneController.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace {

using namespace Parlowen;

constexpr int sidebarButtonHeight = 32;

QString colourText(const QColor& color) {
    return color.name(QColor::HexArgb);
}

// The title keeps its 12-point left and 10-point right inset inside the 2-point ring that the
// focused button draws (blue on the selected button's blue tint).
QString sidebarStyle(const QColor& text, const QColor& background, const QColor& ring) {
    return QStringLiteral("QPushButton { border: 2px solid %3; border-radius: 7px;"
                          " text-align: left; padding-left: 10px; padding-right: 8px; color: %1;"
                          " background-color: %2; }")
        .arg(colourText(text), colourText(background), colourText(ring));
}

void fill(QWidget* widget, QColor color) {
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
}

QString title(PreferencesTabViewController::Pane pane) {
    using Pane = PreferencesTabViewController::Pane;
    switch (pane) {
    case Pane::general:
        return QString::fromStdString(L10n::string("preferences.tab.general", "General"));
    case Pane::quickAccess:
        return QString::fromStdString(L10n::string("preferences.tab.quick_access", "Quick Access"));
    case Pane::advanced:
        break;
    }
    return QString::fromStdString(L10n::string("preferences.tab.advanced", "Advanced"));
}

QString identifier(PreferencesTabViewController::Pane pane) {
    using Pane = PreferencesTabViewController::Pane;
    switch (pane) {
    case Pane::general:
        return QStringLiteral("preferences.sidebar.general");
    case Pane::quickAccess:
        return QStringLiteral("preferences.sidebar.quick-access");
    case Pane::advanced:
        break;
    }
    return QStringLiteral("preferences.sidebar.advanced");
}

} // namespace

PreferencesTabViewController::PreferencesTabViewController(PreferencesServices services,
                                                           QWidget* parent)
    : QWidget(parent), services(std::make_unique<PreferencesServices>(std::move(services))),
      general(std::make_unique<GeneralPaneController>(*this->services)),
      quickAccess(std::make_unique<QuickAccessPaneController>(*this->services)),
      advanced(std::make_unique<AdvancedPaneController>(*this->services)) {
    resize(contentSize);
    fill(this, TessalineDesign::Palette::surface());
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* sidebar = new QWidget(this);
    sidebar->setObjectName(QStringLiteral("preferences.sidebar"));
    QColor sidebarColour = TessalineDesign::Palette::soft();
    sidebarColour.setAlphaF(0.74f);
    fill(sidebar, sidebarColour);
    sidebar->setFixedWidth(sidebarWidth);
    auto* stack = new QVBoxLayout(sidebar);
    stack->setContentsMargins(0, 14, 0, 14);
    stack->setSpacing(4);
    stack->setAlignment(Qt::AlignTop);
    for (const Pane each : allPanes) {
        auto* button = makeSidebarButton(each, sidebar);
        sidebarButtons[each] = button;
        stack->addWidget(button);
    }

    auto* separator = new QWidget(this);
    separator->setObjectName(QStringLiteral("preferences.sidebar-separator"));
    fill(separator, TessalineDesign::Palette::line());
    separator->setFixedWidth(1);

    // The window keeps its size, so a page taller than it (the Advanced page's last row) scrolls
    // instead of being cut off.
    contentScroller = new QScrollArea(this);
    contentScroller->setObjectName(QStringLiteral("preferences.scroll"));
    // Not a stop of the window's focus ring.
    contentScroller->setFocusPolicy(Qt::NoFocus);
    contentScroller->setFrameShape(QFrame::NoFrame);
    contentScroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    contentScroller->setFixedWidth(paneWidth);
    fill(contentScroller->viewport(), TessalineDesign::Palette::surface());
    contentContainer = new QWidget;
    contentContainer->setObjectName(QStringLiteral("preferences.content"));
    fill(contentContainer, TessalineDesign::Palette::surface());
    contentScroller->setWidget(contentContainer);

    layout->addWidget(sidebar);
    layout->addWidget(separator);
    layout->addWidget(contentScroller, 1);
    show(Pane::general);
}

PreferencesTabViewController::~PreferencesTabViewController() = default;

QPushButton* PreferencesTabViewController::makeSidebarButton(Pane pane, QWidget* parent) {
    auto* button = new QPushButton(title(pane), parent);
    button->setObjectName(identifier(pane));
    button->setFlat(true);
    button->setFont(TessalineFonts::font(13, QFont::Medium));
    button->setFixedSize(sidebarWidth, sidebarButtonHeight);
    button->setFocusPolicy(Qt::StrongFocus);
    button->installEventFilter(this);
    connect(button, &QPushButton::clicked, this, [this, pane] {
        focus(sidebarButtons[pane]);
        show(pane);
    });
    return button;
}

QPushButton* PreferencesTabViewController::sidebarButton(Pane pane) const {
    const auto found = sidebarButtons.find(pane);
    return found == sidebarButtons.end() ? nullptr : found->second;
}

PreferencesPaneController& PreferencesTabViewController::controller(Pane pane) {
    switch (pane) {
    case Pane::general:
        return *general;
    case Pane::quickAccess:
        return *quickAccess;
    case Pane::advanced:
        break;
    }
    return *advanced;
}

void PreferencesTabViewController::show(Pane pane) {
    PreferencesPaneController& next = controller(pane);
    if (activePane != &next) {
        if (activePane) {
            activePane->view().hide();
        }
        QWidget& view = next.view();
        if (view.parentWidget() != contentContainer) {
            // Pinned to the top: a page taller than the window keeps its rows whole and the
            // content scrolls.
            view.setParent(contentContainer);
            view.move(0, 0);
            // Wrapped texts need the height they take at the page's width, which the plain
            // minimum does not count.
            const int needed =
                std::max(view.minimumSizeHint().height(), view.heightForWidth(view.width()));
            view.resize(view.width(), std::max(view.height(), needed));
        }
        view.show();
        contentContainer->resize(view.size());
        contentScroller->verticalScrollBar()->setValue(0);
        activePane = &next;
    }
    selected = pane;
    updateSidebarSelection();
}

void PreferencesTabViewController::updateSidebarSelection() {
    using namespace TessalineDesign;
    QWidget* focused = focusedWidget();
    for (const auto& [pane, button] : sidebarButtons) {
        const QColor ring = focused == button ? Palette::blue() : QColor(Qt::transparent);
        if (pane == selected) {
            button->setStyleSheet(sidebarStyle(Palette::blue(), Palette::blueSoft(), ring));
        } else if (focused == button) {
            button->setStyleSheet(sidebarStyle(Palette::blue(), Palette::focusSoft(), ring));
        } else {
            button->setStyleSheet(sidebarStyle(Palette::grayText(), Qt::transparent, ring));
        }
    }
}

std::vector<QWidget*> PreferencesTabViewController::keyboardFocusOrder() const {
    std::vector<QWidget*> order;
    for (const Pane each : allPanes) {
        if (auto* button = sidebarButton(each)) {
            order.push_back(button);
        }
    }
    if (activePane) {
        const auto controls = keyboardFocusableViews(activePane->view());
        order.insert(order.end(), controls.begin(), controls.end());
    }
    return order;
}

std::vector<QWidget*> PreferencesTabViewController::keyboardFocusableViews(QWidget& root) {
    std::vector<QWidget*> found;
    for (QObject* child : root.children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (!widget || widget->isWindow()) {
            continue;
        }
        if (isKeyboardFocusable(*widget)) {
            found.push_back(widget);
        }
        const auto inner = keyboardFocusableViews(*widget);
        found.insert(found.end(), inner.begin(), inner.end());
    }
    return found;
}

bool PreferencesTabViewController::isKeyboardFocusable(QWidget& view) {
    if (!isKeyboardVisible(view)) {
        return false;
    }
    if (qobject_cast<QAbstractButton*>(&view) || qobject_cast<QComboBox*>(&view) ||
        qobject_cast<HotKeyCaptureField*>(&view)) {
        return true;
    }
    const auto* text = qobject_cast<QTextEdit*>(&view);
    return text && !text->isReadOnly();
}

bool PreferencesTabViewController::isKeyboardVisible(QWidget& view) {
    // Widgets not yet shown count by their own hidden flag, so a pane is judged the same before
    // its window appears.
    for (QWidget* each = &view; each; each = each->parentWidget()) {
        if (each->isHidden() || !each->isEnabled()) {
            return false;
        }
        if (each->isWindow()) {
            break;
        }
    }
    return true;
}

bool PreferencesTabViewController::eventFilter(QObject* watched, QEvent* event) {
    if ((event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) &&
        pane(qobject_cast<QWidget*>(watched))) {
        updateSidebarSelection();
    }
    return QWidget::eventFilter(watched, event);
}

QWidget* PreferencesTabViewController::focusedWidget() const {
    return window() ? window()->focusWidget() : nullptr;
}

void PreferencesTabViewController::focus(QWidget* widget) {
    if (widget) {
        widget->setFocus(Qt::TabFocusReason);
        if (contentContainer->isAncestorOf(widget)) {
            // Only up or down: the page is as wide as the area, less the scroll bar.
            contentScroller->ensureWidgetVisible(widget);
            contentScroller->horizontalScrollBar()->setValue(0);
        }
    }
}

void PreferencesTabViewController::focusNextKeyboardItem(bool forward) {
    const auto order = keyboardFocusOrder();
    if (order.empty()) {
        return;
    }
    const auto count = static_cast<std::ptrdiff_t>(order.size());
    QWidget* focused = focusedWidget();
    const auto found = std::find_if(order.begin(), order.end(), [focused](QWidget* item) {
        return focused && (item == focused || item->isAncestorOf(focused));
    });
    QWidget* target = nullptr;
    if (found == order.end()) {
        target = forward ? order.front() : order.back();
    } else {
        const auto index = found - order.begin();
        target =
            order[static_cast<std::size_t>(((forward ? index + 1 : index - 1) + count) % count)];
    }
    focus(target);
    updateSidebarSelection();
}

void PreferencesTabViewController::focusAdjacentSidebarButton(int delta) {
    std::vector<QPushButton*> buttons;
    for (const Pane each : allPanes) {
        if (auto* button = sidebarButton(each)) {
            buttons.push_back(button);
        }
    }
    if (buttons.empty()) {
        return;
    }
    const auto count = static_cast<std::ptrdiff_t>(buttons.size());
    QWidget* focused = focusedWidget();
    auto start = std::find_if(buttons.begin(), buttons.end(), [focused](QPushButton* button) {
        return focused && (button == focused || button->isAncestorOf(focused));
    });
    if (start == buttons.end()) {
        start = std::find(buttons.begin(), buttons.end(), sidebarButton(selected));
    }
    const auto index = start == buttons.end() ? 0 : start - buttons.begin();
    focus(buttons[static_cast<std::size_t>(((index + delta) % count + count) % count)]);
    updateSidebarSelection();
}

std::optional<PreferencesTabViewController::Pane>
PreferencesTabViewController::pane(QWidget* button) const {
    for (const auto& [each, sidebar] : sidebarButtons) {
        if (sidebar == button) {
            return each;
        }
    }
    return std::nullopt;
}

void PreferencesTabViewController::activateFocusedKeyboardItem() {
    QWidget* focused = focusedWidget();
    // A control disabled or hidden since it took the focus does nothing.
    if (!focused || !isKeyboardVisible(*focused)) {
        return;
    }
    if (const auto sidebarPane = pane(focused)) {
        show(*sidebarPane);
        focusFirstActivePaneControl();
        updateSidebarSelection();
    } else if (auto* toggle = qobject_cast<PreferencesSwitch*>(focused)) {
        toggle->activate();
    } else if (auto* button = qobject_cast<QAbstractButton*>(focused)) {
        button->click();
    } else if (auto* popup = qobject_cast<QComboBox*>(focused)) {
        popup->showPopup();
    }
}

void PreferencesTabViewController::focusFirstActivePaneControl() {
    if (!activePane) {
        return;
    }
    const auto controls = keyboardFocusableViews(activePane->view());
    if (!controls.empty()) {
        focus(controls.front());
    }
    updateSidebarSelection();
}
