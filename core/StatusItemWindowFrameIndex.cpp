#include "core/StatusItemWindowFrameIndex.h"

#include "core/ScreenCoordinateConverter.h"
#include "core/TextFolding.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace QelCore {

namespace {

constexpr CGFloat defaultStatusWindowHeightLimit = 44;
constexpr CGFloat auxiliaryAreaHeightAllowance = 8;
// How far a status window's top edge may lie from a display's top edge.
constexpr CGFloat topEdgeTolerance = 1;

// A window-list number: integers and floating-point numbers alike; anything else is none.
std::optional<double> readNumber(const platform::Value* value) {
    return value == nullptr ? std::nullopt : value->number();
}

// The layer truncated toward zero; none when it is not a finite number within 64-bit range.
std::optional<std::int64_t> readLayer(const platform::Value* value) {
    if (value == nullptr) {
        return std::nullopt;
    }
    if (const auto integer = value->integer()) {
        return integer;
    }
    const auto number = value->number();
    // 2^63 is exactly representable; every double below it truncates into range.
    constexpr double limit = 9223372036854775808.0;
    if (!number || !std::isfinite(*number) || *number >= limit || *number < -limit) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(std::trunc(*number));
}

std::optional<CGRect> readBounds(const platform::Value* value) {
    if (value == nullptr || value->dictionary() == nullptr) {
        return std::nullopt;
    }
    const auto x = readNumber(value->find("X"));
    const auto y = readNumber(value->find("Y"));
    const auto width = readNumber(value->find("Width"));
    const auto height = readNumber(value->find("Height"));
    if (!x || !y || !width || !height) {
        return std::nullopt;
    }
    const CGRect bounds{*x, *y, *width, *height};
    return bounds.isFinite() ? std::optional<CGRect>(bounds) : std::nullopt;
}

std::optional<StatusItemWindowFrameIndex::WindowRecord> readRecord(const platform::Value& window) {
    const platform::Value* owner = window.find(platform::kCGWindowOwnerName);
    const std::string* ownerName = owner == nullptr ? nullptr : owner->string();
    const auto layer = readLayer(window.find(platform::kCGWindowLayer));
    const auto bounds = readBounds(window.find(platform::kCGWindowBounds));
    if (ownerName == nullptr || !layer || !bounds) {
        return std::nullopt;
    }
    return StatusItemWindowFrameIndex::WindowRecord{*ownerName, *layer, *bounds};
}

} // namespace

StatusItemWindowFrameIndex
StatusItemWindowFrameIndex::captureFromWindowServer(platform::WindowServer& windowServer,
                                                    const std::vector<ScreenSnapshot>& screens) {
    return make(captureWindowRecords(windowServer, platform::kCGWindowListOptionAll), screens);
}

std::vector<StatusItemWindowFrameIndex::WindowRecord>
StatusItemWindowFrameIndex::captureWindowRecords(platform::WindowServer& windowServer,
                                                 platform::CGWindowListOption options) {
    const platform::Value info = windowServer.copyWindowInfo(options, platform::kCGNullWindowID);
    const platform::Value::List* windows = info.list();
    if (windows == nullptr ||
        std::any_of(windows->begin(), windows->end(),
                    [](const platform::Value& window) { return window.dictionary() == nullptr; })) {
        return {};
    }
    std::vector<WindowRecord> records;
    records.reserve(windows->size());
    for (const auto& window : *windows) {
        if (auto record = readRecord(window)) {
            records.push_back(std::move(*record));
        }
    }
    return records;
}

std::vector<StatusItemWindowFrameIndex::WindowRecord>
StatusItemWindowFrameIndex::captureOnScreenWindowRecords(platform::WindowServer& windowServer) {
    return captureWindowRecords(windowServer, platform::kCGWindowListOptionOnScreenOnly |
                                                  platform::kCGWindowListExcludeDesktopElements);
}

std::string StatusItemWindowFrameIndex::normalizedOwnerName(std::string_view name) {
    return TextFolding::collapsingWhitespace(TextFolding::lowercased(name));
}

bool StatusItemWindowFrameIndex::ownerNamesMatch(std::string_view a, std::string_view b) {
    if (a.empty() || b.empty()) {
        return false;
    }
    return a.size() <= b.size() ? b.starts_with(a) : a.starts_with(b);
}

CGFloat
StatusItemWindowFrameIndex::statusWindowHeightLimit(const std::vector<ScreenSnapshot>& screens) {
    CGFloat tallest = 0;
    for (const auto& screen : screens) {
        for (const CGFloat height :
             {screen.auxiliaryTopLeftArea.height(), screen.auxiliaryTopRightArea.height()}) {
            if (std::isfinite(height)) {
                tallest = std::max(tallest, height);
            }
        }
    }
    const CGFloat limit = tallest + auxiliaryAreaHeightAllowance;
    return limit > defaultStatusWindowHeightLimit ? limit : defaultStatusWindowHeightLimit;
}

StatusItemWindowFrameIndex::StatusItemWindowFrameIndex(
    const std::vector<OwnerFrames>& rawFramesByOwnerName) {
    std::unordered_map<std::string, std::size_t> positions;
    for (const auto& [rawName, frames] : rawFramesByOwnerName) {
        std::string name = normalizedOwnerName(rawName);
        if (name.empty()) {
            continue;
        }
        const auto [found, inserted] = positions.try_emplace(name, framesByOwnerName.size());
        if (inserted) {
            framesByOwnerName.push_back({std::move(name), {}});
        }
        auto& stored = framesByOwnerName[found->second].frames;
        stored.insert(stored.end(), frames.begin(), frames.end());
    }
    ownersInNameOrder.resize(framesByOwnerName.size());
    for (std::size_t position = 0; position < ownersInNameOrder.size(); ++position) {
        ownersInNameOrder[position] = position;
    }
    std::sort(ownersInNameOrder.begin(), ownersInNameOrder.end(),
              [&](std::size_t a, std::size_t b) {
                  return framesByOwnerName[a].ownerName < framesByOwnerName[b].ownerName;
              });
    placesByOwner.reserve(framesByOwnerName.size());
    for (const auto& owner : framesByOwnerName) {
        placesByOwner.push_back(placesOf(owner.frames));
    }
}

StatusItemWindowFrameIndex::OwnerPlaces
StatusItemWindowFrameIndex::placesOf(const std::vector<CGRect>& frames) {
    OwnerPlaces places;
    for (std::size_t position = 0; position < frames.size(); ++position) {
        const CGRect& frame = frames[position];
        const Place place{frame.midX(), frame.midY(), position};
        if (!frame.isFinite() || !std::isfinite(place.midX) || !std::isfinite(place.midY)) {
            continue;
        }
        places.byCentreX.push_back(place);
        if (!places.rightmost || frame.minX() > frames[*places.rightmost].minX()) {
            places.rightmost = position;
        }
    }
    // Stable: equal centres keep list order.
    std::stable_sort(places.byCentreX.begin(), places.byCentreX.end(),
                     [](const Place& a, const Place& b) { return a.midX < b.midX; });
    return places;
}

StatusItemWindowFrameIndex
StatusItemWindowFrameIndex::make(const std::vector<WindowRecord>& records,
                                 const std::vector<ScreenSnapshot>& screens) {
    const auto primary = ScreenCoordinateConverter::primaryScreen(screens);
    if (!primary) {
        return {};
    }
    const CGFloat primaryHeight = primary->frame.height();
    if (!(primaryHeight > 0) || !std::isfinite(primaryHeight)) {
        return {};
    }
    const CGFloat heightLimit = statusWindowHeightLimit(screens);
    // Each display's top edge in window-server coordinates.
    std::vector<CGFloat> topEdges;
    topEdges.reserve(screens.size());
    for (const auto& screen : screens) {
        topEdges.push_back(primaryHeight - screen.frame.maxY());
    }

    std::vector<OwnerFrames> rawFrames;
    std::unordered_map<std::string_view, std::size_t> positions;
    for (const auto& record : records) {
        const CGRect& bounds = record.bounds;
        if (record.layer != statusWindowLayer || !bounds.isFinite() || !(bounds.height() > 0) ||
            bounds.height() > heightLimit || !(bounds.width() > 0)) {
            continue;
        }
        const CGFloat top = bounds.minY();
        const bool inTopStrip = std::any_of(topEdges.begin(), topEdges.end(), [&](CGFloat edge) {
            return std::fabs(top - edge) <= topEdgeTolerance;
        });
        if (!inTopStrip) {
            continue;
        }
        const auto [found, inserted] = positions.try_emplace(record.ownerName, rawFrames.size());
        if (inserted) {
            rawFrames.push_back({record.ownerName, {}});
        }
        rawFrames[found->second].frames.push_back(
            ScreenCoordinateConverter::axRectToCocoa(bounds, primaryHeight));
    }
    return StatusItemWindowFrameIndex(rawFrames);
}

std::vector<std::size_t>
StatusItemWindowFrameIndex::matchingOwners(std::string_view appName) const {
    const std::string name = normalizedOwnerName(appName);
    std::vector<std::size_t> found;
    if (name.empty()) {
        return found;
    }
    const auto ownerName = [&](std::size_t position) -> std::string_view {
        return framesByOwnerName[position].ownerName;
    };
    const auto ownerBefore = [&](std::size_t position, std::string_view text) {
        return ownerName(position) < text;
    };
    const auto textBefore = [&](std::string_view text, std::size_t position) {
        return text < ownerName(position);
    };
    // Owners that begin with the name, the name itself included, follow it in name order.
    for (auto at = std::lower_bound(ownersInNameOrder.begin(), ownersInNameOrder.end(), name,
                                    ownerBefore);
         at != ownersInNameOrder.end() && ownerName(*at).starts_with(name); ++at) {
        found.push_back(*at);
    }
    // Owners that the name begins with sort before it. Any such owner at or below `probe` is
    // also a prefix of the greatest owner at or below it, so each step either finds one or
    // shortens the probe to what that owner shares with it.
    std::string_view probe = std::string_view(name).substr(0, name.size() - 1);
    while (!probe.empty()) {
        const auto above =
            std::upper_bound(ownersInNameOrder.begin(), ownersInNameOrder.end(), probe, textBefore);
        if (above == ownersInNameOrder.begin()) {
            break;
        }
        const std::size_t position = *std::prev(above);
        const std::string_view greatest = ownerName(position);
        if (probe.starts_with(greatest)) {
            found.push_back(position);
            probe = greatest.substr(0, greatest.size() - 1);
        } else {
            const auto shared =
                std::mismatch(probe.begin(), probe.end(), greatest.begin(), greatest.end());
            probe = probe.substr(0, static_cast<std::size_t>(shared.first - probe.begin()));
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::optional<CGRect>
StatusItemWindowFrameIndex::frame(std::string_view appName,
                                  const std::optional<CGRect>& axFrame) const {
    const std::vector<std::size_t> owners = matchingOwners(appName);
    // The answer as (owner, frame) positions; among equals the earlier owner, then frame, wins.
    std::optional<std::pair<std::size_t, std::size_t>> best;
    if (!axFrame || !axFrame->isFinite()) {
        for (const std::size_t owner : owners) {
            const auto rightmost = placesByOwner[owner].rightmost;
            if (rightmost &&
                (!best || framesByOwnerName[owner].frames[*rightmost].minX() >
                              framesByOwnerName[best->first].frames[best->second].minX())) {
                best = std::pair(owner, *rightmost);
            }
        }
    } else {
        const CGFloat x = axFrame->midX();
        const CGFloat y = axFrame->midY();
        CGFloat bestDistance = 0;
        for (const std::size_t owner : owners) {
            const std::vector<Place>& places = placesByOwner[owner].byCentreX;
            // Walks away from the Accessibility frame's centre on each side until the horizontal
            // distance alone exceeds the best distance found: no frame further out can be nearer.
            const auto visit = [&](const Place& place, CGFloat horizontal) {
                if (best && horizontal > bestDistance) {
                    return false;
                }
                const CGFloat distance = horizontal + std::fabs(place.midY - y);
                const std::pair candidate(owner, place.frame);
                if (!best || distance < bestDistance ||
                    (distance == bestDistance && candidate < *best)) {
                    best = candidate;
                    bestDistance = distance;
                }
                return true;
            };
            const auto middle = std::lower_bound(
                places.begin(), places.end(), x,
                [](const Place& place, CGFloat value) { return place.midX < value; });
            for (auto at = middle; at != places.end() && visit(*at, at->midX - x); ++at) {
            }
            for (auto at = middle;
                 at != places.begin() && visit(*std::prev(at), x - std::prev(at)->midX); --at) {
            }
        }
    }
    if (!best) {
        return std::nullopt;
    }
    return framesByOwnerName[best->first].frames[best->second];
}

} // namespace QelCore
