#include "runtime/AXHelpers.h"

namespace QelRuntime::AXHelpers {

namespace {

std::optional<platform::Value> copied(platform::Accessibility& accessibility,
                                      const platform::AXUIElement& element, std::string_view name) {
    platform::AXCopyResult result = accessibility.copyAttributeValue(element, name);
    if (result.error != platform::kAXErrorSuccess || result.value.isAbsent()) {
        return std::nullopt;
    }
    return std::move(result.value);
}

} // namespace

template <>
std::optional<std::string> attribute(platform::Accessibility& accessibility,
                                     const platform::AXUIElement& element, std::string_view name) {
    const auto value = copied(accessibility, element, name);
    const std::string* text = value ? value->string() : nullptr;
    return text ? std::optional<std::string>(*text) : std::nullopt;
}

template <>
std::optional<platform::AXUIElement> attribute(platform::Accessibility& accessibility,
                                               const platform::AXUIElement& element,
                                               std::string_view name) {
    const auto value = copied(accessibility, element, name);
    return value ? value->element() : std::nullopt;
}

template <>
std::optional<std::vector<platform::AXUIElement>> attribute(platform::Accessibility& accessibility,
                                                            const platform::AXUIElement& element,
                                                            std::string_view name) {
    const auto value = copied(accessibility, element, name);
    return value ? value->elements() : std::nullopt;
}

template <>
std::optional<platform::Value> attribute(platform::Accessibility& accessibility,
                                         const platform::AXUIElement& element,
                                         std::string_view name) {
    auto value = copied(accessibility, element, name);
    if (!value) {
        return std::nullopt;
    }
    const auto kind = value->kind();
    if (kind != platform::Value::Kind::point && kind != platform::Value::Kind::size) {
        return std::nullopt;
    }
    return value;
}

std::optional<platform::CGPoint> cgPointAttribute(platform::Accessibility& accessibility,
                                                  const platform::AXUIElement& element,
                                                  std::string_view name) {
    const auto value = attribute<platform::Value>(accessibility, element, name);
    const auto point = value ? value->point() : std::nullopt;
    return point && point->isFinite() ? point : std::nullopt;
}

std::optional<platform::CGSize> cgSizeAttribute(platform::Accessibility& accessibility,
                                                const platform::AXUIElement& element,
                                                std::string_view name) {
    const auto value = attribute<platform::Value>(accessibility, element, name);
    const auto size = value ? value->size() : std::nullopt;
    return size && size->isFinite() ? size : std::nullopt;
}

std::vector<std::string> actions(platform::Accessibility& accessibility,
                                 const platform::AXUIElement& element) {
    const platform::AXCopyResult result = accessibility.copyActionNames(element);
    if (result.error != platform::kAXErrorSuccess) {
        return {};
    }
    return result.value.strings().value_or(std::vector<std::string>());
}

} // namespace QelRuntime::AXHelpers
