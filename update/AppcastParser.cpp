#include "update/AppcastParser.h"

#include <pugixml.hpp>

#include <charconv>
#include <string>

namespace update::AppcastParser {
namespace {

std::string trimmed(std::string_view text) {
    const auto* whitespace = " \t\r\n\f\v";
    const auto first = text.find_first_not_of(whitespace);
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(whitespace);
    return std::string(text.substr(first, last - first + 1));
}

// The namespace bound to `prefix` where `node` stands, searching its ancestors; empty if none.
std::string_view namespaceOf(pugi::xml_node node, std::string_view prefix) {
    const std::string attributeName = "xmlns:" + std::string(prefix);
    for (; node; node = node.parent()) {
        if (const auto declaration = node.attribute(attributeName.c_str())) {
            return declaration.value();
        }
    }
    return {};
}

// Whether a qualified `name` used at `node` is `localName` of the update namespace.
bool isSparkleName(pugi::xml_node node, std::string_view name, std::string_view localName) {
    const auto colon = name.find(':');
    if (colon == std::string_view::npos || name.substr(colon + 1) != localName) {
        return false;
    }
    return namespaceOf(node, name.substr(0, colon)) == sparkleNamespace;
}

pugi::xml_node sparkleChild(pugi::xml_node parent, std::string_view localName) {
    for (auto child : parent.children()) {
        if (child.type() == pugi::node_element && isSparkleName(child, child.name(), localName)) {
            return child;
        }
    }
    return {};
}

std::string sparkleChildText(pugi::xml_node parent, std::string_view localName) {
    return trimmed(sparkleChild(parent, localName).child_value());
}

// Every value of the update-namespace attribute `localName` (a document may repeat one).
std::vector<std::string> sparkleAttributes(pugi::xml_node node, std::string_view localName) {
    std::vector<std::string> values;
    for (auto attribute : node.attributes()) {
        if (isSparkleName(node, attribute.name(), localName)) {
            values.push_back(trimmed(attribute.value()));
        }
    }
    return values;
}

std::string firstSparkleAttribute(pugi::xml_node node, std::string_view localName) {
    auto values = sparkleAttributes(node, localName);
    return values.empty() ? std::string() : values.front();
}

// Digits only and within 64 bits; anything else reads as unknown (0).
std::uint64_t parseLength(std::string_view text) {
    std::uint64_t value = 0;
    const auto* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end ? value : 0;
}

std::optional<std::string> parseSignature(pugi::xml_node enclosure) {
    const auto values = sparkleAttributes(enclosure, "edSignature");
    if (values.empty() || values.front().empty()) {
        return std::nullopt;
    }
    for (const auto& value : values) {
        if (value != values.front()) {
            return std::nullopt;
        }
    }
    return values.front();
}

bool isCritical(pugi::xml_node item) {
    if (sparkleChild(item, "criticalUpdate")) {
        return true;
    }
    const auto tags = sparkleChild(item, "tags");
    return tags && sparkleChild(tags, "criticalUpdate");
}

std::optional<SUAppcastItem> parseItem(pugi::xml_node node) {
    SUAppcastItem item;
    item.title = trimmed(node.child_value("title"));
    const auto enclosure = node.child("enclosure");
    item.versionString = sparkleChildText(node, "version");
    if (item.versionString.empty()) {
        item.versionString = firstSparkleAttribute(enclosure, "version");
    }
    if (item.versionString.empty()) {
        return std::nullopt;
    }
    item.displayVersionString = sparkleChildText(node, "shortVersionString");
    if (item.displayVersionString.empty()) {
        item.displayVersionString = firstSparkleAttribute(enclosure, "shortVersionString");
    }
    if (enclosure) {
        auto url = trimmed(enclosure.attribute("url").value());
        if (!url.empty()) {
            item.fileURL = std::move(url);
        }
        item.contentLength = parseLength(trimmed(enclosure.attribute("length").value()));
        item.edSignature = parseSignature(enclosure);
    }
    item.isCriticalUpdate = isCritical(node);
    if (auto notes = sparkleChildText(node, "releaseNotesLink"); !notes.empty()) {
        item.releaseNotesURL = std::move(notes);
    }
    return item;
}

} // namespace

std::variant<std::vector<SUAppcastItem>, UpdateError> parse(std::string_view xml) {
    pugi::xml_document document;
    const auto result =
        document.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_utf8);
    const auto channel = document.child("rss").child("channel");
    if (!result || !channel) {
        return UpdateError{UpdateErrorCode::appcastParse,
                           "An error occurred while parsing the update feed."};
    }
    std::vector<SUAppcastItem> items;
    for (auto node : channel.children("item")) {
        if (auto item = parseItem(node)) {
            items.push_back(std::move(*item));
        }
    }
    return items;
}

} // namespace update::AppcastParser
