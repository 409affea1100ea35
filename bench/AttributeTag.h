#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// A start tag of `element` with as many differently named attributes as fit in `bytes`, the
// shortest names first ("a" to "z", "aa", ...): the parser compares each name with all those
// before it in the tag.
inline std::string attributeTag(std::size_t bytes, std::string_view element = "p") {
    std::string tag = "<" + std::string(element);
    for (std::size_t index = 0; tag.size() < bytes; ++index) {
        std::string name;
        for (auto rest = index + 1; rest > 0; rest = (rest - 1) / 26) {
            name.insert(name.begin(), static_cast<char>('a' + (rest - 1) % 26));
        }
        tag += " " + name;
    }
    return tag + ">";
}
