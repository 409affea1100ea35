// The layout audit over the update dialogs and the debug panel.
#include "Parlowen/Settings/AppPreferences.h"
#include "Parlowen/Settings/DiagnosticsAppender.h"
#include "platform/InMemoryUserDefaults.h"
#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/VirtualRunLoop.h"
#include "tests/support/KeySender.h"
#include "tests/support/LayoutAudit.h"
#include "tests/support/TemporaryFolder.h"
#include "tests/support/UiTestApplication.h"
#include "tests/update/SampleRelease.h"
#include "ui/Debug/DebugPanelController.h"
#include "ui/Updates/UpdateDialogPresenter.h"
#include "ui/Updates/UpdateFoundWindow.h"
#include "ui/Updates/UpdateProgressWindow.h"
#include "update/ReleaseNotes.h"

#include <QCoreApplication>
#include <QMessageBox>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <optional>

namespace {

using namespace tessaline::testing;
using Phase = update::UpdateProgress::Phase;

void expectNoFindings(const std::vector<LayoutFinding>& findings, const std::string& state) {
    EXPECT_TRUE(findings.empty()) << state << "\n" << describe(findings);
}

// Shows the window and audits its layout and focus ring.
void audit(QWidget& window, const std::string& state, const LayoutAuditRules& rules) {
    ASSERT_TRUE(showAndActivate(window)) << state;
    saveForReview(window, TESSALINE_AUDIT_RENDER_DIR,
                  rules.window + QStringLiteral(" ") + QString::fromStdString(state));
    expectNoFindings(auditLayout(window, rules), state);
    expectNoFindings(auditFocusRings(window, rules.window), state);
    window.hide();
}

TEST(DialogsLayoutAuditTest, UpdateFoundFitsEveryKindOfUpdate) {
    uiTestApplication();
    using Stage = update::SPUUserUpdateStage;
    const auto notes = update::ReleaseNotes::read(
        "<h2>Tessaline 2.0</h2><p>Menu bars are scanned <b>faster</b>, see <a "
        "href=\"https://example.test/notes\">the notes</a>.</p><ul><li>Faster scans on every "
        "display.</li><li>Shortcuts for apps that are not running now.</li></ul><ol><li>Open "
        "<code>Settings</code>.</li><li>Press <i>Check Now</i>.</li></ol>");
    const struct {
        const char* name;
        bool critical;
        bool withNotes;
        Stage stage;
        // The notes as loaded: none while they load, empty when they could not be.
        std::optional<std::optional<update::ReleaseNotes>> loaded;
    } states[] = {
        {"an update", false, false, Stage::notDownloaded, {}},
        {"a critical update, its notes loading", true, true, Stage::notDownloaded, {}},
        {"a critical update with its notes", true, true, Stage::notDownloaded, notes},
        {"a downloaded update, its notes lost", false, true, Stage::downloaded,
         std::optional<update::ReleaseNotes>()},
    };
    for (const auto& state : states) {
        Parlowen::UpdateFoundWindow window(sampleRelease(state.critical, state.withNotes),
                                           {state.stage}, "1.0",
                                           [](update::SPUUserUpdateChoice) {});
        if (state.loaded) {
            window.showReleaseNotes(*state.loaded);
        }
        audit(window, state.name, {QStringLiteral("update found"), {}, {}});
    }
}

TEST(DialogsLayoutAuditTest, UpdateProgressFitsEveryStep) {
    uiTestApplication();
    const struct {
        const char* name;
        update::UpdateProgress progress;
        bool cancels;
    } states[] = {
        {"checking", {Phase::checking, 0, 0, 0}, true},
        {"downloading", {Phase::downloading, 1'234'567, 987'654'321, 0}, true},
        {"downloading, length unknown", {Phase::downloading, 1'234'567, 0, 0}, true},
        {"extracting", {Phase::extracting, 0, 0, 0.4}, false},
        {"installing", {Phase::installing, 0, 0, 0}, false},
    };
    for (const auto& state : states) {
        Parlowen::UpdateProgressWindow window;
        window.showProgress(state.progress,
                            state.cancels ? std::function<void()>([] {}) : std::function<void()>());
        audit(window, state.name, {QStringLiteral("update progress"), {}, {}});
    }
    Parlowen::UpdateProgressWindow ready;
    ready.showReadyToInstall([](update::SPUUserUpdateChoice) {});
    audit(ready, "ready to install", {QStringLiteral("update progress"), {}, {}});
}

TEST(DialogsLayoutAuditTest, UpdateAlertsFit) {
    uiTestApplication();
    {
        Parlowen::UpdateDialogPresenter presenter;
        for (const update::UpdateAlert& alert : {
                 update::UpdateAlert{"You're up to date!",
                                     "You're up to date! No newer version is available."},
                 update::UpdateAlert{"Update Error!",
                                     "The update archive is damaged and was not installed."},
                 update::UpdateAlert{"Update Installed",
                                     "The new version is installed and starts the next time "
                                     "you open the application."},
             }) {
            presenter.presentAlert(alert, [] {});
            audit(*presenter.alertBox(), alert.title, {QStringLiteral("update alert"), {}, {}});
        }
        presenter.presentPermissionRequest([](update::SUUpdatePermissionResponse) {});
        audit(*presenter.alertBox(), "permission request",
              {QStringLiteral("update permission"), {}, {}});
    }
    // The presenter lets its alerts go at the next turn of the event loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(DialogsLayoutAuditTest, DebugPanelFits) {
    uiTestApplication();
    TemporaryFolder folder;
    ::setenv(Parlowen::DiagnosticsAppender::directoryVariable, folder.path().c_str(), 1);
    platform::sim::VirtualClock clock;
    platform::sim::VirtualRunLoop loop{clock};
    platform::sim::SimulatedDesktop desktop(platform::sim::SimulatedDesktop::defaultDescription(),
                                            loop);
    Parlowen::AppPreferences preferences{std::make_shared<platform::InMemoryUserDefaults>()};
    DebugPanelController panel(desktop.services(), preferences);
    audit(*panel.window(), "debug panel",
          {QStringLiteral("debug"),
           {},
           {QStringLiteral("debug.table"), QStringLiteral("debug.details")}});
    ::unsetenv(Parlowen::DiagnosticsAppender::directoryVariable);
}

} // namespace
