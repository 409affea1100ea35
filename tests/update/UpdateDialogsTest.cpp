#include "ui/Updates/UpdateDialogPresenter.h"
#include "ui/Updates/UpdateFoundWindow.h"
#include "ui/Updates/UpdateProgressWindow.h"

#include "tests/support/UiTestApplication.h"
#include "tests/update/SampleRelease.h"
#include "update/UpdateCycle.h"

#include <QAbstractButton>
#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextFrame>
#include <QTextLayout>

#include <gtest/gtest.h>

namespace {

using Choice = update::SPUUserUpdateChoice;
using Phase = update::UpdateProgress::Phase;
using Parlowen::UpdateDialogPresenter;
using Parlowen::UpdateFoundWindow;
using Parlowen::UpdateProgressWindow;

template <typename Widget> Widget* child(QWidget& window, const char* name) {
    auto* found = window.findChild<Widget*>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
}

class UpdateDialogsTest : public testing::Test {
protected:
    void SetUp() override { tessaline::testing::uiTestApplication(); }
    void TearDown() override {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

TEST_F(UpdateDialogsTest, UpdateFoundAnswersOnceWithTheButtonPressed) {
    struct Row {
        const char* button;
        Choice choice;
    };
    for (const auto& row :
         {Row{"update.found.install", Choice::install}, Row{"update.found.later", Choice::dismiss},
          Row{"update.found.skip", Choice::skip}}) {
        std::vector<Choice> answers;
        UpdateFoundWindow window(sampleRelease(false, false), {}, "1.0",
                                 [&](Choice choice) { answers.push_back(choice); });
        window.show();
        child<QPushButton>(window, row.button)->click();
        window.close();
        EXPECT_EQ(answers, std::vector<Choice>{row.choice}) << row.button;
    }
}

TEST_F(UpdateDialogsTest, ClosingTheUpdateFoundWindowMeansLater) {
    std::vector<Choice> answers;
    UpdateFoundWindow window(sampleRelease(false, false), {}, "1.0",
                             [&](Choice choice) { answers.push_back(choice); });
    window.show();
    window.close();
    EXPECT_EQ(answers, std::vector<Choice>{Choice::dismiss});
}

TEST_F(UpdateDialogsTest, UpdateFoundShowsVersionsCriticalNoteAndReleaseNotes) {
    UpdateFoundWindow window(sampleRelease(true, true), {}, "1.0", [](Choice) {});
    EXPECT_EQ(child<QLabel>(window, "update.found.message")->text(),
              "Tessaline 2.0 is now available. You have 1.0. Would you like to install it now?");
    EXPECT_NE(window.findChild<QLabel*>("update.found.critical"), nullptr);
    auto* notes = child<QTextBrowser>(window, "update.found.releaseNotes");

    window.showReleaseNotes(
        update::ReleaseNotes::read("<h1>New</h1><p>Faster <img src=\"file:///etc/passwd\"></p>"));
    EXPECT_TRUE(notes->toPlainText().contains("Faster"));
    window.showReleaseNotes(std::nullopt);
    EXPECT_EQ(notes->toPlainText(), "The release notes could not be loaded.");

    UpdateFoundWindow plain(sampleRelease(false, false), {}, "1.0", [](Choice) {});
    EXPECT_EQ(plain.findChild<QLabel*>("update.found.critical"), nullptr);
}

// Notes nested far beyond what a rich-text view lays out in time, or smuggling markup past the
// escaping of their text, show as their text: no table, image or link comes out of them. Notes
// nested deeper than the parser follows end where it stopped.
TEST_F(UpdateDialogsTest, HostileReleaseNotesShowAsTheirText) {
    const auto nested = [](std::string_view open, std::string_view close, int depth) {
        std::string notes;
        for (int level = 0; level < depth; ++level) {
            notes += open;
        }
        notes += "Faster scans.";
        for (int level = 0; level < depth; ++level) {
            notes += close;
        }
        return notes;
    };
    // A tag hidden behind bytes of 0xC0 and escaped brackets, and the text it must show as.
    const auto smuggled = [](std::string_view tag) {
        return "\xC0&lt;" + std::string(tag) + "\xC0&gt;";
    };
    const auto shown = [](std::string_view tag) {
        return "\uFFFD<" + std::string(tag) + "\uFFFD>";
    };
    struct Row {
        const char* name;
        std::string notes;
        std::string text;
    };
    const Row rows[] = {
        {"25 nested tables", nested("<table><tr><td>", "</td></tr></table>", 25), "Faster scans."},
        {"10,000 nested tables", nested("<table><tr><td>", "</td></tr></table>", 10000), "…"},
        {"10,000 nested lists", nested("<ul><li>", "</li></ul>", 10000), "…"},
        {"smuggled nested tables",
         "<p>" + nested(smuggled("table") + smuggled("tr") + smuggled("td"), smuggled("/table"), 3),
         nested(shown("table") + shown("tr") + shown("td"), shown("/table"), 3)},
        {"a smuggled image, style and link",
         "<p>" + smuggled("img src=\"file:///etc/passwd\"") + smuggled("style") + "p{}" +
             smuggled("a href=\"javascript:alert(1)\"") + "run",
         shown("img src=\"file:///etc/passwd\"") + shown("style") + "p{}" +
             shown("a href=\"javascript:alert(1)\"") + "run"},
    };
    UpdateFoundWindow window(sampleRelease(false, true), {}, "1.0", [](Choice) {});
    auto* view = child<QTextBrowser>(window, "update.found.releaseNotes");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        window.showReleaseNotes(update::ReleaseNotes::read(row.notes));
        view->document()->documentLayout()->documentSize();

        EXPECT_EQ(view->toPlainText().trimmed().toStdString(), row.text);
        EXPECT_TRUE(view->document()->rootFrame()->childFrames().isEmpty());
        for (auto block = view->document()->begin(); block.isValid(); block = block.next()) {
            for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
                EXPECT_FALSE(fragment.fragment().charFormat().isImageFormat());
                EXPECT_FALSE(fragment.fragment().charFormat().isAnchor());
            }
        }
    }
}

// The longest word the notes may hold breaks into lines as wide as the view, preformatted too.
TEST_F(UpdateDialogsTest, LongWordsOfReleaseNotesBreakAnywhere) {
    const std::string word(update::UpdateCycle::maxReleaseNotesBytes, 'x');
    UpdateFoundWindow window(sampleRelease(false, true), {}, "1.0", [](Choice) {});
    window.show();
    auto* view = child<QTextBrowser>(window, "update.found.releaseNotes");
    for (const auto& notes : {word, "<pre>" + word}) {
        SCOPED_TRACE(notes.substr(0, 6));
        window.showReleaseNotes(update::ReleaseNotes::read(notes));
        const auto size = view->document()->documentLayout()->documentSize();

        EXPECT_LE(size.width(), view->viewport()->width());
        EXPECT_GT(view->document()->firstBlock().layout()->lineCount(), 100);
    }
}

TEST_F(UpdateDialogsTest, ProgressTexts) {
    struct Row {
        update::UpdateProgress progress;
        const char* text;
    };
    const Row rows[] = {
        {{Phase::checking, 0, 0, 0}, "Checking for updates..."},
        {{Phase::downloading, 1500, 3000000, 0}, "Downloading update... 1.5 kB of 3.0 MB"},
        {{Phase::downloading, 1500, 0, 0}, "Downloading update... 1.5 kB"},
        {{Phase::extracting, 0, 0, 0.5}, "Preparing to install..."},
        {{Phase::installing, 0, 0, 0}, "Installing update..."},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(UpdateProgressWindow::statusText(row.progress), row.text);
    }
}

TEST_F(UpdateDialogsTest, ProgressCancelsOnceThenOffersTheInstall) {
    UpdateProgressWindow window;
    int cancels = 0;
    window.showProgress({Phase::downloading, 500, 1000, 0}, [&] { ++cancels; });
    auto* bar = child<QProgressBar>(window, "update.progress.bar");
    auto* action = child<QPushButton>(window, "update.progress.action");
    EXPECT_EQ(bar->value() * 2, bar->maximum());
    action->click();
    action->click();
    EXPECT_EQ(cancels, 1);
    EXPECT_FALSE(action->isEnabled());

    window.showProgress({Phase::extracting, 0, 0, std::nan("")}, nullptr);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_FALSE(action->isEnabled());

    std::vector<Choice> answers;
    window.showReadyToInstall([&](Choice choice) { answers.push_back(choice); });
    EXPECT_TRUE(action->isEnabled());
    EXPECT_EQ(action->text(), "Install and Relaunch");
    action->click();
    window.close();
    EXPECT_EQ(answers, std::vector<Choice>{Choice::install});
}

TEST_F(UpdateDialogsTest, ClosingAReadyUpdateMeansLater) {
    UpdateProgressWindow window;
    std::vector<Choice> answers;
    window.show();
    window.showReadyToInstall([&](Choice choice) { answers.push_back(choice); });
    window.close();
    EXPECT_EQ(answers, std::vector<Choice>{Choice::dismiss});
}

TEST_F(UpdateDialogsTest, AlertsAndPermissionAnswerThroughTheirButtons) {
    UpdateDialogPresenter presenter;
    int acknowledged = 0;
    presenter.presentAlert({"Update Error!", "The archive <b>is</b> damaged."},
                           [&] { ++acknowledged; });
    std::optional<update::SUUpdatePermissionResponse> response;
    presenter.presentPermissionRequest([&](auto answer) { response = answer; });

    auto* permission = presenter.alertBox();
    ASSERT_NE(permission, nullptr);
    EXPECT_EQ(permission->objectName(), "update.permission");
    EXPECT_EQ(permission->buttons().size(), 2);
    // As on a Mac, the default answer stands at the right end.
    EXPECT_GT(child<QAbstractButton>(*permission, "update.permission.automatic")->x(),
              child<QAbstractButton>(*permission, "update.permission.manual")->x());
    child<QAbstractButton>(*permission, "update.permission.automatic")->click();
    ASSERT_TRUE(response.has_value());
    EXPECT_TRUE(response->automaticUpdateChecks);
    EXPECT_FALSE(response->automaticUpdateDownloading);

    auto* alert = presenter.alertBox();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->objectName(), "update.alert");
    EXPECT_EQ(alert->text(), "Update Error!");
    EXPECT_EQ(alert->informativeText(), "The archive <b>is</b> damaged.");
    for (auto* label : alert->findChildren<QLabel*>()) {
        if (!label->text().isEmpty()) {
            EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
        }
    }
    ASSERT_EQ(alert->buttons().size(), 1);
    alert->buttons().front()->click();
    EXPECT_EQ(acknowledged, 1);
    EXPECT_EQ(presenter.alertBox(), nullptr);
}

TEST_F(UpdateDialogsTest, PresenterReplacesTheStatusWindowWithTheUpdateAndDismisses) {
    UpdateDialogPresenter presenter;
    presenter.presentProgress({Phase::checking, 0, 0, 0}, [] {});
    ASSERT_NE(presenter.progressWindow(), nullptr);
    EXPECT_TRUE(presenter.progressWindow()->isVisible());

    presenter.presentUpdateFound(sampleRelease(false, true), {}, "1.0", [](Choice) {});
    presenter.presentReleaseNotes(update::ReleaseNotes::read("Faster scans."));
    EXPECT_EQ(presenter.progressWindow(), nullptr);
    ASSERT_NE(presenter.updateFoundWindow(), nullptr);
    EXPECT_EQ(child<QTextBrowser>(*presenter.updateFoundWindow(), "update.found.releaseNotes")
                  ->toPlainText(),
              "Faster scans.");

    presenter.dismiss();
    EXPECT_EQ(presenter.updateFoundWindow(), nullptr);
}

} // namespace
