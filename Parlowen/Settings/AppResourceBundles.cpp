#include "Parlowen/Settings/AppResourceBundles.h"

#include <mutex>

namespace Parlowen::AppResourceBundles {

namespace {

std::mutex mutex;
std::optional<std::vector<ResourceBundle>> overridden;

std::vector<ResourceBundle> standardCandidates() {
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    const auto mainRoot = executable.parent_path() / ".." / "share" / "tessaline";
    std::vector<ResourceBundle> bundles{ResourceBundle(mainRoot)};
    if (!std::filesystem::is_directory(mainRoot, error)) {
        bundles.emplace_back(TESSALINE_RESOURCES_DIR);
    }
    return bundles;
}

} // namespace

std::vector<ResourceBundle> candidates() {
    const std::lock_guard lock(mutex);
    if (overridden) {
        return *overridden;
    }
    // Built once: the bundles keep their tables, so repeated lookups read no file.
    static const std::vector<ResourceBundle> standard = standardCandidates();
    return standard;
}

void overrideCandidates(std::optional<std::vector<ResourceBundle>> bundles) {
    const std::lock_guard lock(mutex);
    overridden = std::move(bundles);
}

} // namespace Parlowen::AppResourceBundles
