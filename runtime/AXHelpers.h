#pragma once

#include "platform/Accessibility.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Readers of one Accessibility element; each makes exactly one copy call and turns a failed
// call, a missing value or a value of another type into an empty answer.
namespace QelRuntime::AXHelpers {

// The attribute's value as T when the call succeeds and the value has that type. T is one of:
// std::string; platform::AXUIElement; std::vector<platform::AXUIElement> (a list of elements
// only); platform::Value standing for an AXValue (a point or a size).
template <typename T>
std::optional<T> attribute(platform::Accessibility& accessibility,
                           const platform::AXUIElement& element, std::string_view name);

template <>
std::optional<std::string> attribute(platform::Accessibility& accessibility,
                                     const platform::AXUIElement& element, std::string_view name);
template <>
std::optional<platform::AXUIElement> attribute(platform::Accessibility& accessibility,
                                               const platform::AXUIElement& element,
                                               std::string_view name);
template <>
std::optional<std::vector<platform::AXUIElement>> attribute(platform::Accessibility& accessibility,
                                                            const platform::AXUIElement& element,
                                                            std::string_view name);
template <>
std::optional<platform::Value> attribute(platform::Accessibility& accessibility,
                                         const platform::AXUIElement& element,
                                         std::string_view name);

// A point value with finite coordinates; anything else counts as unreadable.
std::optional<platform::CGPoint> cgPointAttribute(platform::Accessibility& accessibility,
                                                  const platform::AXUIElement& element,
                                                  std::string_view name);
// A size value with finite sides; anything else counts as unreadable.
std::optional<platform::CGSize> cgSizeAttribute(platform::Accessibility& accessibility,
                                                const platform::AXUIElement& element,
                                                std::string_view name);
// The advertised action names in the order returned; empty when unreadable or not all strings.
std::vector<std::string> actions(platform::Accessibility& accessibility,
                                 const platform::AXUIElement& element);

} // namespace QelRuntime::AXHelpers
