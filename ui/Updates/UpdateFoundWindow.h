#pragma once

#include "update/SPUUserDriver.h"

#include <QWidget>

#include <functional>
#include <optional>
#include <string>

namespace Parlowen {

class ReleaseNotesView;

// "A new version is available": the versions, a note for critical updates, the release notes
// and the three answers. Closing the window answers "later" (dismiss). The answer is given once.
class UpdateFoundWindow : public QWidget {
    Q_OBJECT

public:
    UpdateFoundWindow(const update::SUAppcastItem& item, update::SPUUserUpdateState state,
                      const std::string& installedVersion,
                      std::function<void(update::SPUUserUpdateChoice)> reply,
                      QWidget* parent = nullptr);

    // Shows the release notes as read; none says they could not be loaded.
    void showReleaseNotes(const std::optional<update::ReleaseNotes>& notes);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void answer(update::SPUUserUpdateChoice choice);

    std::function<void(update::SPUUserUpdateChoice)> reply;
    ReleaseNotesView* releaseNotes = nullptr;
};

} // namespace Parlowen
