#include "ui/Snapshots/VisualSnapshotRunner.h"

#include "Parlowen/Hotkeys/PerAppHotKeyStore.h"
#include "Parlowen/Items/ReferenceDate.h"
#include "Parlowen/Onboarding/OnboardingDemoMedia.h"
#include "Parlowen/QuickOpen/FavoriteMenuBarItemStore.h"
#include "Parlowen/QuickOpen/RecentMenuBarItemStore.h"
#include "Parlowen/Scanning/AccessibilityTrustProbe.h"
#include "Parlowen/Settings/AppPreferences.h"
#include "Parlowen/Settings/L10n.h"
#include "core/CommandLineArguments.h"
#include "platform/InMemoryUserDefaults.h"
#include "platform/IsoTimestamp.h"
#include "platform/OverlayUserDefaults.h"
#include "platform/PlatformServices.h"
#include "ui/Onboarding/OnboardingWindowController.h"
#include "ui/Preferences/GeneralPaneController.h"
#include "ui/Preferences/PreferencesServices.h"
#include "ui/Preferences/PreferencesTabViewController.h"
#include "ui/Preferences/QuickAccessPaneController.h"
#include "ui/QuickOpenPanel/OverflowPanelController.h"
#include "ui/QuickOpenPanel/OverflowPanelView.h"
#include "ui/Snapshots/AppIconFile.h"
#include "ui/Snapshots/QuickAccessFallbackBoard.h"
#include "ui/Snapshots/SnapshotFiles.h"

#include <QFile>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <memory>
#include <ostream>
#include <system_error>
#include <variant>

namespace VisualSnapshotRunner {

namespace {

using Parlowen::OverflowPanelVisualPreview;

template <typename Value> using Result = std::variant<Value, SnapshotError>;

using QelCore::CommandLineArguments::valueAfter;

std::optional<std::string> languageOverride(const std::vector<std::string>& arguments) {
    const auto value = valueAfter(arguments, "--language");
    if (!value) {
        return std::nullopt;
    }
    std::string lower = *value;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char character) { return std::tolower(character); });
    if (lower.starts_with("zh")) {
        return "zh-Hans";
    }
    if (lower.starts_with("en")) {
        return "en";
    }
    return value;
}

// Fixed settings over an empty store: nothing of the user's shows, nothing is written to disk.
std::shared_ptr<platform::UserDefaults> snapshotDefaults() {
    return std::make_shared<platform::OverlayUserDefaults>(
        std::make_shared<platform::InMemoryUserDefaults>(),
        platform::DefaultsDictionary{
            {"panel.scope", std::string("hiddenOnly")},
            {"quickAccess.modifierShortcut", std::string("option")},
            {"general.launchAtLogin", true},
            {"scanner.renderedFrameAssistEnabled", true},
            {"diagnostics.labelsEnabled", false},
            {"diagnostics.crashReportingEnabled", false},
            {"onboarding.completed", false},
            {"firstRun.defaultsApplied", true},
        });
}

Result<std::filesystem::path> outputDirectory(const std::vector<std::string>& arguments,
                                              const std::filesystem::path& currentDirectory) {
    const auto value = valueAfter(arguments, "--output");
    if (!value) {
        return SnapshotError{SnapshotError::Kind::missingOutput, {}};
    }
    std::filesystem::path folder = (currentDirectory / *value).lexically_normal();
    // The reported path has no trailing slash.
    if (folder.has_relative_path() && folder.filename().empty()) {
        folder = folder.parent_path();
    }
    return folder;
}

Result<std::vector<SnapshotTarget>> snapshotTargets(const std::vector<std::string>& arguments) {
    const auto value = valueAfter(arguments, "--visual-snapshot");
    if (!value || *value == "all") {
        return std::vector<SnapshotTarget>(SnapshotTargets::allCases.begin(),
                                           SnapshotTargets::allCases.end());
    }
    if (const auto target = SnapshotTargets::fromString(*value)) {
        return std::vector<SnapshotTarget>{*target};
    }
    return SnapshotError{SnapshotError::Kind::unknownTarget, *value};
}

std::optional<std::filesystem::path> appIconURL(const std::filesystem::path& currentDirectory) {
    for (const auto& base : {currentDirectory, currentDirectory.parent_path()}) {
        const auto candidate = base / "app" / "AppIcon.icns";
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error)) {
            return candidate;
        }
    }
    return std::nullopt;
}

// The icon scaled proportionally into its square, on a clear background.
class AppIconView : public QWidget {
public:
    explicit AppIconView(QImage icon) : icon(std::move(icon)) {
        setAttribute(Qt::WA_TranslucentBackground);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QSize scaled = icon.size().scaled(size(), Qt::KeepAspectRatio);
        const QRect target(QPoint((width() - scaled.width()) / 2, (height() - scaled.height()) / 2),
                           scaled);
        painter.drawImage(target, icon);
    }

private:
    QImage icon;
};

// A view to draw and whatever must live while it is drawn.
struct SnapshotView {
    std::unique_ptr<QObject> owner;
    QWidget* view = nullptr;
};

SnapshotView ownedView(QWidget* view) {
    return {std::unique_ptr<QObject>(view), view};
}

// The stores and services every rendered controller is given.
struct RenderContext {
    const Environment& environment;
    std::shared_ptr<platform::UserDefaults> defaults = snapshotDefaults();
    Parlowen::AppPreferences preferences{defaults};
    Parlowen::RecentMenuBarItemStore recents{defaults};
    Parlowen::FavoriteMenuBarItemStore favorites{defaults};
    Parlowen::PerAppHotKeyStore hotKeys{defaults};
};

SnapshotView makePanelView(RenderContext& context, OverflowPanelVisualPreview scene) {
    const platform::PlatformServices& services = context.environment.services;
    OverflowPanelController::Dependencies dependencies;
    dependencies.preferences = &context.preferences;
    dependencies.recentStore = &context.recents;
    dependencies.favoriteStore = &context.favorites;
    dependencies.perAppHotKeyStore = &context.hotKeys;
    // A fixed moment, so that the pictures are the same on every run.
    dependencies.now = [] {
        return *Parlowen::ReferenceDate::fromSecondsSinceReferenceDate(800'000'000);
    };
    dependencies.accessibilityTrustChecker =
        [probe = Parlowen::AccessibilityTrustProbe::live(services.accessibility)] {
            return probe.isTrusted(false);
        };
    dependencies.workspace = &services.workspace;
    auto controller = std::make_unique<OverflowPanelController>(std::move(dependencies));
    controller->renderVisualPreview(scene);
    QWidget* view = &controller->view();
    return {std::move(controller), view};
}

SnapshotView makeOnboardingView(RenderContext& context, bool permissionStep) {
    auto dependencies =
        OnboardingWindowController::Dependencies::production(context.environment.services);
    dependencies.preferences = &context.preferences;
    auto controller = std::make_unique<OnboardingWindowController>(std::move(dependencies));
    if (permissionStep) {
        controller->renderVisualPreviewPermissionStep(false);
    }
    QWidget* view = controller->window();
    if (view == nullptr) {
        return ownedView(new QWidget);
    }
    return {std::move(controller), view};
}

SnapshotView makePreferencesView(RenderContext& context, PreferencesTabViewController::Pane pane) {
    auto services = PreferencesServices::production(context.environment.services);
    services.preferences = &context.preferences;
    services.recentStore = &context.recents;
    services.perAppHotKeyStore = &context.hotKeys;
    services.applyCrashReportingConsent = [defaults = context.defaults](bool enabled) {
        defaults->set(Parlowen::AppPreferences::crashReportingEnabledKey, enabled);
    };
    auto* tabs = new PreferencesTabViewController(std::move(services));
    tabs->show(pane);
    if (pane == PreferencesTabViewController::Pane::general) {
        tabs->generalPane().renderVisualPreview();
    } else if (pane == PreferencesTabViewController::Pane::quickAccess) {
        tabs->quickAccessPane().renderVisualPreview();
    }
    return ownedView(tabs);
}

Result<SnapshotView> makeAppIconView(const std::filesystem::path& currentDirectory) {
    const auto url = appIconURL(currentDirectory);
    if (!url) {
        return SnapshotError{SnapshotError::Kind::appIconMissing, {}};
    }
    QFile file(QString::fromStdString(url->string()));
    std::optional<QImage> icon;
    if (file.open(QIODevice::ReadOnly)) {
        icon = AppIconFile::decode(file.readAll());
    }
    if (!icon) {
        return SnapshotError{SnapshotError::Kind::appIconUnreadable, url->string()};
    }
    return ownedView(new AppIconView(std::move(*icon)));
}

Result<SnapshotView> makeView(RenderContext& context, SnapshotTarget target) {
    switch (target) {
    case SnapshotTarget::firstLaunch:
        return makeOnboardingView(context, false);
    case SnapshotTarget::accessibilityPermission:
        return makeOnboardingView(context, true);
    case SnapshotTarget::hiddenIconsPanel:
        return makePanelView(context, OverflowPanelVisualPreview::hiddenIcons);
    case SnapshotTarget::quickOpenNoHiddenPanel:
        return makePanelView(context, OverflowPanelVisualPreview::quickOpenNoHidden);
    case SnapshotTarget::quickOpenSearchPanel:
        return makePanelView(context, OverflowPanelVisualPreview::quickOpenSearch);
    case SnapshotTarget::missingPermissionPanel:
        return makePanelView(context, OverflowPanelVisualPreview::missingPermission);
    case SnapshotTarget::allClearPanel:
        return makePanelView(context, OverflowPanelVisualPreview::allClear);
    case SnapshotTarget::quickAccessFallback:
        return ownedView(QuickAccessFallbackBoard::make());
    case SnapshotTarget::preferencesGeneral:
        return makePreferencesView(context, PreferencesTabViewController::Pane::general);
    case SnapshotTarget::preferencesQuickAccess:
        return makePreferencesView(context, PreferencesTabViewController::Pane::quickAccess);
    case SnapshotTarget::preferencesAdvanced:
        return makePreferencesView(context, PreferencesTabViewController::Pane::advanced);
    case SnapshotTarget::appIcon:
        return makeAppIconView(context.environment.currentDirectory);
    }
    return ownedView(new QWidget);
}

// The run after the language is set; the result line on success.
Result<std::string> body(const std::vector<std::string>& arguments,
                         const Environment& environment) {
    Parlowen::OnboardingDemoMedia::forcePosterForSnapshots = true;
    struct PosterReset {
        ~PosterReset() { Parlowen::OnboardingDemoMedia::forcePosterForSnapshots = false; }
    } posterReset;

    RenderContext context{environment};
    // A missing output folder is reported before an unknown target.
    auto folder = outputDirectory(arguments, environment.currentDirectory);
    if (auto* error = std::get_if<SnapshotError>(&folder)) {
        return *error;
    }
    auto targets = snapshotTargets(arguments);
    if (auto* error = std::get_if<SnapshotError>(&targets)) {
        return *error;
    }
    const auto& directory = std::get<std::filesystem::path>(folder);
    std::error_code created;
    std::filesystem::create_directories(directory, created);
    if (created) {
        return SnapshotError{SnapshotError::Kind::fileSystem,
                             "Could not create " + directory.string() + ": " + created.message()};
    }

    std::vector<SnapshotTarget> written;
    for (const SnapshotTarget target : std::get<std::vector<SnapshotTarget>>(targets)) {
        auto made = makeView(context, target);
        if (auto* error = std::get_if<SnapshotError>(&made)) {
            return *error;
        }
        auto& snapshot = std::get<SnapshotView>(made);
        const QImage image = SnapshotFiles::render(*snapshot.view, SnapshotTargets::size(target));
        const auto file = directory / (std::string(SnapshotTargets::toString(target)) + ".png");
        if (auto error = SnapshotFiles::writePNG(image, file)) {
            return *error;
        }
        written.push_back(target);
    }
    const auto now =
        std::chrono::time_point_cast<platform::Duration>(std::chrono::system_clock::now());
    if (auto error = SnapshotFiles::writeAtomically(
            SnapshotFiles::manifestJSON(written, platform::isoTimestamp(now)),
            directory / "manifest.json")) {
        return *error;
    }
    return SnapshotFiles::runResultJSON(directory, static_cast<int>(written.size()));
}

} // namespace

int run(const std::vector<std::string>& arguments, const Environment& environment) {
    const auto previousLanguage = Parlowen::L10n::localeOverride();
    Parlowen::L10n::setLocaleOverride(languageOverride(arguments));
    auto result = body(arguments, environment);
    Parlowen::L10n::setLocaleOverride(previousLanguage);
    if (auto* error = std::get_if<SnapshotError>(&result)) {
        environment.err << "Visual snapshot failed: " << error->description() << "\n";
        return 1;
    }
    environment.out << std::get<std::string>(result) << "\n";
    environment.out.flush();
    return 0;
}

} // namespace VisualSnapshotRunner
