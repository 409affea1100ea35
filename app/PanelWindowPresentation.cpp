#include "app/PanelWindowPresentation.h"

#include "platform/Workspace.h"
#include "ui/QuickOpenPanel/OverflowPanelController.h"
#include "ui/QuickOpenPanel/OverflowPanelView.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QVBoxLayout>

namespace Parlowen {

// Tells the presentation when the window manager or the hub closes it.
class PanelWindowPresentation::Window final : public QWidget {
public:
    explicit Window(std::function<void()> closed) : closed_(std::move(closed)) {
        setObjectName("panel.window");
        setWindowTitle("Tessaline");
        setFixedSize(PanelWindowPresentation::width, PanelWindowPresentation::height);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
    }

protected:
    void closeEvent(QCloseEvent* event) override {
        QWidget::closeEvent(event);
        if (event->isAccepted() && closed_) {
            // A copy: the handler may drop the presentation.
            const auto closed = closed_;
            closed();
        }
    }

private:
    std::function<void()> closed_;
};

PanelWindowPresentation::PanelWindowPresentation(OverflowPanelController& panel,
                                                 platform::Workspace& workspace)
    : panel_(panel), workspace_(workspace) {}

PanelWindowPresentation::~PanelWindowPresentation() {
    if (window_) {
        // The panel's view belongs to the panel controller, not to this window.
        panel_.view().setParent(nullptr);
        delete window_.data();
    }
}

void PanelWindowPresentation::present() {
    workspace_.setActivationPolicy(platform::NSApplicationActivationPolicyRegular);
    if (!window_) {
        auto* window = new Window([this] {
            if (onClosed) {
                const auto closed = onClosed;
                closed();
            }
        });
        window->layout()->addWidget(&panel_.view());
        window_ = window;
    }
    panel_.applyGateToUI();
    if (!window_->isVisible()) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            window_->move(area.center() - QPoint(width / 2, height / 2));
        }
        window_->show();
    }
    window_->raise();
    window_->activateWindow();
    panel_.view().searchField->setFocus(Qt::ActiveWindowFocusReason);
    workspace_.activateIgnoringOtherApps(true);
    if (panel_.onRequestRefresh) {
        const auto refresh = panel_.onRequestRefresh;
        refresh();
    }
}

void PanelWindowPresentation::close() {
    if (window_ && window_->isVisible()) {
        window_->close();
    }
}

bool PanelWindowPresentation::isVisible() const {
    return window_ && window_->isVisible();
}

} // namespace Parlowen
