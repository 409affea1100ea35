#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace update {

// The symbolic links an extraction has written so far, by their path inside the target folder,
// so that every link and hard link is judged by where it really leads: a link is read through
// the links before it ("b" → "a/.." leaves the folder when "a" → "."), not on its own.
//
// The work is bounded: a path read through links stops (and counts as leading out) once it is
// deeper than `maxDepth`, and all readings together may look up at most `maxLookupBytes` of
// paths, after which every link counts as leading out and `exhausted` says why.
class ExtractedLinks {
public:
    // Far more than any application's links need.
    static constexpr std::uint64_t maxLookupBytes = std::uint64_t{64} << 20;

    explicit ExtractedLinks(std::size_t maxDepth) : maxDepth(maxDepth) {}

    // Notes the entry written at `path`: it replaces any link there, and is one when `target`
    // is given.
    void record(std::string_view path, std::optional<std::string_view> target);
    // Whether a hard link to `target` stays inside: its folders are read through the links
    // written so far (the link itself names the last component, not what that points to).
    // A hard link to a symbolic link is noted as a link of its own at `path`.
    bool admitHardLink(std::string_view path, std::string_view target);
    // The first symbolic link that leads outside the folder or into a loop; none when all stay
    // inside. Called once every entry is written.
    std::optional<std::string> firstEscapingLink();
    // Whether the links took more reading than allowed.
    bool exhausted() const { return lookedUp > maxLookupBytes; }

private:
    using Components = std::vector<std::string>;
    // `components`, read from the top of the folder, with every link on the way replaced by
    // where it points (the last component too when `followLast`); none when the path climbs
    // above the folder, passes through too many links, goes deeper than `maxDepth` or the
    // reading is over its budget.
    std::optional<Components> resolve(Components components, bool followLast);

    std::map<std::string, std::string, std::less<>> targets;
    std::size_t maxDepth;
    std::uint64_t lookedUp = 0;
};

} // namespace update
