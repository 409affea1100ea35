#pragma once

#include <string>

namespace Parlowen {

// Where the application's updater stands, as the preferences show it. Equal by case and
// payload; the factories leave the payload of other cases empty.
struct UpdaterStatus {
    enum class Case {
        updateAvailable,
        downloading,
        downloaded,
        installing,
        failed,
        idle,
        checking,
        latest
    };

    Case kind = Case::idle;
    // The display version and criticality of the update (the four update cases).
    std::string version;
    bool critical = false;
    // The error's text (`failed`).
    std::string message;

    static UpdaterStatus updateAvailable(std::string version, bool critical) {
        return {Case::updateAvailable, std::move(version), critical, {}};
    }
    static UpdaterStatus downloading(std::string version, bool critical) {
        return {Case::downloading, std::move(version), critical, {}};
    }
    static UpdaterStatus downloaded(std::string version, bool critical) {
        return {Case::downloaded, std::move(version), critical, {}};
    }
    static UpdaterStatus installing(std::string version, bool critical) {
        return {Case::installing, std::move(version), critical, {}};
    }
    static UpdaterStatus failed(std::string message) {
        return {Case::failed, {}, false, std::move(message)};
    }
    static UpdaterStatus idle() { return {}; }
    static UpdaterStatus checking() { return {Case::checking, {}, false, {}}; }
    static UpdaterStatus latest() { return {Case::latest, {}, false, {}}; }

    friend bool operator==(const UpdaterStatus&, const UpdaterStatus&) = default;
};

} // namespace Parlowen
