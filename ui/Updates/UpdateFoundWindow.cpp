#include "ui/Updates/UpdateFoundWindow.h"

#include "Parlowen/Settings/L10n.h"
#include "Parlowen/Updates/UpdaterController.h"
#include "ui/Design/LocalizedText.h"
#include "ui/Design/TessalineDesign.h"
#include "ui/Design/TessalineSecondaryButton.h"
#include "ui/Updates/ReleaseNotesView.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace Parlowen {

UpdateFoundWindow::UpdateFoundWindow(const update::SUAppcastItem& item,
                                     update::SPUUserUpdateState state,
                                     const std::string& installedVersion,
                                     std::function<void(update::SPUUserUpdateChoice)> reply,
                                     QWidget* parent)
    : QWidget(parent, Qt::Window), reply(std::move(reply)) {
    setObjectName("update.found");
    TessalineDesign::installCenteredTitlebarLabel(
        this, localizedText("updates.found.window_title", "Software Update"));
    resize(560, 420);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(10);
    auto* title = TessalineDesign::pageTitle(
        localizedText("updates.found.title", "A new version of Tessaline is available!"), this);
    title->setObjectName("update.found.title");
    layout->addWidget(title);

    const auto version = QString::fromStdString(UpdaterController::displayVersion(item));
    const bool downloaded = state.stage != update::SPUUserUpdateStage::notDownloaded;
    const auto message = QString::fromStdString(
        L10n::format(downloaded ? L10n::string("updates.found.message_downloaded",
                                               "Tessaline %1$@ is ready to install. You have "
                                               "%2$@.")
                                : L10n::string("updates.found.message",
                                               "Tessaline %1$@ is now available. You have "
                                               "%2$@. Would you like to install it now?"),
                     {version.toStdString(), installedVersion}));
    auto* messageLabel = new QLabel(message, this);
    messageLabel->setObjectName("update.found.message");
    messageLabel->setWordWrap(true);
    layout->addWidget(messageLabel);
    if (item.isCriticalUpdate) {
        auto* critical =
            new QLabel(localizedText("updates.found.critical",
                                     "This is an important update that fixes problems."),
                       this);
        critical->setObjectName("update.found.critical");
        critical->setWordWrap(true);
        layout->addWidget(critical);
    }

    releaseNotes = new ReleaseNotesView(this);
    releaseNotes->setObjectName("update.found.releaseNotes");
    // The frame turns blue while the notes have the keyboard focus (they scroll by keys); the
    // padding keeps the text in place as the border widens.
    releaseNotes->setStyleSheet(
        QStringLiteral("QTextBrowser { background: white; border: 1px solid %1; padding: 1px; }"
                       " QTextBrowser:focus { border: 2px solid %2; padding: 0; }")
            .arg(TessalineDesign::Palette::line().name(), TessalineDesign::Palette::blue().name()));
    releaseNotes->setVisible(item.releaseNotesURL.has_value());
    releaseNotes->setPlainText(
        localizedText("updates.found.notes_loading", "Loading release notes..."));
    layout->addWidget(releaseNotes, 1);

    auto* buttons = new QHBoxLayout();
    auto* skip = new TessalineSecondaryButton(
        localizedText("updates.found.skip", "Skip This Version"), this);
    skip->setObjectName("update.found.skip");
    TessalineDesign::styleSecondaryButton(skip);
    auto* later =
        new TessalineSecondaryButton(localizedText("updates.found.later", "Remind Me Later"), this);
    later->setObjectName("update.found.later");
    TessalineDesign::styleSecondaryButton(later);
    auto* install = new QPushButton(localizedText("updates.found.install", "Install Update"), this);
    install->setObjectName("update.found.install");
    TessalineDesign::stylePrimaryButton(install);
    install->setDefault(true);
    buttons->addWidget(skip);
    buttons->addStretch(1);
    buttons->addWidget(later);
    buttons->addWidget(install);
    layout->addLayout(buttons);
    // Without notes the window is as high as its texts and buttons, not an empty frame.
    if (!item.releaseNotesURL) {
        resize(width(), layout->totalHeightForWidth(width()));
    }

    connect(skip, &QPushButton::clicked, this,
            [this] { answer(update::SPUUserUpdateChoice::skip); });
    connect(later, &QPushButton::clicked, this,
            [this] { answer(update::SPUUserUpdateChoice::dismiss); });
    connect(install, &QPushButton::clicked, this,
            [this] { answer(update::SPUUserUpdateChoice::install); });
}

void UpdateFoundWindow::showReleaseNotes(const std::optional<update::ReleaseNotes>& notes) {
    if (!notes) {
        releaseNotes->setPlainText(localizedText("updates.found.notes_unavailable",
                                                 "The release notes could not be loaded."));
        return;
    }
    releaseNotes->showNotes(*notes);
}

void UpdateFoundWindow::closeEvent(QCloseEvent* event) {
    answer(update::SPUUserUpdateChoice::dismiss);
    QWidget::closeEvent(event);
}

void UpdateFoundWindow::answer(update::SPUUserUpdateChoice choice) {
    if (!reply) {
        return;
    }
    // The reply may start the next step, which may replace this window: answer last.
    auto pending = std::move(reply);
    reply = nullptr;
    hide();
    pending(choice);
}

} // namespace Parlowen
