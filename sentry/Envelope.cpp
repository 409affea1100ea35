#include "sentry/Envelope.h"

#include "sentry/JsonFields.h"

namespace sentry {

namespace {

std::optional<nlohmann::json> objectFrom(std::string_view line) {
    auto value = nlohmann::json::parse(line, nullptr, false);
    if (!value.is_object()) {
        return std::nullopt;
    }
    return value;
}

// The text up to the next newline (or the end), and the rest after that newline.
std::pair<std::string_view, std::string_view> splitLine(std::string_view text) {
    const auto newline = text.find('\n');
    if (newline == std::string_view::npos) {
        return {text, {}};
    }
    return {text.substr(0, newline), text.substr(newline + 1)};
}

} // namespace

Envelope Envelope::forEvent(const nlohmann::json& event) {
    Envelope envelope;
    if (event.contains("event_id")) {
        envelope.header["event_id"] = event["event_id"];
    }
    envelope.items.push_back({{{"type", "event"}}, JsonFields::compact(event)});
    return envelope;
}

std::string Envelope::serialized() const {
    std::string text = JsonFields::compact(header) + "\n";
    for (const auto& item : items) {
        auto itemHeader = item.header;
        itemHeader["length"] = item.payload.size();
        text += JsonFields::compact(itemHeader) + "\n" + item.payload + "\n";
    }
    return text;
}

std::optional<Envelope> Envelope::parse(std::string_view text) {
    auto [headerLine, rest] = splitLine(text);
    auto header = objectFrom(headerLine);
    if (!header) {
        return std::nullopt;
    }
    Envelope envelope;
    envelope.header = std::move(*header);
    while (!rest.empty()) {
        auto [itemLine, afterHeader] = splitLine(rest);
        if (itemLine.empty() && afterHeader.empty()) {
            break; // a trailing newline
        }
        auto itemHeader = objectFrom(itemLine);
        if (!itemHeader) {
            return std::nullopt;
        }
        std::string_view payload;
        if (itemHeader->contains("length")) {
            const auto& length = (*itemHeader)["length"];
            if (!length.is_number_unsigned() || length.get<std::uint64_t>() > afterHeader.size()) {
                return std::nullopt;
            }
            payload = afterHeader.substr(0, length.get<std::size_t>());
            rest = afterHeader.substr(payload.size());
            if (!rest.empty() && rest.front() == '\n') {
                rest.remove_prefix(1);
            }
        } else {
            std::tie(payload, rest) = splitLine(afterHeader);
        }
        envelope.items.push_back({std::move(*itemHeader), std::string(payload)});
    }
    return envelope;
}

std::optional<nlohmann::json> Envelope::eventPayload() const {
    for (const auto& item : items) {
        if (JsonFields::text(item.header, "type") == "event") {
            return objectFrom(item.payload);
        }
    }
    return std::nullopt;
}

} // namespace sentry
