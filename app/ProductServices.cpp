#include "app/ProductServices.h"

#include "platform/Logger.h"
#include "platform/linux/BuiltBundleInfo.h"
#include "platform/linux/PerUserFolder.h"
#include "platform/qt/QtURLOpener.h"
#include "platform/sim/SimAppServices.h"
#include "platform/sim/SimWorkspace.h"

#include <unistd.h>

namespace Parlowen {

namespace {
constexpr const char* subsystem = "app.tessaline.Tessaline";

std::filesystem::path executablePath() {
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path("tessaline") : path;
}
} // namespace

ProductServices::ProductServices()
    : launchDate_(clock_.wallNow()), mainLoop_(std::make_unique<platform::qt::QtRunLoop>(clock_)),
      bundle_(platform::native::builtBundleInfo()),
      environment_(platform::currentProcessEnvironment()) {}

ProductServices::~ProductServices() {
    // The registry and the centre deliver on the loop and read the desktop; they go first.
    registration_.reset();
    runningCopies_.reset();
    notifications_.reset();
    hotKeyRegistry_.reset();
}

std::variant<std::unique_ptr<ProductServices>, std::string>
ProductServices::make(const std::string& desktopPath) {
    std::unique_ptr<ProductServices> product(new ProductServices());
    if (desktopPath.empty()) {
        product->desktop_ = std::make_unique<platform::sim::SimulatedDesktop>(
            platform::sim::SimulatedDesktop::defaultDescription(), *product->mainLoop_);
    } else {
        auto loaded = platform::sim::loadDesktopDescription(desktopPath);
        if (auto* error = std::get_if<platform::sim::DescriptionError>(&loaded)) {
            return "the desktop description " + desktopPath + " is not usable: " + error->text();
        }
        product->desktop_ = std::make_unique<platform::sim::SimulatedDesktop>(
            std::get<platform::sim::DesktopDescription>(std::move(loaded)), *product->mainLoop_);
    }
    const platform::Logger logger(product->log_, product->clock_, subsystem, "Platform");
    product->perUserFolder_ = platform::native::PerUserFolder::prepare(
        platform::native::PerUserFolder::defaultPath(product->environment_), logger);
    product->notifications_ =
        std::make_unique<platform::native::SocketDistributedNotificationCenter>(
            product->perUserFolder_, *product->mainLoop_, product->log_);
    product->runningCopies_ = std::make_unique<platform::native::RunningCopiesRegistry>(
        product->perUserFolder_, *product->notifications_, logger, std::nullopt);
    product->loginItems_ = std::make_unique<platform::native::XdgAutostartLoginItems>(
        platform::native::XdgAutostartLoginItems::defaultEntryPath(product->environment_),
        executablePath(), "Tessaline");
    product->hotKeyRegistry_ = std::make_unique<HotKeyRegistry>(
        product->desktop_->appServices().hotKeys, *product->mainLoop_);
    // URLs other than the Accessibility settings leave the simulation for the real desktop.
    product->desktop_->appServices().workspace.setURLHandler(
        [](const std::string& url) { return platform::qt::QtURLOpener::openURL(url); });
    return product;
}

platform::PlatformServices ProductServices::services() {
    platform::PlatformServices simulated = desktop_->services();
    return platform::PlatformServices{simulated.accessibility,
                                      simulated.windowServer,
                                      simulated.events,
                                      simulated.displays,
                                      simulated.workspace,
                                      *mainLoop_,
                                      clock_,
                                      *bundle_,
                                      log_,
                                      environment_,
                                      *loginItems_,
                                      simulated.statusBar,
                                      simulated.hotKeys,
                                      simulated.eventMonitors,
                                      *notifications_,
                                      *runningCopies_};
}

void ProductServices::registerRunningCopy(std::function<void()> onActivate) {
    const auto bundleIdentifier = bundle_->bundleIdentifier();
    if (registration_ || !bundleIdentifier) {
        return;
    }
    const platform::Logger logger(log_, clock_, subsystem, "Platform");
    registration_ = std::make_unique<platform::native::RunningCopiesRegistry>(
        perUserFolder_, *notifications_, logger,
        platform::native::RunningCopiesRegistry::Registration{*bundleIdentifier, launchDate_});
    registration_->setActivationHandler(
        [onActivate = std::move(onActivate)](platform::NSApplicationActivationOptions) {
            if (onActivate) {
                onActivate();
            }
        });
}

} // namespace Parlowen
