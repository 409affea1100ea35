#pragma once

#include <cstdint>
#include <string_view>

// The macOS Accessibility names and result codes the program uses, with their macOS values.
namespace platform {

using AXError = std::int32_t;

inline constexpr AXError kAXErrorSuccess = 0;
inline constexpr AXError kAXErrorFailure = -25200;
inline constexpr AXError kAXErrorIllegalArgument = -25201;
inline constexpr AXError kAXErrorInvalidUIElement = -25202;
inline constexpr AXError kAXErrorInvalidUIElementObserver = -25203;
inline constexpr AXError kAXErrorCannotComplete = -25204;
inline constexpr AXError kAXErrorAttributeUnsupported = -25205;
inline constexpr AXError kAXErrorActionUnsupported = -25206;
inline constexpr AXError kAXErrorNotificationUnsupported = -25207;
inline constexpr AXError kAXErrorNotificationAlreadyRegistered = -25209;
inline constexpr AXError kAXErrorNotificationNotRegistered = -25210;
inline constexpr AXError kAXErrorAPIDisabled = -25211;
inline constexpr AXError kAXErrorNoValue = -25212;

inline constexpr std::string_view kAXMenuBarAttribute = "AXMenuBar";
inline constexpr std::string_view kAXExtrasMenuBarAttribute = "AXExtrasMenuBar";
inline constexpr std::string_view kAXChildrenAttribute = "AXChildren";
inline constexpr std::string_view kAXRoleAttribute = "AXRole";
inline constexpr std::string_view kAXSubroleAttribute = "AXSubrole";
inline constexpr std::string_view kAXTitleAttribute = "AXTitle";
inline constexpr std::string_view kAXDescriptionAttribute = "AXDescription";
inline constexpr std::string_view kAXHelpAttribute = "AXHelp";
inline constexpr std::string_view kAXValueAttribute = "AXValue";
inline constexpr std::string_view kAXValueDescriptionAttribute = "AXValueDescription";
inline constexpr std::string_view kAXIdentifierAttribute = "AXIdentifier";
inline constexpr std::string_view kAXPositionAttribute = "AXPosition";
inline constexpr std::string_view kAXSizeAttribute = "AXSize";

inline constexpr std::string_view kAXPressAction = "AXPress";
inline constexpr std::string_view kAXShowMenuAction = "AXShowMenu";
inline constexpr std::string_view kAXCancelAction = "AXCancel";

inline constexpr std::string_view kAXMenuOpenedNotification = "AXMenuOpened";
inline constexpr std::string_view kAXWindowCreatedNotification = "AXWindowCreated";

inline constexpr std::string_view kAXApplicationRole = "AXApplication";
inline constexpr std::string_view kAXMenuBarRole = "AXMenuBar";
inline constexpr std::string_view kAXMenuBarItemRole = "AXMenuBarItem";
inline constexpr std::string_view kAXMenuRole = "AXMenu";
inline constexpr std::string_view kAXMenuItemRole = "AXMenuItem";
inline constexpr std::string_view kAXMenuExtraSubrole = "AXMenuExtra";

} // namespace platform
