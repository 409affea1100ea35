#include "ui/Updates/UpdateDialogPresenter.h"

#include "ui/Design/LocalizedText.h"
#include "ui/Updates/UpdateFoundWindow.h"
#include "ui/Updates/UpdateProgressWindow.h"

#include <QMessageBox>
#include <QPushButton>

namespace Parlowen {
namespace {

// Hides the window and lets it go at the next turn of the event loop (it may be running one
// of its own handlers now); the presenter forgets it at once.
template <typename Window> void release(QPointer<Window>& window) {
    if (window) {
        window->hide();
        window->deleteLater();
    }
    window.clear();
}

// A modal alert that calls `answered` with the button pressed, then goes away. The caller adds
// its buttons before it opens it (an alert opened without any gets an "OK" of its own).
QMessageBox* makeAlert(const QString& identifier, const QString& title, const QString& message,
                       std::function<void(QAbstractButton*)> answered) {
    auto* box = new QMessageBox(QMessageBox::Information, title, message);
    box->setObjectName(identifier);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(box, &QMessageBox::finished, box, [box, answered = std::move(answered)](int) {
        answered(box->clickedButton());
    });
    return box;
}

} // namespace

UpdateDialogPresenter::~UpdateDialogPresenter() {
    release(found);
    release(progress);
    for (auto& box : alerts) {
        release(box);
    }
}

QMessageBox* UpdateDialogPresenter::alertBox() const {
    for (auto box = alerts.rbegin(); box != alerts.rend(); ++box) {
        if (*box && (*box)->isVisible()) {
            return *box;
        }
    }
    return nullptr;
}

void UpdateDialogPresenter::presentPermissionRequest(
    std::function<void(update::SUUpdatePermissionResponse)> reply) {
    auto* box = makeAlert(
        "update.permission",
        localizedText("updates.permission.title", "Check for updates automatically?"),
        localizedText(
            "updates.permission.message",
            "Should Tessaline check for updates automatically? You can always check from the "
            "General preferences."),
        [reply = std::move(reply)](QAbstractButton* clicked) {
            const bool automatic =
                clicked && clicked->objectName() == "update.permission.automatic";
            reply({.automaticUpdateChecks = automatic,
                   .automaticUpdateDownloading = false,
                   .sendSystemProfile = false});
        });
    auto* automatic =
        box->addButton(localizedText("updates.permission.automatic", "Check Automatically"),
                       QMessageBox::AcceptRole);
    automatic->setObjectName("update.permission.automatic");
    auto* manual = box->addButton(localizedText("updates.permission.manual", "Don't Check"),
                                  QMessageBox::RejectRole);
    manual->setObjectName("update.permission.manual");
    box->setDefaultButton(automatic);
    box->open();
    keep(box);
}

void UpdateDialogPresenter::presentUpdateFound(
    const update::SUAppcastItem& item, update::SPUUserUpdateState state,
    const std::string& installedVersion, std::function<void(update::SPUUserUpdateChoice)> reply) {
    release(progress);
    release(found);
    found = new UpdateFoundWindow(item, state, installedVersion, std::move(reply));
    found->setAttribute(Qt::WA_DeleteOnClose);
    found->show();
    found->raise();
    found->activateWindow();
}

void UpdateDialogPresenter::presentReleaseNotes(const std::optional<update::ReleaseNotes>& notes) {
    if (found) {
        found->showReleaseNotes(notes);
    }
}

UpdateProgressWindow& UpdateDialogPresenter::progressWindowShown() {
    if (!progress) {
        progress = new UpdateProgressWindow();
        progress->setAttribute(Qt::WA_DeleteOnClose);
    }
    progress->show();
    progress->raise();
    return *progress;
}

void UpdateDialogPresenter::presentProgress(const update::UpdateProgress& shown,
                                            std::function<void()> cancellation) {
    progressWindowShown().showProgress(shown, std::move(cancellation));
}

void UpdateDialogPresenter::presentReadyToInstall(
    std::function<void(update::SPUUserUpdateChoice)> reply) {
    progressWindowShown().showReadyToInstall(std::move(reply));
}

void UpdateDialogPresenter::presentAlert(const update::UpdateAlert& shown,
                                         std::function<void()> acknowledgement) {
    auto* box = makeAlert(
        "update.alert", QString::fromStdString(shown.title), QString::fromStdString(shown.message),
        [acknowledgement = std::move(acknowledgement)](QAbstractButton*) { acknowledgement(); });
    box->open();
    keep(box);
}

void UpdateDialogPresenter::keep(QMessageBox* box) {
    std::erase_if(alerts, [](const QPointer<QMessageBox>& open) { return open.isNull(); });
    alerts.emplace_back(box);
}

void UpdateDialogPresenter::dismiss() {
    release(found);
    release(progress);
}

} // namespace Parlowen
