#include "PanelTestSupport.h"
#include "Parlowen/Hotkeys/HotKeyFormatter.h"
#include "Parlowen/Settings/StoredJSONList.h"
#include "tests/quickopen/RecordBuilder.h"
#include "tests/support/TemporaryFolder.h"
#include "tests/support/WidgetImage.h"
#include "ui/QuickOpenPanel/OverflowPanelView.h"
#include "ui/QuickOpenPanel/OverflowRowHotKeyButton.h"
#include "ui/QuickOpenPanel/OverflowRowView.h"
#include "ui/QuickOpenPanel/PanelIconButton.h"
#include "ui/QuickOpenPanel/PanelKeyboardTableView.h"
#include "ui/QuickOpenPanel/PanelScopeControl.h"
#include "ui/QuickOpenPanel/PanelSearchField.h"
#include "ui/QuickOpenPanel/SampleAppIconFactory.h"

#include "ui/Design/ElidingLabel.h"
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace Parlowen;
using namespace PanelTesting;
using namespace QuickOpenTesting;
using enum VisibilityClassification;

std::string selectedApp(OverflowPanelController& panel) {
    const int row = panel.view().tableView->selectedRow();
    return row < 0 ? "<none>" : panel.displayedItems()[static_cast<std::size_t>(row)].appName;
}

class OverflowPanelControllerTest : public ::testing::Test, public PanelFixture {
protected:
    void TearDown() override { flushDeferredDeletes(); }
};

TEST_F(OverflowPanelControllerTest, TableHeightFollowsTheRowCount) {
    OverflowPanelController panel(dependencies());
    auto& table = *panel.view().tableView;
    panel.update(scanOf({hiddenAt("A", 500), hiddenAt("B", 600), hiddenAt("C", 700)}));
    EXPECT_EQ(table.height(), 3 * 64 + 2 * 8);
    EXPECT_EQ(table.width(), 440 - 28);
    panel.update(scanOf({}));
    EXPECT_EQ(table.height(), 0);
}

TEST_F(OverflowPanelControllerTest, RowViewsExistOnlyForTheRowsInView) {
    OverflowPanelController panel(dependencies());
    auto& view = panel.view();
    view.show();
    std::vector<AXMenuBarItemRecord> items;
    for (int index = 0; index < 50; ++index) {
        items.push_back(hiddenAt(("App " + std::to_string(index)).c_str(), 100.0 + index * 30));
    }
    panel.update(scanOf(items));
    auto& table = *view.tableView;
    EXPECT_LT(table.rowsWithViews().size(), 10u);
    EXPECT_EQ(table.existingRowView(0)->titleLabel->text(), "App 0");

    view.scrollView->verticalScrollBar()->setValue(view.scrollView->verticalScrollBar()->maximum());
    ASSERT_NE(table.existingRowView(49), nullptr);
    EXPECT_EQ(table.existingRowView(49)->titleLabel->text(), "App 49");
    EXPECT_EQ(table.existingRowView(0), nullptr);
    EXPECT_LT(table.rowsWithViews().size(), 10u);
}

TEST_F(OverflowPanelControllerTest, SelectionFollowsTheItemAcrossRescans) {
    OverflowPanelController panel(dependencies());
    panel.update(scanOf({hiddenAt("A", 500), hiddenAt("B", 600), hiddenAt("C", 700)}));
    panel.view().tableView->selectRow(1, false);
    ASSERT_EQ(selectedApp(panel), "B");

    // B moves to the far left: hidden rows follow their frames, so it is now row 0.
    panel.update(scanOf({hiddenAt("A", 500), hiddenAt("B", 100), hiddenAt("C", 700)}));
    EXPECT_EQ(panel.displayedItems()[0].appName, "B");
    EXPECT_EQ(selectedApp(panel), "B");

    // Gone: the first row is chosen.
    panel.update(scanOf({hiddenAt("A", 500), hiddenAt("C", 700)}));
    EXPECT_EQ(panel.view().tableView->selectedRow(), 0);
}

TEST_F(OverflowPanelControllerTest, UpdateReadsTrustOnEveryScan) {
    OverflowPanelController panel(dependencies());
    desktop.setTrusted(false);
    panel.update(scanOf({hiddenAt("A", 500)}));
    EXPECT_EQ(panel.currentViewState().content, OverflowPanelContentState::missingPermission);
    auto* openSettings = panel.view().emptyActionButton;
    ASSERT_TRUE(openSettings->isVisibleTo(&panel.view()));
    openSettings->click();
    EXPECT_EQ(desktop.record().openedURLs,
              std::vector<std::string>{
                  "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility"});
    desktop.setTrusted(true);
    panel.update(scanOf({hiddenAt("A", 500)}));
    EXPECT_EQ(panel.currentViewState().content, OverflowPanelContentState::rows);
    EXPECT_TRUE(panel.view().scrollView->isVisibleTo(&panel.view()));
    EXPECT_FALSE(panel.view().emptyContainer->isVisibleTo(&panel.view()));
}

TEST_F(OverflowPanelControllerTest, TypingNarrowsTheListAndKeepsTheSearchTitle) {
    OverflowPanelController panel(dependencies());
    auto& view = panel.view();
    panel.update(scanOf({hiddenAt("Dropbox", 500), hiddenAt("Tailscale", 600)}));
    QTest::keyClicks(view.searchField, "drop");
    EXPECT_EQ(panel.searchQuery(), "drop");
    ASSERT_EQ(panel.displayedItems().size(), 1u);
    EXPECT_EQ(view.panelTitleLabel->text(), "Quick Open");
    QTest::keyClicks(view.searchField, "zz");
    EXPECT_TRUE(panel.displayedItems().empty());
    EXPECT_EQ(view.emptyLabel->text(), "No matching menu bar apps");
    EXPECT_EQ(view.panelTitleLabel->text(), "Quick Open");
}

TEST_F(OverflowPanelControllerTest, StarReloadsTheListFromInsideItsOwnRow) {
    OverflowPanelController panel(dependencies());
    auto& view = panel.view();
    view.show();
    panel.update(scanOf({record("Beta", "", visible, frameCentredAt(900)),
                         record("Alpha", "", visible, frameCentredAt(800))}));
    ASSERT_EQ(panel.displayedItems()[1].appName, "Beta");
    auto* beta = view.tableView->existingRowView(1);
    ASSERT_NE(beta, nullptr);
    QTest::mouseClick(beta->favoriteButton, Qt::LeftButton);
    // Beta moved up into the favourites and stays selected; the row that was clicked lives on
    // until the event loop deletes what it let go.
    EXPECT_TRUE(favorites.isFavorite(MenuBarItemStableIdentity::of(panel.displayedItems()[0])));
    EXPECT_EQ(panel.displayedItems()[0].appName, "Beta");
    EXPECT_EQ(selectedApp(panel), "Beta");
    panel.update(scanOf({record("Alpha", "", visible, frameCentredAt(800))}));
    QTest::mouseClick(view.tableView->existingRowView(0)->favoriteButton, Qt::LeftButton);
    flushDeferredDeletes();
    EXPECT_EQ(view.tableView->rowsWithViews(), std::vector<int>{0});
}

TEST_F(OverflowPanelControllerTest, ScopeControlHidesWhileTheScopeIsFixedToHiddenItems) {
    defaults->set(AppPreferences::panelScopeKey, std::string("hiddenOnly"));
    OverflowPanelController panel(dependencies());
    panel.update(scanOf({hiddenAt("A", 500), record("B", "", visible, frameCentredAt(900))}));
    EXPECT_EQ(panel.activeScope(), OverflowPanelScope::hiddenOnly);
    EXPECT_FALSE(panel.view().scopeControl->isVisibleTo(&panel.view()));
    panel.scopeChanged(OverflowPanelScope::allRightSide);
    EXPECT_EQ(panel.activeScope(), OverflowPanelScope::hiddenOnly);

    defaults->removeObject(AppPreferences::panelScopeKey);
    panel.reloadScopeFromPreferences();
    EXPECT_EQ(panel.activeScope(), OverflowPanelScope::allRightSide);
    EXPECT_TRUE(panel.view().scopeControl->isVisibleTo(&panel.view()));
    EXPECT_EQ(panel.displayedItems().size(), 2u);
}

TEST_F(OverflowPanelControllerTest, BindingStoredUnderALegacyKeyShowsAsAssigned) {
    const auto dropbox = hiddenAt("Dropbox", 500);
    const PerAppHotKeyBinding legacy{*MenuBarItemStableIdentity::of(dropbox).legacyV1Equivalent(),
                                     "Dropbox", "Dropbox", PerAppHotKeyShortcut{2, 0x1800}, now};
    StoredJSONList::updateEntries<PerAppHotKeyBinding>(
        *defaults, PerAppHotKeyStore::key, [&](auto& bindings) { bindings = {legacy}; });
    OverflowPanelController panel(dependencies());
    auto& view = panel.view();
    panel.update(scanOf({dropbox, hiddenAt("Tailscale", 600)}));
    const QString chord = QString::fromStdString(HotKeyFormatter::format(2, 0x1800));
    ASSERT_FALSE(chord.isEmpty());
    auto* row = view.tableView->existingRowView(0);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->hotKeyButton->toolTip(), "Shortcut " + chord + ": click to change");
    EXPECT_EQ(row->subtitleLabel->text(), "Hidden behind notch \u00B7 Shortcut " + chord);
    EXPECT_EQ(view.tableView->existingRowView(1)->hotKeyButton->toolTip(),
              "Set shortcut: click, then press keys");
}

TEST_F(OverflowPanelControllerTest, RowsShowTheApplicationIconOrTheInitials) {
    TemporaryFolder folder;
    const auto iconPath = folder.path() / "finder.png";
    QImage red(64, 64, QImage::Format_ARGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(QString::fromStdString(iconPath.string())));
    auto description = platform::sim::SimulatedDesktop::defaultDescription();
    description.appServices.appIcons[200] = iconPath.string();
    platform::sim::SimulatedDesktop withIcons(description, loop);
    auto panelDependencies = dependencies();
    panelDependencies.workspace = &withIcons.workspace();
    OverflowPanelController panel(std::move(panelDependencies));
    auto& view = panel.view();

    auto finder = hiddenAt("Finder", 500);
    finder.pid = 200;
    auto gone = hiddenAt("Gone", 600);
    gone.pid = 4242;
    panel.update(scanOf({finder, gone}));
    const QImage finderIcon = view.tableView->existingRowView(0)->iconView->pixmap().toImage();
    EXPECT_EQ(finderIcon.size(), QSize(30, 30));
    EXPECT_EQ(finderIcon.pixelColor(15, 15), QColor(Qt::red));
    const QImage goneIcon = view.tableView->existingRowView(1)->iconView->pixmap().toImage();
    EXPECT_EQ(goneIcon.pixelColor(3, 15), SampleAppIconFactory::color("Gone"));
}

TEST_F(OverflowPanelControllerTest, PanelPartsHaveTheirNamesAndSizes) {
    OverflowPanelController panel(dependencies());
    auto& view = panel.view();
    view.show();
    panel.update(scanOf({hiddenAt("A", 500)}));
    QCoreApplication::sendPostedEvents();
    const struct {
        const char* name;
        int width; // 0: whatever the layout gives
        int height;
    } parts[] = {
        {"panel.search", 408, 30},
        {"panel.scope-control", 408, 25},
        {"panel.refresh", 36, 32},
        {"panel.preferences", 36, 32},
        {"panel.footer.quick-access", 0, 52},
        // The design system's secondary style holds buttons at 30 high at least.
        {"panel.hotkey.replace", 74, 30},
        {"panel.hotkey.choose-another", 124, 30},
        {"panel.empty.icon", 42, 42},
        {"panel.header-separator", 440, 1},
        {"panel.footer-separator", 440, 1},
        {"panel.table", 412, 64},
        {"overflow.row", 412, 64},
    };
    EXPECT_EQ(view.size(), QSize(440, 452));
    for (const auto& part : parts) {
        auto* widget = view.findChild<QWidget*>(part.name);
        ASSERT_NE(widget, nullptr) << part.name;
        if (part.width > 0) {
            EXPECT_EQ(widget->width(), part.width) << part.name;
        }
        EXPECT_EQ(widget->height(), part.height) << part.name;
    }
}

// The visible text of the widget named `name`.
QString textOf(QWidget& root, const char* name) {
    if (auto* label = root.findChild<QLabel*>(name)) {
        return label->isVisibleTo(&root) ? label->text() : "<hidden>";
    }
    if (auto* field = root.findChild<QLineEdit*>(name)) {
        return field->text();
    }
    if (auto* button = root.findChild<QPushButton*>(name)) {
        return button->isVisibleTo(&root) ? button->text() : "<hidden>";
    }
    return "<missing>";
}

QStringList previewRowTitles(QWidget& root) {
    QStringList titles;
    for (auto* row : root.findChildren<OverflowRowView*>("panel.visual-row")) {
        titles << row->titleLabel->text();
    }
    return titles;
}

TEST_F(OverflowPanelControllerTest, PreviewScenesRenderTheirSampleTexts) {
    using enum OverflowPanelVisualPreview;
    const struct {
        OverflowPanelVisualPreview scene;
        const char* title;
        const char* subtitle;
        const char* emptyTitle;
        const char* action;
        QStringList rows;
        bool scopeVisible;
    } scenes[] = {
        {hiddenIcons,
         "3 hidden icons",
         "updated",
         "<hidden>",
         "<hidden>",
         {"Tailscale", "1Password", "Dropbox"},
         true},
        {quickOpenNoHidden,
         "Quick Open",
         "Search menu bar apps or choose one below",
         "<hidden>",
         "<hidden>",
         {"Tailscale", "1Password", "Dropbox", "Google Drive"},
         true},
        {quickOpenSearch, "Quick Open", "updated", "<hidden>", "<hidden>", {"Dropbox"}, true},
        {allClear,
         "No hidden icons",
         "updated",
         "No hidden icons right now.",
         "<hidden>",
         {},
         true},
        {missingPermission,
         "Accessibility access needed",
         "Grant access to search and open menu bar apps",
         "Accessibility access needed",
         "Open Accessibility Settings...",
         {},
         false},
    };
    for (const auto& scene : scenes) {
        const auto name = std::to_string(static_cast<int>(scene.scene));
        OverflowPanelController panel(dependencies());
        panel.renderVisualPreview(scene.scene);
        auto& view = panel.view();
        const QImage image = tessaline::testing::renderWidget(view);
        EXPECT_EQ(image.size(), QSize(440, 452)) << name;
        EXPECT_EQ(textOf(view, "panel.title"), scene.title) << name;
        EXPECT_TRUE(textOf(view, "panel.subtitle").startsWith(scene.subtitle)) << name;
        EXPECT_EQ(textOf(view, "panel.empty.title"), scene.emptyTitle) << name;
        EXPECT_EQ(textOf(view, "panel.empty.action"), scene.action) << name;
        EXPECT_EQ(textOf(view, "panel.footer.quick-access"),
                  "Press \u2325 + \u2325 to open anytime")
            << name;
        EXPECT_EQ(previewRowTitles(view), scene.rows) << name;
        EXPECT_EQ(view.scopeControl->isVisibleTo(&view), scene.scopeVisible) << name;
        EXPECT_FALSE(view.scrollView->isVisibleTo(&view)) << name;
    }
}

} // namespace
