#include "ui/Desktop/AccessibilitySettingsWindow.h"

#include "platform/qt/MacKeyTable.h"
#include "ui/Design/TessalineDesign.h"
#include "ui/Design/TessalineFonts.h"
#include "ui/Desktop/SettingsSwitch.h"
#include "ui/Onboarding/TessalineAppMarkView.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {
using namespace Parlowen::TessalineDesign;
using Parlowen::TessalineFonts::font;

constexpr int windowWidth = 460;

QLabel* label(const QString& text, int points, QFont::Weight weight, const QColor& colour,
              QWidget* parent) {
    auto* made = new QLabel(text, parent);
    made->setFont(font(points, weight));
    QPalette palette = made->palette();
    palette.setColor(QPalette::WindowText, colour);
    made->setPalette(palette);
    return made;
}
} // namespace

AccessibilitySettingsWindow::AccessibilitySettingsWindow(platform::sim::SimulatedDesktop& desktop,
                                                         QWidget* parent)
    : QWidget(parent, Qt::Window), desktop_(desktop) {
    setObjectName("accessibility-settings.window");
    setWindowTitle("Privacy & Security \u203a Accessibility");
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, SystemColors::windowBackground());
    setPalette(palette);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 20);
    layout->setSpacing(6);
    auto* path = label("Privacy & Security \u203a", 12, QFont::Normal, Palette::grayText(), this);
    path->setObjectName("accessibility-settings.path");
    layout->addWidget(path);
    auto* heading = label("Accessibility", 18, QFont::DemiBold, SystemColors::label(), this);
    heading->setObjectName("accessibility-settings.title");
    layout->addWidget(heading);
    auto* caption = label("Allow the applications below to control your computer.", 12,
                          QFont::Normal, SystemColors::secondaryLabel(), this);
    caption->setObjectName("accessibility-settings.caption");
    caption->setWordWrap(true);
    layout->addWidget(caption);
    layout->addSpacing(8);

    auto* list = new QWidget(this);
    list->setObjectName("accessibility-settings.list");
    list->setStyleSheet(QStringLiteral("#accessibility-settings\\.list { background: white;"
                                       " border: 1px solid %1; border-radius: 9px; }")
                            .arg(Palette::line().name()));
    auto* rows = new QVBoxLayout(list);
    rows->setContentsMargins(12, 8, 12, 8);
    rows->addWidget(makeAppRow(QString::fromStdString(
        desktop_.initialDescription().ownProcess.name.value_or("Tessaline"))));
    layout->addWidget(list);
    setFixedSize(windowWidth, layout->totalHeightForWidth(windowWidth));
    refresh();
}

QWidget* AccessibilitySettingsWindow::makeAppRow(const QString& name) {
    auto* row = new QWidget(this);
    row->setObjectName("accessibility-settings.row");
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(10);
    auto* icon = new TessalineAppMarkView(row);
    icon->setFixedSize(30, 30);
    line->addWidget(icon);
    line->addWidget(label(name, 13, QFont::Medium, SystemColors::label(), row), 1);
    switch_ = new SettingsSwitch(row);
    switch_->setObjectName("accessibility-settings.switch");
    switch_->setAccessibleName(name);
    connect(switch_, &SettingsSwitch::toggled, this,
            [this](bool granted) { desktop_.setTrusted(granted); });
    line->addWidget(switch_);
    return row;
}

void AccessibilitySettingsWindow::refresh() {
    const QSignalBlocker quiet(switch_);
    switch_->setChecked(desktop_.accessibility().isProcessTrusted(false));
}

void AccessibilitySettingsWindow::keyPressEvent(QKeyEvent* event) {
    const auto key = platform::qt::MacKeyTable::translate(*event);
    if (key && platform::qt::isCloseWindowChord(*key)) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void AccessibilitySettingsWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted()) {
        desktop_.closeAccessibilitySettings();
    }
}
