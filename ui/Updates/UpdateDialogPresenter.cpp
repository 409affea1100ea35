#include "ui/Updates/UpdateDialogPresenter.h"

#include "ui/Design/LocalizedText.h"
#include "ui/Design/TessalineDesign.h"
#include "ui/Design/TessalineSecondaryButton.h"
#include "ui/Updates/UpdateFoundWindow.h"
#include "ui/Updates/UpdateProgressWindow.h"

#include <QLabel>
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

// A modal alert that calls `answered` with the button pressed, then goes away. Its title stands
// in bold above its message, as the message alone may not say what happened (and no title bar
// may show the window's title); both show as they stand, as the message may quote text from
// elsewhere. The caller adds its buttons (the first is the default) and then opens it: an alert
// opened without any gets an "OK" of Qt's own.
QMessageBox* makeAlert(const QString& identifier, const QString& title, const QString& message,
                       std::function<void(QAbstractButton*)> answered) {
    auto* box = new QMessageBox(QMessageBox::Information, title, title);
    box->setObjectName(identifier);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setInformativeText(message);
    for (auto* label : box->findChildren<QLabel*>()) {
        label->setTextFormat(Qt::PlainText);
    }
    // As wide as a Mac alert: Qt sizes an alert to its title, and a short one squeezes the
    // message into a narrow column.
    box->setStyleSheet(
        QStringLiteral("QLabel#qt_msgbox_label { font-weight: 600; min-width: 320px; }"));
    QObject::connect(box, &QMessageBox::finished, box, [box, answered = std::move(answered)](int) {
        answered(box->clickedButton());
    });
    return box;
}

// Adds a button in the design's style: the primary one for the default answer.
void addButton(QMessageBox& box, const QString& identifier, const QString& title,
               QMessageBox::ButtonRole role) {
    const bool primary = box.buttons().isEmpty();
    auto* button = primary ? new QPushButton(title) : new TessalineSecondaryButton(title);
    button->setObjectName(identifier);
    if (primary) {
        TessalineDesign::stylePrimaryButton(button);
        box.setDefaultButton(button);
    } else {
        TessalineDesign::styleSecondaryButton(button);
    }
    box.addButton(button, role);
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
    addButton(*box, "update.permission.automatic",
              localizedText("updates.permission.automatic", "Check Automatically"),
              QMessageBox::AcceptRole);
    addButton(*box, "update.permission.manual",
              localizedText("updates.permission.manual", "Don't Check"), QMessageBox::RejectRole);
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
    addButton(*box, "update.alert.ok", localizedText("updates.alert.ok", "OK"),
              QMessageBox::AcceptRole);
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
