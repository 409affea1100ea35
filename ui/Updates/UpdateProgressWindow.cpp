#include "ui/Updates/UpdateProgressWindow.h"

#include "Parlowen/Settings/L10n.h"
#include "ui/Design/LocalizedText.h"
#include "ui/Design/TessalineDesign.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace Parlowen {
namespace {

QString bytesText(std::uint64_t bytes) {
    return QLocale::c().formattedDataSize(
        static_cast<qint64>(std::min<std::uint64_t>(bytes, std::numeric_limits<qint64>::max())), 1,
        QLocale::DataSizeSIFormat);
}

// Progress bars count in thousandths, so any length fits in an int.
constexpr int barMaximum = 1000;

int barValue(double fraction) {
    if (!std::isfinite(fraction)) {
        return 0;
    }
    return static_cast<int>(std::lround(std::clamp(fraction, 0.0, 1.0) * barMaximum));
}

} // namespace

UpdateProgressWindow::UpdateProgressWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("update.progress");
    TessalineDesign::installCenteredTitlebarLabel(
        this, localizedText("updates.progress.window_title", "Updating Tessaline"));
    resize(420, 130);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(10);
    status = new QLabel(this);
    status->setObjectName("update.progress.status");
    layout->addWidget(status);
    bar = new QProgressBar(this);
    bar->setObjectName("update.progress.bar");
    bar->setTextVisible(false);
    layout->addWidget(bar);
    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    action = new QPushButton(this);
    action->setObjectName("update.progress.action");
    TessalineDesign::stylePrimaryButton(action);
    buttons->addWidget(action);
    layout->addLayout(buttons);
    connect(action, &QPushButton::clicked, this,
            [this] { answer(update::SPUUserUpdateChoice::install); });
}

QString UpdateProgressWindow::statusText(const update::UpdateProgress& progress) {
    using Phase = update::UpdateProgress::Phase;
    switch (progress.phase) {
    case Phase::checking:
        return localizedText("updates.progress.checking", "Checking for updates...");
    case Phase::downloading:
        if (progress.expectedBytes == 0) {
            return QString::fromStdString(L10n::format(
                L10n::string("updates.progress.downloading_unknown", "Downloading update... %@"),
                {bytesText(progress.receivedBytes).toStdString()}));
        }
        return QString::fromStdString(L10n::format(
            L10n::string("updates.progress.downloading", "Downloading update... %1$@ of %2$@"),
            {bytesText(progress.receivedBytes).toStdString(),
             bytesText(progress.expectedBytes).toStdString()}));
    case Phase::extracting:
        return localizedText("updates.progress.extracting", "Preparing to install...");
    case Phase::installing:
        return localizedText("updates.progress.installing", "Installing update...");
    }
    return {};
}

void UpdateProgressWindow::showProgress(const update::UpdateProgress& progress,
                                        std::function<void()> cancel) {
    using Phase = update::UpdateProgress::Phase;
    readyReply = nullptr;
    cancellation = std::move(cancel);
    status->setText(statusText(progress));
    switch (progress.phase) {
    case Phase::checking:
    case Phase::installing:
        bar->setRange(0, 0); // indeterminate
        break;
    case Phase::downloading:
        bar->setRange(0, progress.expectedBytes == 0 ? 0 : barMaximum);
        if (progress.expectedBytes > 0) {
            bar->setValue(barValue(static_cast<double>(progress.receivedBytes) /
                                   static_cast<double>(progress.expectedBytes)));
        }
        break;
    case Phase::extracting:
        bar->setRange(0, barMaximum);
        bar->setValue(barValue(progress.fraction));
        break;
    }
    action->setText(localizedText("updates.progress.cancel", "Cancel"));
    action->setEnabled(static_cast<bool>(cancellation));
}

void UpdateProgressWindow::showReadyToInstall(
    std::function<void(update::SPUUserUpdateChoice)> reply) {
    cancellation = nullptr;
    readyReply = std::move(reply);
    status->setText(localizedText("updates.progress.ready", "Ready to install"));
    bar->setRange(0, barMaximum);
    bar->setValue(barMaximum);
    action->setText(localizedText("updates.progress.install", "Install and Relaunch"));
    action->setEnabled(true);
}

void UpdateProgressWindow::answer(update::SPUUserUpdateChoice readyChoice) {
    if (readyReply) {
        auto reply = std::move(readyReply);
        readyReply = nullptr;
        reply(readyChoice);
    } else if (cancellation) {
        auto cancel = std::move(cancellation);
        cancellation = nullptr;
        action->setEnabled(false);
        cancel();
    }
}

void UpdateProgressWindow::closeEvent(QCloseEvent* event) {
    answer(update::SPUUserUpdateChoice::dismiss);
    QWidget::closeEvent(event);
}

} // namespace Parlowen
