#include "ui/Updates/UpdateDialogPresenter.h"
#include "ui/Updates/UpdateFoundWindow.h"
#include "ui/Updates/UpdateProgressWindow.h"

#include "tests/support/UiTestApplication.h"
#include "tests/update/SampleRelease.h"
#include "update/UpdateCycle.h"

#include <QAbstractButton>
#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
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

std::string repeated(std::string_view text, int times) {
    std::string result;
    for (int time = 0; time < times; ++time) {
        result += text;
    }
    return result;
}

// The lines of the view's blocks, line separators as "\n".
std::vector<std::string> shownLines(QTextBrowser& view) {
    std::vector<std::string> lines;
    for (auto block = view.document()->begin(); block.isValid(); block = block.next()) {
        lines.push_back(block.text().replace(QChar::LineSeparator, '\n').toStdString());
    }
    return lines;
}

// Takes the addresses of one scheme in place of the desktop's handler, so nothing is launched.
class LinkCatcher : public QObject {
    Q_OBJECT
public:
    std::vector<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened.push_back(url); }
};

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

// Lists are lines with their markers, numbers counting on through an item's nested lists; a
// separator that would end a block breaks the line within the item.
TEST_F(UpdateDialogsTest, ListsShowAsLinesWithMarkers) {
    struct Row {
        const char* name;
        std::string notes;
        std::vector<std::string> lines;
    };
    const Row rows[] = {
        {"numbers count on",
         "<ol><li>a<li>b<ul><li>c</ul><li>d</ol><ol><li>e</ol>",
         {"1.\u00A0a", "2.\u00A0b", "\u25E6\u00A0c", "3.\u00A0d", "1.\u00A0e"}},
        {"paragraph and frame separators", "<ul><li>a\u2029b\uFDD0c\uFDD1d", {"•\u00A0a\nb\nc\nd"}},
        {"5,000 paragraph separators",
         "<ul><li>a" + repeated("\u2029", 5000) + "b",
         {"•\u00A0a" + std::string(5000, '\n') + "b"}},
    };
    UpdateFoundWindow window(sampleRelease(false, true), {}, "1.0", [](Choice) {});
    auto* view = child<QTextBrowser>(window, "update.found.releaseNotes");
    for (const auto& row : rows) {
        window.showReleaseNotes(update::ReleaseNotes::read(row.notes));
        EXPECT_EQ(shownLines(*view), row.lines) << row.name;
    }

    // As many items as the notes hold, each a line of its own number.
    window.showReleaseNotes(update::ReleaseNotes::read("<ol>" + repeated("<li>x", 6000)));
    const auto lines = shownLines(*view);
    ASSERT_GT(lines.size(), 500u);
    EXPECT_EQ(lines.back(), "…");
    for (std::size_t item = 0; item + 1 < lines.size(); ++item) {
        ASSERT_EQ(lines[item], std::to_string(item + 1) + ".\u00A0x");
    }
}

// However many marks a letter carries, the notes show no more than 30 in a row: a combining
// grapheme joiner goes before the 31st, also where the marks go on in another style.
TEST_F(UpdateDialogsTest, ReleaseNotesShowInStreamSafeForm) {
    const std::string kasra = "\u0650";
    const std::string joiner = "\u034F";
    struct Row {
        const char* name;
        std::string notes;
        std::string line;
    };
    const Row rows[] = {
        {"30 marks", "<p>a" + repeated(kasra, 30), "a" + repeated(kasra, 30)},
        {"31 marks", "<p>a" + repeated(kasra, 31), "a" + repeated(kasra, 30) + joiner + kasra},
        {"marks across styles and links",
         "<h2>a" + repeated(kasra, 20) + "<b>" + repeated(kasra, 5) +
             "<a href=\"https://example.test/\">" + repeated(kasra, 6),
         "a" + repeated(kasra, 30) + joiner + kasra},
        {"10,000 marks", "<p>a" + repeated(kasra, 10000),
         "a" + repeated(repeated(kasra, 30) + joiner, 333) + repeated(kasra, 10)},
    };
    UpdateFoundWindow window(sampleRelease(false, true), {}, "1.0", [](Choice) {});
    auto* view = child<QTextBrowser>(window, "update.found.releaseNotes");
    for (const auto& row : rows) {
        window.showReleaseNotes(update::ReleaseNotes::read(row.notes));
        EXPECT_EQ(shownLines(*view), std::vector<std::string>{row.line}) << row.name;
    }
}

// A link goes out to the desktop's handler; the view never follows it, so the notes stay.
TEST_F(UpdateDialogsTest, ClickingALinkOpensItAndKeepsTheNotes) {
    UpdateFoundWindow window(sampleRelease(false, true), {}, "1.0", [](Choice) {});
    window.show();
    window.showReleaseNotes(
        update::ReleaseNotes::read("<p>See <a href=\"https://example.test/notes\">the notes</a>."));
    auto* view = child<QTextBrowser>(window, "update.found.releaseNotes");
    const auto shown = view->toPlainText();
    QTextCursor inLink(view->document());
    inLink.setPosition(static_cast<int>(shown.indexOf("notes")));
    const QPointF at = view->cursorRect(inLink).center();

    LinkCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "open");
    for (const auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent click(type, at, view->viewport()->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(view->viewport(), &click);
    }
    QDesktopServices::unsetUrlHandler("https");

    EXPECT_EQ(catcher.opened, std::vector<QUrl>{QUrl("https://example.test/notes")});
    EXPECT_EQ(view->toPlainText(), shown);
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

#include "UpdateDialogsTest.moc"
