#include "update/ExtractedLinks.h"

#include <deque>

namespace update {
namespace {

// As many links as one path may pass through before it counts as a loop (the kernel's own
// limit).
constexpr int maxLinksFollowed = 40;

// The components of a relative path, without empty and "." ones; ".." stays.
std::vector<std::string> split(std::string_view path) {
    std::vector<std::string> components;
    while (!path.empty()) {
        const auto slash = path.find('/');
        const auto component = path.substr(0, slash);
        if (!component.empty() && component != ".") {
            components.emplace_back(component);
        }
        path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
    }
    return components;
}

std::string join(const std::vector<std::string>& components) {
    std::string path;
    for (const auto& component : components) {
        if (!path.empty()) {
            path += '/';
        }
        path += component;
    }
    return path;
}

} // namespace

void ExtractedLinks::record(std::string_view path, std::optional<std::string_view> target) {
    const auto key = join(split(path));
    targets.erase(key);
    if (target) {
        targets.emplace(key, std::string(*target));
    }
}

bool ExtractedLinks::admitHardLink(std::string_view path, std::string_view target) {
    auto components = split(target);
    if (target.starts_with('/') || components.empty()) {
        return false;
    }
    auto name = std::move(components.back());
    components.pop_back();
    auto resolved = resolve(std::move(components), true);
    if (!resolved) {
        return false;
    }
    resolved->push_back(std::move(name));
    const auto linked = targets.find(join(*resolved));
    // A second name of a symbolic link is a link read from its own folder.
    if (linked != targets.end()) {
        const std::string linkTarget = linked->second;
        record(path, linkTarget);
    } else {
        record(path, std::nullopt);
    }
    return true;
}

std::optional<std::string> ExtractedLinks::firstEscapingLink() {
    for (const auto& [path, target] : targets) {
        auto components = split(path);
        components.pop_back();
        const auto pointed = split(target);
        components.insert(components.end(), pointed.begin(), pointed.end());
        if (target.empty() || target.starts_with('/') || !resolve(std::move(components), true)) {
            return path;
        }
    }
    return std::nullopt;
}

std::optional<ExtractedLinks::Components> ExtractedLinks::resolve(Components components,
                                                                  bool followLast) {
    std::deque<std::string> pending(std::make_move_iterator(components.begin()),
                                    std::make_move_iterator(components.end()));
    Components resolved;
    int followed = 0;
    while (!pending.empty()) {
        auto component = std::move(pending.front());
        pending.pop_front();
        if (component == "..") {
            if (resolved.empty()) {
                return std::nullopt;
            }
            resolved.pop_back();
            continue;
        }
        resolved.push_back(std::move(component));
        if (resolved.size() > maxDepth) {
            return std::nullopt;
        }
        if (pending.empty() && !followLast) {
            break;
        }
        const auto path = join(resolved);
        lookedUp += path.size();
        if (exhausted()) {
            return std::nullopt;
        }
        const auto link = targets.find(path);
        if (link == targets.end()) {
            continue;
        }
        if (++followed > maxLinksFollowed || link->second.starts_with('/')) {
            return std::nullopt;
        }
        // The link is read from the folder that holds it.
        resolved.pop_back();
        const auto pointed = split(link->second);
        pending.insert(pending.begin(), pointed.begin(), pointed.end());
    }
    return resolved;
}

} // namespace update
