#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sentry {

// The unit the server accepts: a header line and items, each an item header line and a payload.
struct Envelope {
    struct Item {
        nlohmann::json header;
        std::string payload;
    };

    nlohmann::json header = nlohmann::json::object();
    std::vector<Item> items;

    // An envelope holding one event payload.
    static Envelope forEvent(const nlohmann::json& event);

    // The wire form: each item header carries the payload's length.
    std::string serialized() const;

    // An envelope in wire form, with or without item lengths; none when a header is not a JSON
    // object, a length is not a whole number or runs past the end.
    static std::optional<Envelope> parse(std::string_view text);

    // The payload of the first item of type "event", parsed; none when there is none.
    std::optional<nlohmann::json> eventPayload() const;
};

} // namespace sentry
