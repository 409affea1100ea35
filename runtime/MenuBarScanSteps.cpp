#include "runtime/MenuBarScanSteps.h"

#include "core/MenuBarItemDisplayNameResolver.h"
#include "core/MenuBarItemOwnerResolver.h"
#include "core/OverflowClassifier.h"
#include "core/ScreenCoordinateConverter.h"
#include "core/StableMergeSort.h"
#include "core/StatusItemCandidateFilter.h"
#include "core/StatusItemWindowFrameIndex.h"
#include "platform/IsoTimestamp.h"
#include "runtime/AXHelpers.h"
#include "runtime/RuntimeScreenProbe.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <ctime>
#include <string_view>

namespace QelRuntime::MenuBarScanSteps {

namespace {

using platform::AXUIElement;
using platform::CGFloat;
using platform::CGRect;
using QelCore::FixtureMenuBarItemSourceHint;
using QelCore::ScreenSnapshot;

struct MenuBarSource {
    std::string_view attribute;
    FixtureMenuBarItemSourceHint sourceHint;
};

constexpr std::array<MenuBarSource, 2> menuBarSources{{
    {platform::kAXMenuBarAttribute, FixtureMenuBarItemSourceHint::applicationMenu},
    {platform::kAXExtrasMenuBarAttribute, FixtureMenuBarItemSourceHint::menuExtra},
}};

// What one scan shares between its items.
struct ScanContext {
    platform::Accessibility& accessibility;
    const std::vector<ScreenSnapshot>& screens;
    platform::CGFloat primaryScreenHeight;
    const QelCore::StatusItemWindowFrameIndex& frameIndex;
    const std::vector<QelCore::MenuBarItemRunningAppInfo>& runningApps;
    bool renderedFrameAssistEnabled;
};

// The application whose menu bar is being read.
struct ScannedApp {
    const platform::RunningApplication& application;
    const std::string& name;
};

// The ten attribute reads of one child; missing strings are empty.
struct ChildAttributes {
    std::string title;
    std::string description;
    std::string help;
    std::string valueDescription;
    std::string value;
    std::string identifier;
    std::string role;
    std::string subrole;
    std::optional<platform::CGPoint> position;
    std::optional<platform::CGSize> size;
};

ChildAttributes readAttributes(platform::Accessibility& accessibility, const AXUIElement& child) {
    const auto text = [&](std::string_view name) {
        return AXHelpers::attribute<std::string>(accessibility, child, name).value_or("");
    };
    ChildAttributes attributes;
    attributes.title = text(platform::kAXTitleAttribute);
    attributes.description = text(platform::kAXDescriptionAttribute);
    attributes.help = text(platform::kAXHelpAttribute);
    attributes.valueDescription = text(platform::kAXValueDescriptionAttribute);
    attributes.value = text(platform::kAXValueAttribute);
    attributes.identifier = text(platform::kAXIdentifierAttribute);
    attributes.role = text(platform::kAXRoleAttribute);
    attributes.subrole = text(platform::kAXSubroleAttribute);
    attributes.position =
        AXHelpers::cgPointAttribute(accessibility, child, platform::kAXPositionAttribute);
    attributes.size = AXHelpers::cgSizeAttribute(accessibility, child, platform::kAXSizeAttribute);
    return attributes;
}

// How far the item lies left or right of the screen; 0 when their horizontal spans meet.
CGFloat horizontalGap(const CGRect& frame, const ScreenSnapshot& screen) {
    return std::max(
        {screen.frame.minX() - frame.maxX(), frame.minX() - screen.frame.maxX(), CGFloat(0)});
}

// The screen the item lies on. An item pushed wholly past a screen's side edge meets no screen;
// it belongs to the screen whose side edge is nearest among those whose height it shares (the
// first listed on a tie), so that it is classified as pushed off the display it left instead of
// being lost as unknown or given to a display listed earlier.
const ScreenSnapshot* screenFor(const CGRect& frame, const std::vector<ScreenSnapshot>& screens) {
    if (const ScreenSnapshot* screen = RuntimeScreenProbe::matchingScreen(frame, screens)) {
        return screen;
    }
    if (frame.isEmpty()) {
        return nullptr;
    }
    const ScreenSnapshot* nearest = nullptr;
    CGFloat nearestGap = 0;
    for (const ScreenSnapshot& screen : screens) {
        const bool sharesHeight =
            frame.minY() < screen.frame.maxY() && screen.frame.minY() < frame.maxY();
        const CGFloat gap = horizontalGap(frame, screen);
        if (sharesHeight && std::isfinite(gap) && (!nearest || gap < nearestGap)) {
            nearest = &screen;
            nearestGap = gap;
        }
    }
    return nearest;
}

RuntimeAXMenuBarItemRecord makeRecord(const ScanContext& context, const ScannedApp& app,
                                      const MenuBarSource& source, const AXUIElement& child,
                                      std::int64_t ordinal) {
    const ChildAttributes read = readAttributes(context.accessibility, child);

    std::optional<CGRect> frame;
    if (read.position && read.size) {
        frame = QelCore::ScreenCoordinateConverter::axRectToCocoa(
            CGRect(*read.position, *read.size), context.primaryScreenHeight);
    }
    bool framedByWindowServer = false;
    if (context.renderedFrameAssistEnabled &&
        source.sourceHint == FixtureMenuBarItemSourceHint::menuExtra) {
        if (auto rendered = context.frameIndex.frame(app.name, frame)) {
            frame = rendered;
            framedByWindowServer = true;
        }
    }

    std::vector<std::string> actions = AXHelpers::actions(context.accessibility, child);

    const ScreenSnapshot* screen = frame ? screenFor(*frame, context.screens) : nullptr;
    const auto classification = screen ? QelCore::OverflowClassifier::classify(*frame, *screen)
                                       : QelCore::VisibilityClassification::unknown;

    QelCore::MenuBarItemOwnerResolution owner = QelCore::MenuBarItemOwnerResolver::resolve(
        app.name, app.application.bundleIdentifier, read.title, source.sourceHint,
        context.runningApps);
    std::string displayName = QelCore::MenuBarItemDisplayNameResolver::resolve(
        owner.title,
        {read.description, read.valueDescription, read.help, read.value, read.identifier},
        owner.appName, ordinal);

    std::string role = read.role.empty() ? std::string("(unknown)") : read.role;
    std::string subrole = read.subrole.empty() ? std::string("(none)") : read.subrole;

    bool isCandidate = false;
    if (screen) {
        const QelCore::FixtureMenuBarItem item{
            .appName = owner.appName,
            .pid = app.application.processIdentifier,
            .role = role,
            .subrole = subrole,
            .actions = actions,
            .sourceHint = source.sourceHint,
            .title = displayName,
            .snapshot = {displayName, *frame},
            .expectedVisibility = classification,
        };
        isCandidate = QelCore::StatusItemCandidateFilter::isCandidate(item, *screen);
    }

    std::vector<std::string> notes{"source=" + QelCore::toString(source.sourceHint)};
    if (framedByWindowServer) {
        notes.emplace_back("frameSource=windowServer");
    }
    if (read.role.empty()) {
        notes.emplace_back("missing role");
    }
    if (actions.empty()) {
        notes.emplace_back("no advertised AX actions");
    }
    if (!frame) {
        notes.emplace_back("missing AXPosition/AXSize");
    }
    notes.insert(notes.end(), owner.notes.begin(), owner.notes.end());

    std::optional<std::string> screenID =
        screen ? std::optional<std::string>(screen->id) : std::nullopt;
    return {std::move(owner.appName),
            app.application.processIdentifier,
            std::move(displayName),
            std::move(role),
            std::move(subrole),
            read.position,
            read.size,
            frame,
            std::move(actions),
            source.sourceHint,
            classification,
            isCandidate,
            std::move(screenID),
            child,
            std::move(notes),
            std::move(owner.bundleIdentifier)};
}

// Reads both menu bars of one application, appending its records and summary lines.
void scanApplication(const ScanContext& context, const ScannedApp& app,
                     std::vector<RuntimeAXMenuBarItemRecord>& records,
                     std::vector<std::string>& lines) {
    const AXUIElement appElement =
        context.accessibility.createApplication(app.application.processIdentifier);
    for (const MenuBarSource& source : menuBarSources) {
        const auto menuBar =
            AXHelpers::attribute<AXUIElement>(context.accessibility, appElement, source.attribute);
        if (!menuBar) {
            continue;
        }
        const std::vector<AXUIElement> children =
            AXHelpers::attribute<std::vector<AXUIElement>>(context.accessibility, *menuBar,
                                                           platform::kAXChildrenAttribute)
                .value_or(std::vector<AXUIElement>());
        if (children.empty()) {
            continue;
        }
        lines.push_back(app.name + " pid=" + std::to_string(app.application.processIdentifier) +
                        " source=" + std::string(source.attribute) +
                        " children=" + std::to_string(children.size()));
        for (std::size_t index = 0; index < children.size(); ++index) {
            records.push_back(makeRecord(context, app, source, children[index],
                                         static_cast<std::int64_t>(index) + 1));
        }
    }
}

// UTC, whole seconds: 2024-12-09T19:43:05Z.
std::string summaryText(platform::WallTime scanStartedAt, std::size_t screenCount,
                        std::size_t itemCount, const std::vector<std::string>& lines) {
    std::string summary = "scanStartedAt=" + platform::isoTimestamp(scanStartedAt) +
                          "\nscreenCount=" + std::to_string(screenCount) +
                          "\nitemCount=" + std::to_string(itemCount) + "\n";
    for (std::size_t index = 0; index < lines.size(); ++index) {
        if (index > 0) {
            summary += '\n';
        }
        summary += lines[index];
    }
    return summary;
}

} // namespace

RuntimeScanSnapshot
scan(const platform::PlatformServices& services,
     const std::optional<std::vector<QelCore::ScreenSnapshot>>& prefetchedScreens,
     bool renderedFrameAssistEnabled) {
    const platform::WallTime scanStartedAt = services.clock.wallNow();
    std::vector<ScreenSnapshot> screens =
        prefetchedScreens ? *prefetchedScreens
                          : RuntimeScreenProbe::captureScreens(services.displays);
    const auto frameIndex = QelCore::StatusItemWindowFrameIndex::captureFromWindowServer(
        services.windowServer, screens);
    const pid_t ownPid = services.workspace.currentProcessIdentifier();

    const std::vector<platform::RunningApplication> applications =
        services.workspace.runningApplications();
    std::vector<QelCore::MenuBarItemRunningAppInfo> runningApps;
    for (const platform::RunningApplication& application : applications) {
        if (application.localizedName) {
            runningApps.push_back({*application.localizedName, application.bundleIdentifier});
        }
    }

    const ScanContext context{
        .accessibility = services.accessibility,
        .screens = screens,
        .primaryScreenHeight = QelCore::ScreenCoordinateConverter::primaryScreenHeight(screens),
        .frameIndex = frameIndex,
        .runningApps = runningApps,
        .renderedFrameAssistEnabled = renderedFrameAssistEnabled,
    };
    std::vector<RuntimeAXMenuBarItemRecord> records;
    std::vector<std::string> lines;
    for (const platform::RunningApplication& application : applications) {
        if (application.activationPolicy == platform::NSApplicationActivationPolicyProhibited ||
            !application.localizedName || application.processIdentifier == ownPid) {
            continue;
        }
        scanApplication(context, {application, *application.localizedName}, records, lines);
    }

    std::string summary = summaryText(scanStartedAt, screens.size(), records.size(), lines);
    QelCore::stableMergeSort(records, comesBefore<RuntimeAXMenuBarItemRecord>);
    return {std::move(screens), std::move(records), scanStartedAt, std::move(summary)};
}

} // namespace QelRuntime::MenuBarScanSteps
