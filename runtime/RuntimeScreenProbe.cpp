#include "runtime/RuntimeScreenProbe.h"

#include "core/NumberText.h"

#include <charconv>
#include <cmath>
#include <string_view>
#include <system_error>

namespace QelRuntime::RuntimeScreenProbe {

namespace {

using platform::CGFloat;
using platform::CGRect;

std::string nonFiniteText(CGFloat value) {
    if (std::isnan(value)) {
        return "nan";
    }
    return value < 0 ? "-inf" : "inf";
}

// The shortest text that reads back as the same double, with at least one digit after the
// point ("0.0", "32.0"); very small or large magnitudes in exponent form ("1e-05", "1e+16").
std::string decimalText(CGFloat value) {
    if (!std::isfinite(value)) {
        return nonFiniteText(value);
    }
    char text[64];
    const CGFloat magnitude = std::fabs(value);
    const bool exponent = magnitude != 0 && (magnitude < 1e-4 || magnitude >= 0x1.0p54);
    const auto [end, error] =
        std::to_chars(text, text + sizeof text, value,
                      exponent ? std::chars_format::scientific : std::chars_format::fixed);
    if (error != std::errc()) {
        return "0.0";
    }
    std::string result(text, end);
    if (exponent) {
        // "1e-05" and "1e+16": a sign and at least two exponent digits.
        const std::size_t e = result.find('e');
        const bool negative = result[e + 1] == '-';
        const std::size_t digitsStart = e + 1 + ((negative || result[e + 1] == '+') ? 1 : 0);
        const std::string_view digits = std::string_view(result).substr(digitsStart);
        std::string formatted(result, 0, e + 1);
        formatted += negative ? '-' : '+';
        if (digits.size() < 2) {
            formatted += '0';
        }
        formatted += digits;
        return formatted;
    }
    if (result.find('.') == std::string::npos) {
        result += ".0";
    }
    return result;
}

std::string stringify(const CGRect& rect) {
    return "(x:" + QelCore::truncatedDecimal(rect.origin.x) +
           ", y:" + QelCore::truncatedDecimal(rect.origin.y) +
           ", w:" + QelCore::truncatedDecimal(rect.size.width) +
           ", h:" + QelCore::truncatedDecimal(rect.size.height) + ")";
}

std::string block(const QelCore::ScreenSnapshot& screen) {
    const QelCore::EdgeInsetsSnapshot& insets = screen.safeAreaInsets;
    return "screen=" + screen.id + "\n  frame=" + stringify(screen.frame) +
           "\n  visibleFrame=" + stringify(screen.visibleFrame) +
           "\n  safeAreaInsets=top:" + decimalText(insets.top) +
           " left:" + decimalText(insets.left) + " bottom:" + decimalText(insets.bottom) +
           " right:" + decimalText(insets.right) +
           "\n  auxiliaryTopLeftArea=" + stringify(screen.auxiliaryTopLeftArea) +
           "\n  auxiliaryTopRightArea=" + stringify(screen.auxiliaryTopRightArea);
}

} // namespace

std::vector<QelCore::ScreenSnapshot> captureScreens(platform::Displays& displays) {
    std::vector<QelCore::ScreenSnapshot> snapshots;
    const std::vector<platform::Screen> screens = displays.screens();
    snapshots.reserve(screens.size());
    for (std::size_t index = 0; index < screens.size(); ++index) {
        const platform::Screen& screen = screens[index];
        snapshots.push_back({
            .id = screen.localizedName + "#" + std::to_string(index),
            .frame = screen.frame,
            .visibleFrame = screen.visibleFrame,
            .safeAreaInsets = {screen.safeAreaInsets.top, screen.safeAreaInsets.left,
                               screen.safeAreaInsets.bottom, screen.safeAreaInsets.right},
            .auxiliaryTopLeftArea = screen.auxiliaryTopLeftArea.value_or(CGRect::zero()),
            .auxiliaryTopRightArea = screen.auxiliaryTopRightArea.value_or(CGRect::zero()),
        });
    }
    return snapshots;
}

std::string describe(const std::vector<QelCore::ScreenSnapshot>& screens) {
    std::string text;
    for (const QelCore::ScreenSnapshot& screen : screens) {
        if (!text.empty()) {
            text += '\n';
        }
        text += block(screen);
    }
    return text;
}

const QelCore::ScreenSnapshot* matchingScreen(const CGRect& rect,
                                              const std::vector<QelCore::ScreenSnapshot>& screens) {
    for (const QelCore::ScreenSnapshot& screen : screens) {
        if (screen.frame.intersects(rect) || screen.auxiliaryTopRightArea.intersects(rect)) {
            return &screen;
        }
    }
    return nullptr;
}

} // namespace QelRuntime::RuntimeScreenProbe
