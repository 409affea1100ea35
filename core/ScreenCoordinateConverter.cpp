#include "core/ScreenCoordinateConverter.h"

#include <algorithm>

namespace QelCore::ScreenCoordinateConverter {

CGRect axRectToCocoa(const CGRect& rect, CGFloat primaryScreenHeight) {
    if (rect.isEmpty()) {
        return rect;
    }
    return {rect.origin.x, primaryScreenHeight - rect.origin.y - rect.size.height, rect.size.width,
            rect.size.height};
}

CGPoint axPointToCocoa(CGPoint point, CGFloat primaryScreenHeight) {
    return {point.x, primaryScreenHeight - point.y};
}

std::optional<ScreenSnapshot> primaryScreen(const std::vector<ScreenSnapshot>& screens) {
    if (screens.empty()) {
        return std::nullopt;
    }
    const auto atOrigin = std::find_if(screens.begin(), screens.end(), [](const auto& screen) {
        return screen.frame.origin == CGPoint{0, 0};
    });
    return atOrigin != screens.end() ? *atOrigin : screens.front();
}

CGFloat primaryScreenHeight(const std::vector<ScreenSnapshot>& screens) {
    const auto primary = primaryScreen(screens);
    return primary ? primary->frame.height() : 0;
}

} // namespace QelCore::ScreenCoordinateConverter
