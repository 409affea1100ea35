#pragma once

#include "update/UpdateAlertPresenter.h"

#include <QWidget>

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace Parlowen {

// The status window of an update: checking, downloading (bytes of the announced length),
// extracting, ready to install, installing. Its button cancels where the step can be cancelled
// or installs once the update is ready; closing the window cancels, or answers "later" when
// the update is ready.
class UpdateProgressWindow : public QWidget {
    Q_OBJECT

public:
    explicit UpdateProgressWindow(QWidget* parent = nullptr);

    // Shows a step; `cancellation` empty leaves nothing to cancel.
    void showProgress(const update::UpdateProgress& progress, std::function<void()> cancellation);
    // Offers to install now; the answer is given once.
    void showReadyToInstall(std::function<void(update::SPUUserUpdateChoice)> reply);

    // The status line as shown, for the size texts ("1.2 MB of 3.4 MB").
    static QString statusText(const update::UpdateProgress& progress);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The button or the window's closing: answers a ready update with `readyChoice`, else
    // cancels what can be cancelled; once.
    void answer(update::SPUUserUpdateChoice readyChoice);

    QLabel* status = nullptr;
    QProgressBar* bar = nullptr;
    QPushButton* action = nullptr;
    std::function<void()> cancellation;
    std::function<void(update::SPUUserUpdateChoice)> readyReply;
};

} // namespace Parlowen
