#include "ui/Desktop/DesktopWindow.h"

#include "platform/EventMonitors.h"
#include "platform/sim/SimAppServices.h"
#include "platform/sim/SimWorkspace.h"
#include "ui/Design/TessalineDesign.h"
#include "ui/Desktop/AccessibilitySettingsWindow.h"
#include "ui/Desktop/DesktopScene.h"
#include "ui/Desktop/SimulatedKeyboard.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>

namespace {
using platform::sim::SimulatedDesktop;

constexpr int menuRoom = 260;
constexpr int stripHeight = 48;
constexpr int narrowestWindow = 900;

QImage imageOf(const platform::NSImage& image) {
    if (image.rgba.size() != static_cast<std::size_t>(image.pixelsWide) *
                                 static_cast<std::size_t>(image.pixelsHigh) * 4 ||
        image.rgba.empty()) {
        return {};
    }
    QImage picture(image.rgba.data(), image.pixelsWide, image.pixelsHigh, image.pixelsWide * 4,
                   QImage::Format_RGBA8888);
    return picture.copy();
}

const platform::sim::DisplayDescription* primaryOf(const SimulatedDesktop::MenuBarState& state) {
    return platform::sim::primaryDisplay(state.displays);
}

// The modifier pairs a person can press, with their left and right key codes.
struct ModifierPair {
    const char* name;
    platform::CGKeyCode left;
    platform::CGKeyCode right;
};
constexpr ModifierPair modifierPairs[] = {
    {"Option + Option", platform::kVK_Option, platform::kVK_RightOption},
    {"Shift + Shift", platform::kVK_Shift, platform::kVK_RightShift},
    {"Command + Command", platform::kVK_Command, platform::kVK_RightCommand},
};
} // namespace

DesktopWindow::DesktopWindow(SimulatedDesktop& desktop, QWidget* parent)
    : QWidget(parent), desktop_(desktop), state_(desktop.menuBarState()),
      keyboard_(new SimulatedKeyboard(desktop.appServices().hotKeys,
                                      desktop.appServices().eventMonitors, this)) {
    setObjectName("desktop.window");
    // This window and the simulated settings stand for the other apps of the Mac.
    keyboard_->standsForOtherApps = [this](const QWidget& window) {
        return &window == this || &window == settings_.get();
    };
    updateTitle();
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, sceneHeight(), 0, 0);
    layout->addWidget(makeControlStrip());
    followBarWidth();
    // The desktop says when its picture changed, also for menus opened by the program's own
    // events; nothing runs while it stays the same.
    desktop_.setChangeHandler([this] { refresh(); });
    settingsObserver_ = desktop_.appServices().workspace.addAccessibilitySettingsObserver(
        [window = QPointer<DesktopWindow>(this)] {
            if (window) {
                window->showAccessibilitySettings();
            }
        });
}

DesktopWindow::~DesktopWindow() {
    desktop_.setChangeHandler(nullptr);
    desktop_.appServices().workspace.removeObserver(settingsObserver_);
}

int DesktopWindow::sceneHeight() const {
    const auto* primary = primaryOf(state_);
    return static_cast<int>(primary ? primary->menuBarHeight : 24) + menuRoom;
}

QWidget* DesktopWindow::makeControlStrip() {
    auto* strip = new QWidget(this);
    strip->setObjectName("desktop.controls");
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(8, 6, 8, 6);

    modifierChoice_ = new QComboBox(strip);
    modifierChoice_->setObjectName("desktop.controls.modifier-pair");
    for (const ModifierPair& pair : modifierPairs) {
        modifierChoice_->addItem(pair.name);
    }
    auto* press = new QPushButton("Press pair", strip);
    press->setObjectName("desktop.controls.press-pair");
    connect(press, &QPushButton::clicked, this, [this] { pressModifierPair(); });

    accessibility_ = new QCheckBox("Accessibility granted", strip);
    accessibility_->setObjectName("desktop.controls.accessibility");
    accessibility_->setChecked(state_.trusted);
    connect(accessibility_, &QCheckBox::toggled, this, [this](bool granted) {
        desktop_.setTrusted(granted);
        refresh();
    });

    auto* reopen = new QPushButton("Open Tessaline again", strip);
    reopen->setObjectName("desktop.controls.reopen");
    connect(reopen, &QPushButton::clicked, this, [this] {
        if (onReopen) {
            onReopen();
        }
    });

    appChoice_ = new QComboBox(strip);
    appChoice_->setObjectName("desktop.controls.app");
    for (const auto& app : desktop_.initialDescription().apps) {
        appChoice_->addItem(QString::fromStdString(app.name.value_or(std::to_string(app.pid))),
                            app.pid);
    }
    auto* launch = new QPushButton("Launch", strip);
    launch->setObjectName("desktop.controls.launch");
    connect(launch, &QPushButton::clicked, this, [this] { launchOrQuit(true); });
    auto* quit = new QPushButton("Quit", strip);
    quit->setObjectName("desktop.controls.quit");
    connect(quit, &QPushButton::clicked, this, [this] { launchOrQuit(false); });

    auto* displays = new QComboBox(strip);
    displays->setObjectName("desktop.controls.displays");
    displays->addItems({"Displays as described", "External display only", "Built-in and external"});
    connect(displays, &QComboBox::activated, this, [this](int choice) { changeDisplays(choice); });

    for (QWidget* control : std::initializer_list<QWidget*>{
             modifierChoice_, press, accessibility_, reopen, appChoice_, launch, quit, displays}) {
        row->addWidget(control);
    }
    row->addStretch(1);
    return strip;
}

void DesktopWindow::pressModifierPair() {
    const ModifierPair& pair = modifierPairs[std::clamp(modifierChoice_->currentIndex(), 0, 2)];
    auto& monitors = desktop_.appServices().eventMonitors;
    monitors.pressModifierKey(pair.left, true);
    monitors.pressModifierKey(pair.right, true);
    monitors.pressModifierKey(pair.right, false);
    monitors.pressModifierKey(pair.left, false);
}

void DesktopWindow::launchOrQuit(bool launch) {
    const pid_t pid = appChoice_->currentData().toInt();
    if (!launch) {
        desktop_.quit(pid);
        refresh();
        return;
    }
    const auto& description = desktop_.initialDescription();
    for (const auto& app : description.apps) {
        if (app.pid != pid) {
            continue;
        }
        std::vector<platform::sim::StatusItemDescription> items;
        for (const auto& item : description.statusItems) {
            if (item.pid == pid) {
                items.push_back(item);
            }
        }
        desktop_.launch(app, items);
    }
    refresh();
}

void DesktopWindow::changeDisplays(int choice) {
    std::vector<platform::sim::DisplayDescription> displays =
        desktop_.initialDescription().displays;
    platform::sim::DisplayDescription external;
    external.id = 0x7000;
    external.name = "External Display";
    external.frame = {{0, 0}, {1920, 1080}};
    if (choice == 1) {
        displays = {external};
    } else if (choice == 2) {
        if (const auto* primary = platform::sim::primaryDisplay(displays)) {
            external.frame.origin.x = primary->frame.size.width;
        }
        displays.push_back(external);
    }
    desktop_.setDisplays(displays);
    refresh();
}

void DesktopWindow::refresh() {
    state_ = desktop_.menuBarState();
    {
        const QSignalBlocker quiet(accessibility_);
        accessibility_->setChecked(state_.trusted);
    }
    if (settings_) {
        settings_->refresh();
    }
    followBarWidth();
    updateTitle();
    // Only the scene shows the desktop; the controls below draw themselves.
    update(0, 0, width(), sceneHeight());
}

void DesktopWindow::followBarWidth() {
    if (auto* box = qobject_cast<QVBoxLayout*>(layout())) {
        box->setContentsMargins(0, sceneHeight(), 0, 0);
    }
    const auto* primary = primaryOf(state_);
    const int barWidth = primary ? static_cast<int>(primary->frame.size.width) : narrowestWindow;
    if (barWidth == followedBarWidth_) {
        return;
    }
    followedBarWidth_ = barWidth;
    int width = std::max(barWidth, narrowestWindow);
    // Wider than the screen, the bar's right end would be out of view: the scene scrolls instead.
    if (const QScreen* screen = this->screen()) {
        width = std::min(width, screen->availableGeometry().width());
    }
    resize(width, sceneHeight() + stripHeight);
}

void DesktopWindow::updateTitle() {
    QString title =
        QString::fromStdString("Simulated desktop: " + desktop_.initialDescription().name);
    const auto open = std::find_if(state_.items.begin(), state_.items.end(),
                                   [](const auto& item) { return item.menuOpen; });
    if (open != state_.items.end()) {
        title += QStringLiteral(", menu of %1 open").arg(DesktopScene::appNameOf(*open));
    }
    setWindowTitle(title);
}

void DesktopWindow::showAccessibilitySettings() {
    if (!settings_) {
        settings_ = std::make_unique<AccessibilitySettingsWindow>(desktop_);
        Parlowen::TessalineDesign::centerOnScreen(settings_.get());
    }
    settings_->refresh();
    settings_->show();
    settings_->raise();
    settings_->activateWindow();
}

void DesktopWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QImage ownImage = ownItemImage ? imageOf(ownItemImage()) : QImage();
    const QString ownTitle = ownItemTitle ? QString::fromStdString(ownItemTitle()) : QString();
    DesktopScene::paint(painter, state_,
                        {static_cast<qreal>(width()), static_cast<qreal>(sceneHeight()),
                         DesktopScene::horizontalOffset(state_, width()), ownImage, ownTitle});
}

bool DesktopWindow::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) {
        return QWidget::event(event);
    }
    const auto& help = static_cast<const QHelpEvent&>(*event);
    const auto* item = DesktopScene::itemAt(state_, desktopPointOf(help.pos()));
    if (item == nullptr) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    QToolTip::showText(help.globalPos(), DesktopScene::appNameOf(*item), this);
    return true;
}

platform::CGPoint DesktopWindow::desktopPointOf(QPointF position) const {
    return {position.x() + DesktopScene::horizontalOffset(state_, width()), position.y()};
}

void DesktopWindow::postMouse(platform::CGEventType type, QPointF position, bool command) {
    auto& events = desktop_.events();
    const auto source = events.createSource(platform::kCGEventSourceStateHIDSystemState);
    if (!source) {
        return;
    }
    auto event = events.createMouseEvent(&*source, type, desktopPointOf(position),
                                         platform::kCGMouseButtonLeft);
    if (!event) {
        return;
    }
    event->flags = command ? platform::kCGEventFlagMaskCommand : 0;
    events.post(platform::kCGHIDEventTap, *event);
}

void DesktopWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || event->position().y() >= sceneHeight()) {
        QWidget::mousePressEvent(event);
        return;
    }
    commandDrag_ = event->modifiers().testFlag(Qt::ControlModifier);
    postMouse(platform::kCGEventLeftMouseDown, event->position(), commandDrag_);
}

void DesktopWindow::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons().testFlag(Qt::LeftButton)) {
        postMouse(platform::kCGEventLeftMouseDragged, event->position(), commandDrag_);
    }
}

void DesktopWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    postMouse(platform::kCGEventLeftMouseUp, event->position(), commandDrag_);
    commandDrag_ = false;
}

void DesktopWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Escape) {
        QWidget::keyPressEvent(event);
        return;
    }
    auto& events = desktop_.events();
    const auto source = events.createSource(platform::kCGEventSourceStateHIDSystemState);
    for (const bool down : {true, false}) {
        if (const auto key = events.createKeyboardEvent(source ? &*source : nullptr,
                                                        platform::kVK_Escape, down)) {
            events.post(platform::kCGHIDEventTap, *key);
        }
    }
}

void DesktopWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted() && onClosed) {
        const auto closed = onClosed;
        closed();
    }
}
