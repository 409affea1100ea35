#pragma once

#include <QPointer>
#include <QSize>
#include <QWidget>

#include <map>
#include <memory>
#include <optional>
#include <vector>

class AdvancedPaneController;
class GeneralPaneController;
class PreferencesPaneController;
class QPushButton;
class QScrollArea;
class QuickAccessPaneController;
struct PreferencesServices;

// The preferences window's content: a sidebar of three pane buttons, a hairline and the visible
// pane. It owns the three panes for the life of the window and runs the window's own keyboard
// focus ring (sidebar buttons, then the visible pane's enabled and shown controls).
class PreferencesTabViewController : public QWidget {
public:
    enum class Pane { general, quickAccess, advanced };

    // The window's content: the Advanced pane with its reset note shown is the tallest page.
    static constexpr QSize contentSize{640, 580};
    static constexpr int sidebarWidth = 150;
    // A pane is as wide as the content less the sidebar and its hairline.
    static constexpr int paneWidth = contentSize.width() - sidebarWidth - 1;

    // The panes use the tab controller's own copy of the services, so they stay valid as long
    // as the window, which may outlive the window controller for a moment.
    explicit PreferencesTabViewController(PreferencesServices services, QWidget* parent = nullptr);
    ~PreferencesTabViewController() override;

    GeneralPaneController& generalPane() { return *general; }
    QuickAccessPaneController& quickAccessPane() { return *quickAccess; }
    AdvancedPaneController& advancedPane() { return *advanced; }

    Pane selectedPane() const { return selected; }
    // Makes `pane` the visible pane; the keyboard focus stays where it is.
    void show(Pane pane);
    QPushButton* sidebarButton(Pane pane) const;

    // The keyboard operations of the window's keys.
    void focusNextKeyboardItem(bool forward);
    void focusAdjacentSidebarButton(int delta);
    void activateFocusedKeyboardItem();

    // The ring in order: the sidebar buttons, then the visible pane's focusable controls.
    std::vector<QWidget*> keyboardFocusOrder() const;
    static std::vector<QWidget*> keyboardFocusableViews(QWidget& root);
    static bool isKeyboardFocusable(QWidget& view);
    static bool isKeyboardVisible(QWidget& view);

    // Recomputes the sidebar buttons' colours from the selection and the focus.
    void updateSidebarSelection();

protected:
    // A sidebar button's look follows the focus however it arrives.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr Pane allPanes[] = {Pane::general, Pane::quickAccess, Pane::advanced};

    PreferencesPaneController& controller(Pane pane);
    QPushButton* makeSidebarButton(Pane pane, QWidget* parent);
    std::optional<Pane> pane(QWidget* sidebarButton) const;
    void focusFirstActivePaneControl();
    QWidget* focusedWidget() const;
    void focus(QWidget* widget);

    std::unique_ptr<PreferencesServices> services;
    std::unique_ptr<GeneralPaneController> general;
    std::unique_ptr<QuickAccessPaneController> quickAccess;
    std::unique_ptr<AdvancedPaneController> advanced;
    QScrollArea* contentScroller = nullptr;
    // Holds every pane; as large as the shown one.
    QWidget* contentContainer = nullptr;
    std::map<Pane, QPushButton*> sidebarButtons;
    Pane selected = Pane::general;
    PreferencesPaneController* activePane = nullptr;
};
