#include "Parlowen/Updates/SparkleUpdateSmokeRunner.h"

#include "core/CommandLineArguments.h"
#include "core/LineEscaping.h"
#include "core/TextFolding.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ostream>

namespace Parlowen {
namespace {

// The trimmed value after the first `flag`; none when absent or blank.
std::optional<std::string> valueAfter(const std::string& flag,
                                      const std::vector<std::string>& arguments) {
    const auto argument = QelCore::CommandLineArguments::valueAfter(arguments, flag);
    if (!argument) {
        return std::nullopt;
    }
    auto value = QelCore::TextFolding::trimmed(*argument);
    return value.empty() ? std::nullopt : std::optional(std::move(value));
}

// A decimal number that uses the whole text (C locale, an optional leading "+").
std::optional<double> parseSeconds(std::string_view text) {
    if (text.starts_with('+')) {
        text.remove_prefix(1);
    }
    double value = 0;
    const auto* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value, std::chars_format::general);
    if (text.empty() || result.ec != std::errc() || result.ptr != end) {
        return std::nullopt;
    }
    return value;
}

// A number as the default text of a floating-point value: "120.0", "0.5".
std::string floatingText(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, result.ptr);
    if (text.find_first_of(".e") == std::string::npos) {
        text += ".0";
    }
    return text;
}

} // namespace

std::string SparkleUpdateSmokeRunner::Configuration::Error::description() const {
    switch (kind) {
    case Case::invalidTimeout:
        return "--timeout must be a positive number, got " + value;
    case Case::missingFeedURL:
        return "--update-smoke requires --feed-url <https://.../appcast.xml>";
    }
    return {};
}

std::variant<SparkleUpdateSmokeRunner::Configuration,
             SparkleUpdateSmokeRunner::Configuration::Error>
SparkleUpdateSmokeRunner::Configuration::fromArguments(const std::vector<std::string>& arguments) {
    const auto feedURL = valueAfter("--feed-url", arguments);
    if (!feedURL || !update::UpdateHost::isUsableFeedURL(*feedURL)) {
        return Error{Error::Case::missingFeedURL, {}};
    }
    Configuration configuration{*feedURL, defaultTimeout};
    if (const auto timeout = valueAfter("--timeout", arguments)) {
        const auto seconds = parseSeconds(*timeout);
        // NaN and infinity parse, but no timer can be armed with them.
        if (!seconds || !std::isfinite(*seconds) || *seconds <= 0) {
            return Error{Error::Case::invalidTimeout, *timeout};
        }
        configuration.timeout = std::min(*seconds, maximumTimeout);
    }
    return configuration;
}

int SparkleUpdateSmokeRunner::run(const std::vector<std::string>& arguments, Context context) {
    auto parsed = Configuration::fromArguments(arguments);
    if (const auto* error = std::get_if<Configuration::Error>(&parsed)) {
        context.errorOutput << "update-smoke error=" << error->description() << "\n";
        context.errorOutput.flush();
        return 2;
    }
    auto& loop = context.mainLoop;
    SparkleUpdateSmokeRunner runner(std::get<Configuration>(std::move(parsed)), std::move(context));
    runner.applicationDidFinishLaunching();
    while (!runner.isCompleted()) {
        loop.runFor(std::chrono::milliseconds(20));
    }
    return runner.exitCode();
}

SparkleUpdateSmokeRunner::SparkleUpdateSmokeRunner(Configuration configuration, Context context)
    : configuration(std::move(configuration)), context(std::move(context)) {}

SparkleUpdateSmokeRunner::~SparkleUpdateSmokeRunner() {
    // The updater calls back into this runner and its driver; it goes first.
    updater.reset();
}

void SparkleUpdateSmokeRunner::print(const std::string& text) {
    // The success or failure line stays the last one.
    if (completed) {
        return;
    }
    context.output << "update-smoke " << text << "\n";
    context.output.flush();
}

void SparkleUpdateSmokeRunner::applicationDidFinishLaunching() {
    print("start feedURL=" + configuration.feedURL);
    userDriver = std::make_unique<SmokeUserDriver>();
    userDriver->event = [this, alive = std::weak_ptr<bool>(alive)](const std::string& text) {
        if (!alive.expired()) {
            print(text);
        }
    };
    userDriver->complete = [this, alive = std::weak_ptr<bool>(alive)](bool success,
                                                                      const std::string& message) {
        if (!alive.expired()) {
            complete(success, message);
        }
    };
    updater = std::make_unique<update::SPUUpdater>(
        update::UpdaterEnvironment{context.host, context.defaults, context.mainLoop, std::nullopt},
        *userDriver, this);
    if (const auto error = updater->startUpdater()) {
        complete(false, error->localizedDescription);
        return;
    }
    context.mainLoop.postAfter(std::chrono::duration_cast<platform::Duration>(
                                   std::chrono::duration<double>(configuration.timeout)),
                               [this, alive = std::weak_ptr<bool>(alive)] {
                                   if (!alive.expired()) {
                                       complete(false, "Timed out after " +
                                                           floatingText(configuration.timeout) +
                                                           " seconds");
                                   }
                               });
    updater->checkForUpdates();
}

std::optional<std::string> SparkleUpdateSmokeRunner::feedURLString(update::SPUUpdater&) {
    return configuration.feedURL;
}

void SparkleUpdateSmokeRunner::didFindValidUpdate(update::SPUUpdater&,
                                                  const update::SUAppcastItem& item) {
    print("found version=" + item.versionString + " displayVersion=" + item.displayVersionString);
}

void SparkleUpdateSmokeRunner::updaterDidNotFindUpdate(update::SPUUpdater&,
                                                       const update::UpdateError& error) {
    complete(false, error.localizedDescription);
}

void SparkleUpdateSmokeRunner::willDownloadUpdate(update::SPUUpdater&,
                                                  const update::SUAppcastItem& item) {
    print("will-download version=" + item.versionString +
          " url=" + item.fileURL.value_or("unknown"));
}

void SparkleUpdateSmokeRunner::didDownloadUpdate(update::SPUUpdater&,
                                                 const update::SUAppcastItem& item) {
    print("downloaded version=" + item.versionString);
}

void SparkleUpdateSmokeRunner::failedToDownloadUpdate(update::SPUUpdater&,
                                                      const update::SUAppcastItem&,
                                                      const update::UpdateError& error) {
    complete(false, error.localizedDescription);
}

void SparkleUpdateSmokeRunner::didAbortWithError(update::SPUUpdater&,
                                                 const update::UpdateError& error) {
    complete(false, error.localizedDescription);
}

void SparkleUpdateSmokeRunner::didFinishUpdateCycleFor(
    update::SPUUpdater&, update::SPUUpdateCheck, const std::optional<update::UpdateError>& error) {
    if (error) {
        complete(false, error->localizedDescription);
    }
}

void SparkleUpdateSmokeRunner::complete(bool success, const std::string& message) {
    if (completed) {
        return;
    }
    print(std::string(success ? "success" : "failure") + " message=\"" +
          QelCore::LineEscaping::escaped(message) + "\"");
    completed = true;
    exitCode_ = success ? 0 : 1;
}

} // namespace Parlowen
