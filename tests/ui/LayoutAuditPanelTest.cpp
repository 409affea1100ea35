// The layout audit over the Quick Open panel in its presentations and states.
#include "Parlowen/QuickOpen/OverflowPanelVisualPreview.h"
#include "tests/panel/PanelTestSupport.h"
#include "tests/support/KeySender.h"
#include "tests/support/LayoutAudit.h"
#include "ui/Design/ElidingLabel.h"
#include "ui/QuickOpenPanel/OverflowPanelView.h"
#include "ui/QuickOpenPanel/OverflowRowHotKeyButton.h"
#include "ui/QuickOpenPanel/OverflowRowView.h"
#include "ui/QuickOpenPanel/PanelKeyboardTableView.h"
#include "ui/QuickOpenPanel/PanelScopeControl.h"
#include "ui/QuickOpenPanel/PanelSearchField.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

namespace {

using namespace Parlowen;
using namespace PanelTesting;
using namespace QuickOpenTesting;
using namespace tessaline::testing;
using namespace std::chrono_literals;

// The labels the panel's design lets cut their text.
const LayoutAuditRules rules{
    QStringLiteral("panel"),
    {QStringLiteral("panel.title"), QStringLiteral("panel.subtitle"),
     QStringLiteral("panel.row.title"), QStringLiteral("panel.row.subtitle"),
     QStringLiteral("panel.row.reason-badge.label"), QStringLiteral("panel.footer.status"),
     QStringLiteral("panel.footer.quick-access")},
    {QStringLiteral("panel.scroll"), QStringLiteral("panel.visual-row-stack")}};

void expectNoFindings(const std::vector<LayoutFinding>& findings, const char* state) {
    EXPECT_TRUE(findings.empty()) << state << "\n" << describe(findings);
}

// Labels that may be cut, but whose texts here fit in the lines they may take.
void expectWhole(QWidget& window, const std::vector<const char*>& names, const char* state) {
    for (const char* name : names) {
        const auto labels = window.findChildren<ElidingLabel*>(name);
        EXPECT_FALSE(labels.isEmpty()) << state << ": " << name;
        for (const ElidingLabel* label : labels) {
            EXPECT_FALSE(label->isVisible() && label->isElided())
                << state << ": " << name << " \"" << label->text().toStdString() << "\"";
        }
    }
}

AXMenuBarItemRecord
app(const std::string& name, double centre,
    VisibilityClassification place = VisibilityClassification::hiddenBehindNotch) {
    return record(name, "", place, frameCentredAt(centre), "com.example." + name);
}

// Twelve apps, the first three hidden, one with a long name.
std::vector<AXMenuBarItemRecord> manyApps() {
    std::vector<AXMenuBarItemRecord> items{app("TextExpander", 300), app("Dropbox", 320),
                                           app("Little Snitch", 340)};
    const char* visible[] = {
        "Bartender",    "iStat Menus", "CleanShot X",
        "1Password",    "Tailscale",   "Night Owl",
        "Google Drive", "Maccy",       "Microsoft OneDrive for Business and Personal Accounts"};
    double centre = 900;
    for (const char* name : visible) {
        items.push_back(app(name, centre += 30, VisibilityClassification::visible));
    }
    return items;
}

class PanelLayoutAudit : public PanelFixture {
public:
    PanelLayoutAudit() { panel = std::make_unique<OverflowPanelController>(dependencies()); }
    ~PanelLayoutAudit() {
        panel.reset();
        flushDeferredDeletes();
    }

    QWidget& window() { return *panel->rescueWindowController(); }
    OverflowPanelView& view() { return panel->view(); }
    OverflowRowView& row(int index) { return *view().tableView->existingRowView(index); }
    void type(const char* text) { QTest::keyClicks(view().searchField, text); }

    std::unique_ptr<OverflowPanelController> panel;
};

TEST(PanelLayoutAuditTest, EveryPresentationAndStateFitsAndShowsItsFocus) {
    const struct {
        const char* name;
        std::function<void(PanelLayoutAudit&)> arrange;
        // Labels whose texts must show whole.
        std::vector<const char*> whole;
    } states[] = {
        {"hidden items", {}, {"panel.row.title", "panel.row.subtitle"}},
        // The row's subtitle is cut at the end of its one line.
        {"a favourite with a shortcut",
         [](PanelLayoutAudit& audit) {
             const auto item = audit.panel->displayedItems().front();
             audit.favorites.favorite(item, audit.now);
             audit.hotKeys.assign(item, 17, 0x1B00, audit.now);
             audit.panel->update(scanOf(manyApps()));
         },
         {"panel.row.title"}},
        {"diagnostic labels",
         [](PanelLayoutAudit& audit) {
             audit.defaults->set(AppPreferences::labelsEnabledKey, true);
             audit.panel->update(scanOf(manyApps()));
         },
         {}},
        {"recording a shortcut",
         [](PanelLayoutAudit& audit) {
             QTest::mouseClick(audit.row(1).hotKeyButton, Qt::LeftButton);
         },
         {"panel.footer.status"}},
        {"a shortcut held by another app",
         [](PanelLayoutAudit& audit) {
             audit.hotKeys.assign(audit.panel->displayedItems().front(), 17, 0x0900, audit.now);
             audit.panel->update(scanOf(manyApps()));
             QTest::mouseClick(audit.row(1).hotKeyButton, Qt::LeftButton);
             sendKey(audit.window(), Qt::Key_T, Qt::ControlModifier | Qt::AltModifier);
         },
         {"panel.footer.status"}},
        {"no match", [](PanelLayoutAudit& audit) { audit.type("zzzz"); }, {}},
        {"search results", [](PanelLayoutAudit& audit) { audit.type("o"); }, {}},
        {"menu bar apps",
         [](PanelLayoutAudit& audit) {
             QTest::mouseClick(audit.view().scopeControl, Qt::LeftButton, {},
                               QPoint(audit.view().scopeControl->width() * 3 / 4, 10));
         },
         {}},
    };
    for (const auto& state : states) {
        PanelLayoutAudit audit;
        audit.panel->update(scanOf(manyApps()));
        audit.panel->presentInRescueWindow();
        ASSERT_TRUE(showAndActivate(audit.window())) << state.name;
        audit.loop.runFor(0s);
        if (state.arrange) {
            state.arrange(audit);
        }
        saveForReview(audit.window(), TESSALINE_AUDIT_RENDER_DIR,
                      QStringLiteral("panel %1").arg(state.name));
        expectNoFindings(auditLayout(audit.window(), rules), state.name);
        expectWhole(audit.window(), state.whole, state.name);
        expectNoFindings(auditFocusRings(audit.window(), rules.window), state.name);
    }
}

TEST(PanelLayoutAuditTest, ShortcutSetupFits) {
    for (const bool fixedItem : {false, true}) {
        PanelLayoutAudit audit;
        audit.panel->update(scanOf(manyApps()));
        audit.panel->presentShortcutSetupWindow(
            PerAppHotKeySetupSource::managerAdd,
            fixedItem ? std::optional(manyApps()[4]) : std::nullopt, [] {});
        ASSERT_TRUE(showAndActivate(audit.window()));
        audit.loop.runFor(0s);
        const char* state = fixedItem ? "setup recording for an app" : "setup";
        saveForReview(audit.window(), TESSALINE_AUDIT_RENDER_DIR,
                      QStringLiteral("panel %1").arg(state));
        expectNoFindings(auditLayout(audit.window(), rules), state);
        expectWhole(audit.window(), {"panel.title", "panel.subtitle"}, state);
        expectNoFindings(auditFocusRings(audit.window(), rules.window), state);
    }
}

TEST(PanelLayoutAuditTest, MissingPermissionFits) {
    PanelLayoutAudit audit;
    audit.desktop.setTrusted(false);
    audit.panel->update(scanOf(manyApps()));
    audit.panel->presentInRescueWindow();
    ASSERT_TRUE(showAndActivate(audit.window()));
    saveForReview(audit.window(), TESSALINE_AUDIT_RENDER_DIR,
                  QStringLiteral("panel missing permission"));
    expectNoFindings(auditLayout(audit.window(), rules), "missing permission");
    expectNoFindings(auditFocusRings(audit.window(), rules.window), "missing permission");
}

// The list shows it has the focus even when its selected row was scrolled away.
TEST(PanelLayoutAuditTest, TheListShowsItsFocusWithTheSelectionScrolledAway) {
    PanelLayoutAudit audit;
    audit.panel->update(scanOf(manyApps()));
    audit.panel->presentInRescueWindow();
    ASSERT_TRUE(showAndActivate(audit.window()));
    QScrollBar* scroller = audit.view().scrollView->verticalScrollBar();
    ASSERT_GT(scroller->maximum(), 0);
    scroller->setValue(scroller->maximum());
    expectNoFindings(auditFocusRings(audit.window(), rules.window), "selection scrolled away");
}

TEST(PanelLayoutAuditTest, EveryPictureFits) {
    for (const auto scene :
         {OverflowPanelVisualPreview::hiddenIcons, OverflowPanelVisualPreview::quickOpenNoHidden,
          OverflowPanelVisualPreview::quickOpenSearch, OverflowPanelVisualPreview::allClear,
          OverflowPanelVisualPreview::missingPermission}) {
        PanelLayoutAudit audit;
        audit.panel->renderVisualPreview(scene);
        QWidget& picture = audit.view();
        picture.show();
        saveForReview(picture, TESSALINE_AUDIT_RENDER_DIR,
                      QStringLiteral("panel picture %1").arg(static_cast<int>(scene)));
        expectNoFindings(auditLayout(picture, rules), "a picture");
        picture.hide();
    }
}

} // namespace
