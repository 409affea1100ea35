#include "platform/linux/BundleInfoFile.h"

#include <nlohmann/json.hpp>

#include <fstream>

namespace platform::native {
namespace {

constexpr std::size_t maxInfoFileBytes = 64 * 1024;

} // namespace

std::unique_ptr<InMemoryBundleInfo> bundleInfoAt(const std::filesystem::path& folder) {
    std::ifstream stream(folder / bundleInfoFileName, std::ios::binary);
    if (!stream) {
        return nullptr;
    }
    std::string text(maxInfoFileBytes + 1, '\0');
    stream.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(stream.gcount()));
    if (stream.bad() || text.size() > maxInfoFileBytes) {
        return nullptr;
    }
    const auto json = nlohmann::json::parse(text, nullptr, false);
    if (!json.is_object()) {
        return nullptr;
    }
    std::optional<std::string> identifier;
    Value::Dictionary info;
    for (const auto& [key, value] : json.items()) {
        if (!value.is_string()) {
            continue;
        }
        if (key == "CFBundleIdentifier") {
            identifier = value.get<std::string>();
        }
        info.emplace(key, value.get<std::string>());
    }
    return std::make_unique<InMemoryBundleInfo>(std::move(identifier), folder.string(),
                                                std::move(info));
}

} // namespace platform::native
