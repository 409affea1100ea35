#include "ui/Desktop/DesktopWindow.h"

#include "platform/EventMonitors.h"
#include "platform/sim/SimAppServices.h"
#include "ui/Design/TessalineFonts.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {
using platform::sim::SimulatedDesktop;
using Placement = platform::sim::StatusBarLayout::Placement;

constexpr int menuRoom = 260;
constexpr int narrowestWindow = 900;

QRectF qrect(const platform::CGRect& rect) {
    return QRectF(rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
}

// What a status item shows: its title or description, else the desktop's name for it.
QString labelOf(const platform::sim::StatusItemDescription& item) {
    for (const char* key : {"AXTitle", "AXDescription"}) {
        const auto found = item.attributes.find(key);
        if (found != item.attributes.end()) {
            if (const auto text = found->second.string();
                text && !text->empty() && *text != "missing value") {
                return QString::fromStdString(*text);
            }
        }
    }
    return QString::fromStdString(item.id);
}

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
    : QWidget(parent), desktop_(desktop) {
    setObjectName("desktop.window");
    updateTitle();
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, sceneHeight(), 0, 0);
    layout->addWidget(makeControlStrip());
    const auto state = desktop_.menuBarState();
    const auto* primary = primaryOf(state);
    const int width = primary ? static_cast<int>(primary->frame.size.width) : narrowestWindow;
    resize(std::max(width, narrowestWindow), sceneHeight() + 48);
    // The desktop says when its picture changed, also for menus opened by the program's own
    // events; nothing runs while it stays the same.
    desktop_.setChangeHandler([this] { refresh(); });
}

DesktopWindow::~DesktopWindow() {
    desktop_.setChangeHandler(nullptr);
}

int DesktopWindow::sceneHeight() const {
    const auto state = desktop_.menuBarState();
    const auto* primary = primaryOf(state);
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
    accessibility_->setChecked(desktop_.menuBarState().trusted);
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
    updateTitle();
    // Only the scene shows the desktop; the controls below draw themselves.
    update(0, 0, width(), sceneHeight());
}

void DesktopWindow::updateTitle() {
    QString title =
        QString::fromStdString("Simulated desktop: " + desktop_.initialDescription().name);
    const auto state = desktop_.menuBarState();
    const auto open = std::find_if(state.items.begin(), state.items.end(),
                                   [](const auto& item) { return item.menuOpen; });
    if (open != state.items.end()) {
        title += QStringLiteral(", menu of %1 open").arg(labelOf(open->description));
    }
    setWindowTitle(title);
}

void DesktopWindow::paintEvent(QPaintEvent*) {
    const auto state = desktop_.menuBarState();
    const auto* primary = primaryOf(state);
    const qreal barHeight = primary ? primary->menuBarHeight : 24;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillRect(QRectF(0, 0, width(), sceneHeight()), QColor(0x5b, 0x7d, 0xa8));
    const qreal barWidth = primary ? primary->frame.size.width : width();
    painter.fillRect(QRectF(0, 0, barWidth, barHeight), QColor(0xf2, 0xf2, 0xf2, 0xee));

    // The status items, then the notch over them.
    for (const auto& item : state.items) {
        const QRectF frame = qrect(item.axFrame);
        if (item.ownItem) {
            painter.fillRect(frame.adjusted(1, 2, -1, -2), QColor(0, 0, 0, 24));
            const QImage icon = ownItemImage ? imageOf(ownItemImage()) : QImage();
            qreal x = frame.left() + 4;
            if (!icon.isNull()) {
                painter.drawImage(QRectF(x, frame.center().y() - 9, 18, 18), icon);
                x += 18;
            }
            const QString title = ownItemTitle ? QString::fromStdString(ownItemTitle()) : QString();
            painter.drawText(QRectF(x, frame.top(), frame.right() - x, frame.height()),
                             Qt::AlignVCenter | Qt::AlignLeft, title);
            continue;
        }
        if (item.menuOpen) {
            painter.fillRect(frame.adjusted(1, 2, -1, -2), QColor(0, 0, 0, 40));
        }
        const QString label = painter.fontMetrics().elidedText(
            labelOf(item.description), Qt::ElideRight, static_cast<int>(frame.width()) - 6);
        painter.drawText(frame, Qt::AlignCenter, label);
    }
    // The frontmost app's menus from the left, over any status item pushed that far.
    painter.setPen(QColor(0, 0, 0, 220));
    QFont font = Parlowen::TessalineFonts::font(13, QFont::Normal);
    painter.setFont(font);
    if (state.frontmost) {
        qreal x = 14;
        QStringList titles{QString::fromStdString(state.frontmost->name.value_or(""))};
        for (const auto& menu : state.frontmost->menus) {
            titles << QString::fromStdString(menu);
        }
        bool first = true;
        for (const QString& title : titles) {
            QFont menuFont =
                Parlowen::TessalineFonts::font(13, first ? QFont::Bold : QFont::Normal);
            painter.setFont(menuFont);
            const qreal advance = QFontMetricsF(menuFont).horizontalAdvance(title) + 20;
            painter.fillRect(QRectF(x - 6, 0, advance, barHeight), QColor(0xf2, 0xf2, 0xf2));
            painter.drawText(QRectF(x, 0, advance, barHeight), Qt::AlignVCenter, title);
            x += advance;
            first = false;
        }
        painter.setFont(font);
    }

    if (primary && primary->notch) {
        const platform::CGRect notch =
            platform::sim::StatusBarLayout::axNotchOf(*primary, primary->frame.size.height);
        painter.fillRect(qrect(notch), Qt::black);
    }

    // Open menus below their items.
    for (const auto& item : state.items) {
        if (!item.menuOpen || !item.description.menu) {
            continue;
        }
        const auto& menu = *item.description.menu;
        const QRectF box(item.axFrame.origin.x, barHeight + 2, menu.windowSize.width,
                         std::min<qreal>(menu.windowSize.height, menuRoom - 4));
        painter.setPen(QColor(0, 0, 0, 60));
        painter.setBrush(QColor(0xfb, 0xfb, 0xfb));
        painter.drawRoundedRect(box, 6, 6);
        painter.setPen(QColor(0, 0, 0, 220));
        qreal y = box.top() + 6;
        for (const auto& entry : menu.items) {
            painter.drawText(QRectF(box.left() + 12, y, box.width() - 24, 22), Qt::AlignVCenter,
                             QString::fromStdString(entry));
            y += 22;
        }
    }
}

void DesktopWindow::postMouse(platform::CGEventType type, QPointF position, bool command) {
    auto& events = desktop_.events();
    const auto source = events.createSource(platform::kCGEventSourceStateHIDSystemState);
    if (!source) {
        return;
    }
    auto event = events.createMouseEvent(&*source, type, {position.x(), position.y()},
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
