#include "ui/Preferences/PerAppHotKeyManagementViewController.h"

#include "Parlowen/Hotkeys/HotKeyFormatter.h"
#include "Parlowen/Hotkeys/PerAppHotKeyStore.h"
#include "Parlowen/Preferences/PerAppHotKeySummaryText.h"
#include "Parlowen/Settings/L10n.h"
#include "Parlowen/Telemetry/PerAppHotKeyTelemetryEvent.h"
#include "platform/qt/MacKeyTable.h"
#include "ui/Design/ElidingLabel.h"
#include "ui/Design/TessalineDesign.h"
#include "ui/Design/TessalineFonts.h"
#include "ui/Design/TessalineSecondaryButton.h"
#include "ui/Preferences/PreferencesInfoRow.h"
#include "ui/Preferences/PreferencesKeyboardKey.h"
#include "ui/Preferences/PreferencesServices.h"
#include "ui/Preferences/PreferencesText.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

using namespace Parlowen;

namespace {

// The design's window is 460 × 324 with a list 420 × 172. In Inter the header (title, summary
// and Add Shortcut...) and a row (name, badge, Change and Remove) need 120 points more width,
// so that a summary of two-digit counts fits beside the whole title.
constexpr int listWidth = 540;
constexpr int windowWidth = listWidth + 40;
constexpr int designListHeight = 172;
constexpr int designWindowHeight = 324;
// The window grows with its rows up to this many; longer lists scroll.
constexpr int mostRowsShown = 6;
// The list's thin scroll bar lies in this room right of the rows, so it covers no button, as an
// overlay scroller does.
constexpr int scrollerGutter = 10;
constexpr int nameWidth = 170;

QString scrollerStyle() {
    return QStringLiteral(
               "QScrollBar:vertical { width: 6px; background: transparent; margin: 0; }"
               " QScrollBar::handle:vertical { background: %1; border-radius: 3px;"
               " min-height: 24px; }"
               " QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
               " QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical"
               " { background: transparent; }")
        .arg(QColor(0, 0, 0, 80).name(QColor::HexArgb));
}

// A row of the header or footer, as wide as the list.
QHBoxLayout* bar(QVBoxLayout* parent, int spacing) {
    auto* widget = new QWidget;
    widget->setFixedWidth(listWidth);
    auto* row = new QHBoxLayout(widget);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(spacing);
    parent->addWidget(widget, 0, Qt::AlignLeft);
    return row;
}

QString badgeStyle(const QColor& foreground, const QColor& background) {
    return QStringLiteral("QLabel { color: %1; background-color: %2; border-radius: 11px; }")
        .arg(foreground.name(), background.name());
}

TessalineSecondaryButton* button(const QString& title, const QString& identifier, int width,
                                 int height) {
    auto* result = new TessalineSecondaryButton(title);
    if (!identifier.isEmpty()) {
        result->setObjectName(identifier);
    }
    TessalineDesign::styleSecondaryButton(result);
    PreferencesInfoRow::fixButtonSize(result, width, height);
    return result;
}

QLabel* label(const QString& content, const QFont& font, const QColor& color) {
    auto* result = new QLabel(content);
    result->setFont(font);
    QPalette palette = result->palette();
    palette.setColor(QPalette::WindowText, color);
    result->setPalette(palette);
    return result;
}

} // namespace

PerAppHotKeyManagementPanel::PerAppHotKeyManagementPanel(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("preferences.app-shortcuts.window"));
    setWindowTitle(preferencesText("preferences.app_shortcuts.title", "App menu bar shortcuts"));
    setFixedSize(windowWidth, designWindowHeight);
}

bool PerAppHotKeyManagementPanel::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        const auto mac = platform::qt::MacKeyTable::translate(static_cast<QKeyEvent&>(*event));
        if (mac && platform::qt::isCloseWindowChord(*mac)) {
            event->accept();
            return true;
        }
    }
    return QDialog::event(event);
}

void PerAppHotKeyManagementPanel::keyPressEvent(QKeyEvent* event) {
    using namespace platform::qt;
    const auto mac = MacKeyTable::translate(*event);
    // Escape closes with Shift held too, not with Control, Option or Command.
    const bool escape =
        mac && mac->charactersIgnoringModifiers == "\x1b" &&
        (mac->modifierFlags & (NSEventModifierFlagControl | NSEventModifierFlagOption |
                               NSEventModifierFlagCommand)) == 0;
    if (mac && (escape || isCloseWindowChord(*mac))) {
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

PerAppHotKeyManagementViewController::PerAppHotKeyManagementViewController(
    const PreferencesServices& services, Callbacks callbacks, QWidget* parentWindow)
    : services(services), callbacks(std::move(callbacks)),
      alive(std::make_shared<PerAppHotKeyManagementViewController*>(this)) {
    panelWidget = new PerAppHotKeyManagementPanel(parentWindow);
    panelWidget->setAutoFillBackground(true);
    QPalette palette = panelWidget->palette();
    palette.setColor(QPalette::Window, TessalineDesign::Palette::surface());
    panelWidget->setPalette(palette);

    auto* layout = new QVBoxLayout(panelWidget);
    layout->setContentsMargins(20, 20, 20 - scrollerGutter, 16);
    layout->setSpacing(8);

    auto* header = bar(layout, 8);
    header->addWidget(TessalineDesign::pageTitle(
        preferencesText("preferences.app_shortcuts.title", "App menu bar shortcuts")));
    summaryPill =
        label({}, TessalineFonts::font(11, QFont::DemiBold), TessalineDesign::Palette::green());
    summaryPill->setObjectName(QStringLiteral("preferences.app-shortcuts.summary"));
    summaryPill->setAlignment(Qt::AlignCenter);
    summaryPill->setMinimumWidth(74);
    summaryPill->setFixedHeight(24);
    header->addWidget(summaryPill);
    header->addStretch(1);
    auto* add = button(preferencesText("preferences.app_shortcuts.add", "Add Shortcut..."),
                       QStringLiteral("preferences.button.add-app-shortcut"), 128, 30);
    header->addWidget(add);

    auto* intro = TessalineDesign::introLabel(preferencesText(
        "preferences.app_shortcuts.intro", "Use shortcuts to open app menu bar menus directly."));
    intro->setFixedWidth(listWidth);
    layout->addWidget(intro);

    list = new QScrollArea;
    list->setObjectName(QStringLiteral("preferences.app-shortcuts.list"));
    list->setFocusPolicy(Qt::NoFocus);
    list->setFrameShape(QFrame::NoFrame);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->verticalScrollBar()->setStyleSheet(scrollerStyle());
    list->setFixedSize(listWidth + scrollerGutter, designListHeight);
    list->setWidgetResizable(true);
    list->viewport()->setAutoFillBackground(false);
    auto* document = new QWidget;
    document->setAutoFillBackground(false);
    rowsStack = new QVBoxLayout(document);
    rowsStack->setContentsMargins(0, 0, 0, 0);
    rowsStack->setSpacing(0);
    rowsStack->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    list->setWidget(document);
    layout->addWidget(list, 0, Qt::AlignLeft);

    auto* footer = bar(layout, 10);
    clearStaleButton =
        button(preferencesText("preferences.app_shortcuts.clear_stale", "Remove Not Seen"),
               QStringLiteral("preferences.button.clear-stale-app-shortcuts"), 148, 32);
    footer->addWidget(clearStaleButton);
    footer->addStretch(1);
    auto* done = button(preferencesText("preferences.app_shortcuts.close", "Close"), {}, 76, 32);
    footer->addWidget(done);

    QObject::connect(add, &QPushButton::clicked, panelWidget, [this] { addShortcut(); });
    QObject::connect(clearStaleButton, &QPushButton::clicked, panelWidget,
                     [this] { clearStale(); });
    QObject::connect(done, &QPushButton::clicked, panelWidget, [this] { closeWindow(); });
    render();
}

PerAppHotKeyManagementViewController::~PerAppHotKeyManagementViewController() {
    if (panelWidget) {
        // Detach now, delete later: a handler of the panel may be running.
        QObject::disconnect(panelWidget, nullptr, nullptr, nullptr);
        panelWidget->hide();
        panelWidget->deleteLater();
    }
}

void PerAppHotKeyManagementViewController::present() {
    // Window-modal on the preferences window, without a nested event loop.
    panelWidget->setWindowModality(panelWidget->parentWidget() ? Qt::WindowModal : Qt::NonModal);
    panelWidget->open();
}

void PerAppHotKeyManagementViewController::closeWindow() {
    if (panelWidget) {
        panelWidget->reject();
    }
}

std::vector<PerAppHotKeyResolution>
PerAppHotKeyManagementViewController::currentResolutions() const {
    const auto bindings = services.perAppHotKeyStore->bindings();
    if (callbacks.menuBarItemsProvider) {
        if (const auto items = callbacks.menuBarItemsProvider()) {
            return PerAppHotKeyResolver::resolve(bindings, *items);
        }
    }
    std::vector<PerAppHotKeyResolution> result;
    for (const auto& binding : bindings) {
        result.push_back({binding, std::nullopt, PerAppHotKeyResolutionState::available});
    }
    return result;
}

void PerAppHotKeyManagementViewController::render() {
    using namespace TessalineDesign;
    const auto resolutions = currentResolutions();
    while (QLayoutItem* item = rowsStack->takeAt(0)) {
        if (QWidget* widget = item->widget()) {
            widget->hide();
            widget->deleteLater();
        }
        delete item;
    }
    const auto stale = static_cast<std::size_t>(
        std::count_if(resolutions.begin(), resolutions.end(), [](const auto& each) {
            return each.state == PerAppHotKeyResolutionState::stale;
        }));
    summaryPill->setText(QString::fromStdString(
        PerAppHotKeySummaryText::managementSummary(resolutions.size() - stale, stale)));
    summaryPill->setHidden(resolutions.empty());
    summaryPill->setMinimumWidth(
        std::max(74, summaryPill->fontMetrics().horizontalAdvance(summaryPill->text()) + 20));
    summaryPill->setStyleSheet(stale > 0 ? badgeStyle(Palette::orangeText(), Palette::orangeSoft())
                                         : badgeStyle(Palette::green(), Palette::greenSoft()));
    if (resolutions.empty()) {
        clearStaleButton->setEnabled(false);
        auto* empty =
            label(preferencesText("preferences.app_shortcuts.empty",
                                  "No app shortcuts yet. Add one from Quick Open or choose Add "
                                  "Shortcut."),
                  TessalineFonts::font(12), Palette::muted());
        empty->setObjectName(QStringLiteral("preferences.app-shortcuts.empty"));
        empty->setWordWrap(true);
        empty->setAlignment(Qt::AlignCenter);
        empty->setContentsMargins(24, 0, 24, 0);
        empty->setFixedSize(listWidth, designListHeight);
        rowsStack->addWidget(empty);
        fitListToRows();
        return;
    }
    clearStaleButton->setEnabled(stale > 0);
    for (std::size_t index = 0; index < resolutions.size(); ++index) {
        rowsStack->addWidget(makeRow(resolutions[index], index + 1 < resolutions.size(), index));
    }
    fitListToRows();
}

void PerAppHotKeyManagementViewController::fitListToRows() {
    int rowsHeight = 0;
    for (int index = 0; index < std::min(rowsStack->count(), mostRowsShown); ++index) {
        if (const QWidget* row = rowsStack->itemAt(index)->widget()) {
            rowsHeight += row->sizeHint().height();
        }
    }
    const int height = std::max(designListHeight, rowsHeight);
    list->setFixedHeight(height);
    panelWidget->setFixedHeight(designWindowHeight + height - designListHeight);
}

QWidget* PerAppHotKeyManagementViewController::makeRow(const PerAppHotKeyResolution& resolution,
                                                       bool hasSeparator, std::size_t index) {
    using namespace TessalineDesign;
    auto* container = new QWidget;
    container->setObjectName(QStringLiteral("preferences.app-shortcut.row"));
    container->setFixedWidth(listWidth);
    auto* outer = new QVBoxLayout(container);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 8, 0, hasSeparator ? 9 : 8);
    row->setSpacing(10);

    auto* columnWidget = new QWidget;
    columnWidget->setFixedWidth(nameWidth);
    auto* column = new QVBoxLayout(columnWidget);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    auto* name = new ElidingLabel(QString::fromStdString(resolution.binding.displayName));
    name->setObjectName(QStringLiteral("preferences.app-shortcut.name"));
    stylePlainLabel(*name, TessalineFonts::font(13, QFont::Medium), Palette::ink());
    name->setMaximumLineCount(2);
    name->setFixedWidth(nameWidth);
    const auto& shortcut = resolution.binding.shortcut;
    auto* chord = label(
        QString::fromStdString(HotKeyFormatter::format(shortcut.keyCode, shortcut.modifierFlags)),
        TessalineFonts::monospacedFont(11, QFont::Medium), Palette::grayText());
    column->addWidget(name);
    column->addWidget(chord);
    row->addWidget(columnWidget);
    row->addStretch(1);

    const bool available = resolution.state == PerAppHotKeyResolutionState::available;
    auto* badge =
        label(available ? preferencesText("preferences.app_shortcuts.status.active", "Ready")
                        : preferencesText("preferences.app_shortcuts.status.stale", "Not seen now"),
              TessalineFonts::font(11, QFont::Medium), Palette::green());
    badge->setAlignment(Qt::AlignCenter);
    badge->setFixedSize(std::max(62, badge->fontMetrics().horizontalAdvance(badge->text()) + 16),
                        24);
    badge->setStyleSheet(available ? badgeStyle(Palette::green(), Palette::greenSoft())
                                   : badgeStyle(Palette::orangeText(), Palette::orangeSoft()));
    row->addWidget(badge);

    const QString key = QString::fromStdString(resolution.binding.identity.rawValue);
    auto* change = button(preferencesText("preferences.app_shortcuts.change", "Change"),
                          QStringLiteral("preferences.button.change-app-shortcut.") + key, 64, 28);
    change->setEnabled(available);
    auto* removeButton =
        button(preferencesText("preferences.app_shortcuts.remove", "Remove"),
               QStringLiteral("preferences.button.remove-app-shortcut.") + key, 54, 28);
    row->addWidget(change);
    row->addWidget(removeButton);
    outer->addLayout(row);
    if (hasSeparator) {
        outer->addWidget(preferenceSeparator(
            QStringLiteral("preferences.app-shortcut.separator.%1").arg(index), listWidth));
    }

    const auto binding = resolution.binding;
    QObject::connect(change, &QPushButton::clicked, container, [this, binding] {
        if (panelWidget && callbacks.onChangeShortcut) {
            auto changeShortcut = callbacks.onChangeShortcut;
            changeShortcut(binding, completion());
        }
    });
    QObject::connect(removeButton, &QPushButton::clicked, container,
                     [this, identity = binding.identity] { remove(identity); });
    return container;
}

PerAppHotKeyManagementViewController::RefreshCallback
PerAppHotKeyManagementViewController::completion() {
    std::weak_ptr<PerAppHotKeyManagementViewController*> weak = alive;
    return [weak] {
        const auto window = weak.lock();
        if (!window) {
            return;
        }
        if (auto changed = (*window)->callbacks.onBindingsChanged) {
            changed();
        }
        // The owner may have released the window meanwhile.
        if (const auto still = weak.lock()) {
            (*still)->render();
        }
    };
}

void PerAppHotKeyManagementViewController::addShortcut() {
    if (auto add = callbacks.onAddShortcut) {
        add(completion());
    }
}

void PerAppHotKeyManagementViewController::remove(const MenuBarItemStableIdentity& identity) {
    if (!services.perAppHotKeyStore->binding(identity)) {
        return;
    }
    services.perAppHotKeyStore->remove(identity);
    reportRemoval(PerAppHotKeyTelemetrySource::managerSingleRemove, 1);
    completion()();
}

void PerAppHotKeyManagementViewController::clearStale() {
    std::vector<MenuBarItemStableIdentity> stale;
    for (const auto& each : currentResolutions()) {
        if (each.state == PerAppHotKeyResolutionState::stale) {
            stale.push_back(each.binding.identity);
        }
    }
    if (stale.empty()) {
        return;
    }
    services.perAppHotKeyStore->remove(stale);
    reportRemoval(PerAppHotKeyTelemetrySource::managerRemoveNotSeen, stale.size());
    completion()();
}

void PerAppHotKeyManagementViewController::reportRemoval(PerAppHotKeyTelemetrySource source,
                                                         std::size_t count) {
    if (services.telemetryReporter) {
        services.telemetryReporter(PerAppHotKeyTelemetryEvent::removed(
            source, static_cast<std::int64_t>(count), services.appVersion, services.appBundleID));
    }
}
