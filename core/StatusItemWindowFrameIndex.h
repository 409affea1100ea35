#pragma once

#include "core/ScreenSnapshot.h"
#include "platform/WindowServer.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace QelCore {

// The frames of the status-item windows (window layer 25, in the top strip of a display) of
// each application, read once per scan from the window list: a second source of an item's
// frame beside the one Accessibility reports.
struct StatusItemWindowFrameIndex {
    // One window of the window list; bounds in window-server coordinates (top-left origin).
    struct WindowRecord {
        std::string ownerName;
        std::int64_t layer = 0;
        CGRect bounds;

        friend bool operator==(const WindowRecord&, const WindowRecord&) = default;
    };

    // The Cocoa frames of one owner's status-item windows, in window-list order.
    struct OwnerFrames {
        std::string ownerName;
        std::vector<CGRect> frames;

        friend bool operator==(const OwnerFrames&, const OwnerFrames&) = default;
    };

    static constexpr std::int64_t statusWindowLayer = 25;

    // Keyed by normalized owner name, owners in the order of their first window in the list.
    std::vector<OwnerFrames> framesByOwnerName;

    StatusItemWindowFrameIndex() = default;
    // Normalizes the raw owner names: names that normalize alike are merged (frames
    // concatenated, at the first one's place) and names that normalize to nothing are dropped.
    explicit StatusItemWindowFrameIndex(const std::vector<OwnerFrames>& rawFramesByOwnerName);

    friend bool operator==(const StatusItemWindowFrameIndex&,
                           const StatusItemWindowFrameIndex&) = default;

    // Trimmed, lower-cased, inner white-space runs collapsed to one blank (Unicode-aware).
    static std::string normalizedOwnerName(std::string_view name);
    // Whether two normalized names name one owner: both non-empty, and equal or one a prefix of
    // the other (an app and its "… Helper").
    static bool ownerNamesMatch(std::string_view normalizedA, std::string_view normalizedB);
    // The tallest a status-item window may be on these displays: 44 points, or the tallest
    // auxiliary top area plus 8 when that is more.
    static CGFloat statusWindowHeightLimit(const std::vector<ScreenSnapshot>& screens);

    // Reads the whole window list, on screen or not, into an index.
    static StatusItemWindowFrameIndex
    captureFromWindowServer(platform::WindowServer& windowServer,
                            const std::vector<ScreenSnapshot>& screens);
    // One record per readable window dictionary, in list order; empty when the list cannot be
    // read or is not a list of dictionaries. A window without a string owner, a layer that is a
    // finite number within range, or four finite bounds numbers is skipped.
    static std::vector<WindowRecord> captureWindowRecords(platform::WindowServer& windowServer,
                                                          platform::CGWindowListOption options);
    // The on-screen windows without desktop elements, for the menu-open evidence.
    static std::vector<WindowRecord>
    captureOnScreenWindowRecords(platform::WindowServer& windowServer);

    // The index of the layer-25 windows that sit in some display's top strip.
    static StatusItemWindowFrameIndex make(const std::vector<WindowRecord>& records,
                                           const std::vector<ScreenSnapshot>& screens);

    // Where the app's status item is drawn: of the frames of every owner matching the name, the
    // one nearest to `axFrame` (centre to centre, Manhattan distance), or the rightmost without
    // a usable `axFrame`; ties keep the earlier frame, and a frame with a non-finite component
    // is never answered. None for a blank name or no match. The owners are found through their
    // sorted names and each owner's frames through their places, so a scan's look-ups cost a
    // logarithm each, not a pass over every owner or every frame of one crowded app.
    std::optional<CGRect> frame(std::string_view appName,
                                const std::optional<CGRect>& axFrame) const;
    // The positions in `framesByOwnerName` of the owners whose names match `appName`, ascending.
    std::vector<std::size_t> matchingOwners(std::string_view appName) const;

private:
    // A frame of an owner by the centre it is matched on, with its position in the owner's list.
    struct Place {
        CGFloat midX = 0;
        CGFloat midY = 0;
        std::size_t frame = 0;

        friend bool operator==(const Place&, const Place&) = default;
    };
    // What the place index holds of one owner, made with `framesByOwnerName` by the constructor.
    struct OwnerPlaces {
        // The finite frames, ordered by the x of their centres (list order among equal ones).
        std::vector<Place> byCentreX;
        // The position of the finite frame with the greatest left edge, the earliest of equals.
        std::optional<std::size_t> rightmost;

        friend bool operator==(const OwnerPlaces&, const OwnerPlaces&) = default;
    };

    static OwnerPlaces placesOf(const std::vector<CGRect>& frames);

    // Positions in `framesByOwnerName`, ordered by owner name; made with it by the constructor.
    std::vector<std::size_t> ownersInNameOrder;
    // The place index of each owner, at the owner's position.
    std::vector<OwnerPlaces> placesByOwner;
};

} // namespace QelCore
