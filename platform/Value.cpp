#include "platform/Value.h"

namespace platform {

namespace {
template <typename T, typename Storage> std::optional<T> held(const Storage& storage) {
    if (const T* value = std::get_if<T>(&storage)) {
        return *value;
    }
    return std::nullopt;
}

template <typename T, typename Convert>
std::optional<std::vector<T>> listOf(const Value::List* list, Convert convert) {
    if (list == nullptr) {
        return std::nullopt;
    }
    std::vector<T> result;
    result.reserve(list->size());
    for (const Value& entry : *list) {
        auto converted = convert(entry);
        if (!converted) {
            return std::nullopt;
        }
        result.push_back(std::move(*converted));
    }
    return result;
}
} // namespace

std::optional<bool> Value::boolean() const {
    return held<bool>(storage_);
}

std::optional<std::int64_t> Value::integer() const {
    return held<std::int64_t>(storage_);
}

std::optional<double> Value::number() const {
    if (auto value = integer()) {
        return static_cast<double>(*value);
    }
    return held<double>(storage_);
}

const std::string* Value::string() const {
    return std::get_if<std::string>(&storage_);
}

std::optional<CGPoint> Value::point() const {
    return held<CGPoint>(storage_);
}

std::optional<CGSize> Value::size() const {
    return held<CGSize>(storage_);
}

std::optional<AXUIElement> Value::element() const {
    return held<AXUIElement>(storage_);
}

const Value::List* Value::list() const {
    const auto* list = std::get_if<std::shared_ptr<const List>>(&storage_);
    return list ? list->get() : nullptr;
}

const Value::Dictionary* Value::dictionary() const {
    const auto* dictionary = std::get_if<std::shared_ptr<const Dictionary>>(&storage_);
    return dictionary ? dictionary->get() : nullptr;
}

const Value* Value::find(std::string_view key) const {
    const Dictionary* entries = dictionary();
    if (entries == nullptr) {
        return nullptr;
    }
    auto found = entries->find(key);
    return found == entries->end() ? nullptr : &found->second;
}

std::optional<std::vector<AXUIElement>> Value::elements() const {
    return listOf<AXUIElement>(list(), [](const Value& entry) { return entry.element(); });
}

std::optional<std::vector<std::string>> Value::strings() const {
    return listOf<std::string>(list(), [](const Value& entry) {
        const std::string* text = entry.string();
        return text ? std::optional<std::string>(*text) : std::nullopt;
    });
}

bool operator==(const Value& a, const Value& b) {
    if (a.kind() != b.kind()) {
        return false;
    }
    if (const Value::List* list = a.list()) {
        return *list == *b.list();
    }
    if (const Value::Dictionary* dictionary = a.dictionary()) {
        return *dictionary == *b.dictionary();
    }
    return a.storage_ == b.storage_;
}

} // namespace platform
