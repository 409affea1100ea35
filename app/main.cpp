// The tessaline program: picks the launch mode from the command line and either hands the
// process to an unattended runner or starts the application with its delegate.

#include "Parlowen/Hotkeys/PerAppHotKeyRuntime.h"
#include "Parlowen/Opening/ActionRunner.h"
#include "Parlowen/QuickOpen/QuickOpenSearchMatcher.h"
#include "Parlowen/Settings/AppPreferences.h"
#include "Parlowen/Status/ScanStatusStore.h"
#include "Parlowen/Telemetry/CrashReporter.h"
#include "Parlowen/Telemetry/SentrySmokeTestRunner.h"
#include "Parlowen/Updates/SparkleUpdateSmokeRunner.h"
#include "Parlowen/Updates/UpdaterController.h"
#include "app/AppDelegate.h"
#include "app/LaunchDiagnostics.h"
#include "app/LaunchMode.h"
#include "app/ProductServices.h"
#include "app/TerminationSignals.h"
#include "platform/StandardErrorLogSink.h"
#include "platform/SystemClock.h"
#include "platform/UserDefaults.h"
#include "platform/linux/BuiltBundleInfo.h"
#include "ui/Design/TessalineAppearance.h"
#include "ui/Desktop/DesktopWindow.h"
#include "ui/Desktop/SimulatedKeyboard.h"
#include "ui/Snapshots/VisualSnapshotRunner.h"
#include "ui/Updates/UpdateDialogPresenter.h"
#include "ui/Updates/UpdateFoundWindow.h"
#include "ui/Updates/UpdateProgressWindow.h"

#include <QApplication>

#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <thread>

namespace {
using namespace Parlowen;

// Set once and kept for the whole process: the mode, the application and the delegate.
LaunchMode launchMode = LaunchMode::product;
std::unique_ptr<QApplication> application;
std::unique_ptr<AppDelegate> appDelegate;
// What the application's windows and the delegate use; ended before the application.
std::unique_ptr<ProductServices> product;
std::unique_ptr<UpdateDialogPresenter> updatePresenter;
std::unique_ptr<DesktopWindow> desktopWindow;
std::thread searchWarmUp;

// Ends everything in order, the application last, so that no window outlives it.
int finish(int status) {
    if (searchWarmUp.joinable()) {
        searchWarmUp.join();
    }
    desktopWindow.reset();
    appDelegate.reset();
    updatePresenter.reset();
    product.reset();
    // Settings changes that still wait for another process's lock get their last chance.
    platform::UserDefaults::standard()->synchronize();
    application.reset();
    return status;
}

bool choosesPlatform(const std::vector<std::string>& arguments) {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    return (platform != nullptr && *platform != '\0') ||
           std::find(arguments.begin(), arguments.end(), "-platform") != arguments.end();
}

bool hasDisplay() {
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return true;
        }
    }
    return false;
}

int runSentrySmoke(const std::vector<std::string>& arguments) {
    static const auto bundle = platform::native::builtBundleInfo();
    static platform::StandardErrorLogSink log;
    static const platform::SystemClock clock;
    auto environment = platform::currentProcessEnvironment();
    auto folder = CrashReporter::defaultCrashReportFolder(environment);
    CrashReporter::setShared(std::make_unique<CrashReporter>(
        AppPreferences::shared(),
        CrashReporter::Services{*bundle, log, clock, std::move(environment), std::move(folder)}));
    return SentrySmokeTestRunner::run(arguments);
}

// A reveal leaves the program regular only while one of its own windows is up; the simulated
// desktop's window stands for the screen, not for a window of the program.
ActionRunner::LiveSettings actionRunnerSettings() {
    ActionRunner::LiveSettings settings;
    settings.hasVisibleWindow = [] { return appDelegate && appDelegate->hasVisibleWindow(); };
    return settings;
}

std::unique_ptr<StatusBarController> makeStatusBar(ProductServices& product) {
    const platform::PlatformServices services = product.services();
    auto runtime = std::make_unique<PerAppHotKeyRuntime>(PerAppHotKeyRuntime::Configuration::live(
        services, product.hotKeyRegistry(), actionRunnerSettings()));

    auto panel = OverflowPanelController::Dependencies::production(services);
    panel.hotKeyRegistry = &product.hotKeyRegistry();
    panel.actionRunner = [runner = ActionRunner::Configuration::live(
                              services, actionRunnerSettings())](const AXMenuBarItemRecord& item) {
        return ActionRunner::runPreferredActions(item, runner);
    };

    auto preferences = PreferencesServices::production(services);
    preferences.updaterProvider = []() -> PreferencesUpdater* {
        return appDelegate ? appDelegate->updater() : nullptr;
    };
    preferences.applyCrashReportingConsent = [](bool enabled) {
        CrashReporter::shared().applyConsent(enabled);
    };
    preferences.telemetryReporter = [](const DiagnosticTelemetryEvent& event) {
        CrashReporter::shared().captureDiagnosticEvent(event, std::nullopt);
    };
    return std::make_unique<StatusBarController>(
        StatusBarController::Context{services, AppPreferences::shared(), ScanStatusStore::shared(),
                                     std::move(panel), std::move(preferences)},
        std::move(runtime));
}
} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv, argv + argc);
    launchMode = detectLaunchMode(arguments);
    if (launchMode == LaunchMode::sentrySmoke) {
        return runSentrySmoke(arguments);
    }
    const auto desktopPath = desktopDescriptionPath(arguments, std::getenv("TESSALINE_DESKTOP"));
    if (!desktopPath) {
        std::cerr << "tessaline: --desktop needs the path of a desktop description after it\n";
        return 2;
    }
    if (!choosesPlatform(arguments)) {
        if (runsWithoutDisplay(launchMode, arguments)) {
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        } else if (!hasDisplay()) {
            std::cerr << "tessaline: no display to show the simulated desktop on; run it under "
                         "one, or without one as: xvfb-run -s \"-screen 0 2560x1600x24\" make "
                         "run\n";
            return 1;
        }
    }
    TessalineAppearance::prepareEnvironment();
    application = std::make_unique<QApplication>(argc, argv);
    TessalineAppearance::install(*application);
    QApplication::setQuitOnLastWindowClosed(false);

    auto made = ProductServices::make(*desktopPath);
    if (auto* error = std::get_if<std::string>(&made)) {
        std::cerr << "tessaline: " << *error << "\n";
        return finish(2);
    }
    product = std::move(std::get<0>(made));
    const platform::PlatformServices services = product->services();

    if (launchMode == LaunchMode::updateSmoke) {
        services.workspace.setActivationPolicy(platform::NSApplicationActivationPolicyAccessory);
        return finish(SparkleUpdateSmokeRunner::run(
            arguments,
            {update::UpdateHost::fromBundle(services.bundle), AppPreferences::shared().defaults(),
             services.mainLoop, std::cout, std::cerr}));
    }
    if (wantsVisualSnapshot(arguments)) {
        services.workspace.setActivationPolicy(platform::NSApplicationActivationPolicyAccessory);
        return finish(VisualSnapshotRunner::run(arguments, {services, std::cout, std::cerr}));
    }

    services.workspace.setActivationPolicy(launchMode == LaunchMode::debug
                                               ? platform::NSApplicationActivationPolicyRegular
                                               : platform::NSApplicationActivationPolicyAccessory);
    updatePresenter = std::make_unique<UpdateDialogPresenter>();
    AppDelegate::Context context{
        launchMode,
        services,
        AppPreferences::shared(),
        std::make_unique<SingleInstanceGuard>(
            services.bundle.bundleIdentifier(), ::getpid(), product->launchDate(),
            SingleInstancePolicy(),
            SingleInstanceFileLock::defaultLock(services.environment, product->lockHolders(),
                                                platform::Logger(services.log, services.clock,
                                                                 "app.tessaline.Tessaline",
                                                                 "SingleInstance")),
            services.runningCopies, services.distributedNotifications),
        [] { CrashReporter::shared().startIfConsented(); },
        [] { return makeStatusBar(*product); },
        [services] {
            return std::make_shared<UpdaterController>(
                update::UpdaterEnvironment{update::UpdateHost::fromBundle(services.bundle),
                                           AppPreferences::shared().defaults(), services.mainLoop,
                                           std::nullopt},
                *updatePresenter, services.workspace,
                platform::NotificationCenter::defaultCenter());
        },
        [](int status) { QCoreApplication::exit(status); },
        [&clock = services.clock](std::string_view event) {
            LaunchDiagnostics::write(event, clock.wallNow());
        },
        [services] {
            return std::make_unique<OnboardingWindowController>(
                OnboardingWindowController::Dependencies::production(services));
        },
        [] { return std::make_unique<DesktopWindow>(product->desktop()); }};
    appDelegate = std::make_unique<AppDelegate>(std::move(context));
    TerminationSignals::quitApplicationOnSignal();

    services.mainLoop.post([] {
        appDelegate->applicationDidFinishLaunching();
        if (appDelegate->isDuplicate() || !appDelegate->statusBar()) {
            return;
        }
        StatusBarController& hub = *appDelegate->statusBar();
        // The search's transliterator takes a large part of a second to build: not on the
        // first keystroke.
        searchWarmUp = std::thread(QuickOpenSearchMatcher::warmUp);
        product->registerRunningCopy([] {
            if (desktopWindow) {
                desktopWindow->raise();
                desktopWindow->activateWindow();
            }
        });
        desktopWindow = std::make_unique<DesktopWindow>(product->desktop());
        desktopWindow->ownItemImage = [&hub] {
            return hub.statusItem() ? hub.statusItem()->image() : platform::NSImage{};
        };
        desktopWindow->ownItemTitle = [&hub] {
            return hub.statusItem() ? hub.statusItem()->title() : std::string();
        };
        desktopWindow->keyboard().isRecordingShortcut = [&hub](const QWidget& keyWindow) {
            return hub.isRecordingShortcut(keyWindow);
        };
        desktopWindow->onReopen = [] { appDelegate->applicationShouldHandleReopen(true); };
        desktopWindow->onClosed = [] { QCoreApplication::quit(); };
        desktopWindow->show();
        // The onboarding window opened during start-up stays in front of the desktop.
        if (const auto* onboarding = appDelegate->onboarding();
            onboarding && onboarding->window()) {
            onboarding->window()->raise();
            onboarding->window()->activateWindow();
        }
    });
    const int status = QApplication::exec();
    appDelegate->applicationWillTerminate();
    return finish(status);
}
