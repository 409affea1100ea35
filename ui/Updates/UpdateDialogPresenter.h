#pragma once

#include "update/UpdateAlertPresenter.h"

#include <QPointer>

#include <vector>

class QMessageBox;

namespace Parlowen {

class UpdateFoundWindow;
class UpdateProgressWindow;

// The update windows of the standard user driver: the update-found window, one status window,
// and modal alerts opened with open() (never exec(), so nothing nests an event loop). Windows
// that are replaced or answered are released later, never inside their own handlers.
class UpdateDialogPresenter final : public update::UpdateAlertPresenter {
public:
    UpdateDialogPresenter() = default;
    ~UpdateDialogPresenter() override;

    void presentPermissionRequest(
        std::function<void(update::SUUpdatePermissionResponse)> reply) override;
    void presentUpdateFound(const update::SUAppcastItem& item, update::SPUUserUpdateState state,
                            const std::string& installedVersion,
                            std::function<void(update::SPUUserUpdateChoice)> reply) override;
    void presentReleaseNotes(const std::optional<update::ReleaseNotes>& notes) override;
    void presentProgress(const update::UpdateProgress& progress,
                         std::function<void()> cancellation) override;
    void presentReadyToInstall(std::function<void(update::SPUUserUpdateChoice)> reply) override;
    void presentAlert(const update::UpdateAlert& alert,
                      std::function<void()> acknowledgement) override;
    void dismiss() override;

    // The windows shown now (null when none), for tests and the visual snapshot mode.
    UpdateFoundWindow* updateFoundWindow() const { return found; }
    UpdateProgressWindow* progressWindow() const { return progress; }
    // The newest alert still open.
    QMessageBox* alertBox() const;

private:
    UpdateProgressWindow& progressWindowShown();
    // Remembers an open alert, forgetting those already closed.
    void keep(QMessageBox* box);

    QPointer<UpdateFoundWindow> found;
    QPointer<UpdateProgressWindow> progress;
    // Every alert answers for itself, so a new one never drops an older one's answer.
    std::vector<QPointer<QMessageBox>> alerts;
};

} // namespace Parlowen
