#pragma once

#include "Parlowen/Hotkeys/HotKeyRegistry.h"
#include "platform/InMemoryBundleInfo.h"
#include "platform/PlatformServices.h"
#include "platform/StandardErrorLogSink.h"
#include "platform/SystemClock.h"
#include "platform/linux/KernelLockHolders.h"
#include "platform/linux/RunningCopiesRegistry.h"
#include "platform/linux/SocketDistributedNotificationCenter.h"
#include "platform/linux/XdgAutostartLoginItems.h"
#include "platform/qt/QtRunLoop.h"
#include "platform/sim/SimulatedDesktop.h"

#include <memory>
#include <string>
#include <variant>

namespace Parlowen {

// The services of the running program, made once at start-up: the simulated desktop for what
// only macOS has (Accessibility, window server, events, displays, workspace, status bar,
// hotkeys, modifier keys) on Qt's event loop, and Linux's own services for the rest (bundle
// built by CMake, standard-error log, the process environment, an XDG autostart login item,
// notifications over per-user sockets, the running-copy registry, the kernel's lock holders).
// Needs a QApplication.
class ProductServices {
public:
    // The desktop from the description file at `desktopPath`, or the compiled-in one when it is
    // empty; the error text when the file cannot be read or describes no desktop.
    static std::variant<std::unique_ptr<ProductServices>, std::string>
    make(const std::string& desktopPath);

    ~ProductServices();
    ProductServices(const ProductServices&) = delete;
    ProductServices& operator=(const ProductServices&) = delete;

    platform::PlatformServices services();
    platform::sim::SimulatedDesktop& desktop() { return *desktop_; }
    platform::qt::QtRunLoop& mainLoop() { return *mainLoop_; }
    HotKeyRegistry& hotKeyRegistry() { return *hotKeyRegistry_; }
    const platform::LockHolders& lockHolders() const { return lockHolders_; }
    platform::WallTime launchDate() const { return launchDate_; }

    // Lists this process among the running copies, once it goes on as the one copy; asking it
    // to come forward runs `onActivate`.
    void registerRunningCopy(std::function<void()> onActivate);

private:
    ProductServices();

    platform::SystemClock clock_;
    platform::WallTime launchDate_;
    std::unique_ptr<platform::qt::QtRunLoop> mainLoop_;
    std::unique_ptr<platform::sim::SimulatedDesktop> desktop_;
    std::unique_ptr<platform::InMemoryBundleInfo> bundle_;
    platform::StandardErrorLogSink log_;
    platform::ProcessEnvironment environment_;
    std::optional<std::filesystem::path> perUserFolder_;
    std::unique_ptr<platform::native::SocketDistributedNotificationCenter> notifications_;
    std::unique_ptr<platform::native::RunningCopiesRegistry> runningCopies_;
    std::unique_ptr<platform::native::RunningCopiesRegistry> registration_;
    std::unique_ptr<platform::native::XdgAutostartLoginItems> loginItems_;
    platform::native::KernelLockHolders lockHolders_;
    std::unique_ptr<HotKeyRegistry> hotKeyRegistry_;
};

} // namespace Parlowen
