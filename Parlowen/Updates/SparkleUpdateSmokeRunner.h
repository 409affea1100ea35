#pragma once

#include "Parlowen/Updates/SmokeUserDriver.h"
#include "platform/RunLoop.h"
#include "platform/UserDefaults.h"
#include "update/SPUUpdater.h"

#include <iosfwd>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace Parlowen {

// The unattended "--update-smoke" launch mode: drives one update cycle against a given feed
// with a scripted user driver and prints each step as an "update-smoke ..." line. Exit status
// 0 once the update was downloaded, verified and extracted, 1 on any failure or time-out, 2
// for bad arguments.
class SparkleUpdateSmokeRunner final : public update::SPUUpdaterDelegate {
public:
    struct Configuration {
        // An error of the command line, with the text printed for it.
        struct Error {
            enum class Case { invalidTimeout, missingFeedURL };
            Case kind = Case::missingFeedURL;
            // The rejected time-out, trimmed (`invalidTimeout`).
            std::string value;

            std::string description() const;
            friend bool operator==(const Error&, const Error&) = default;
        };

        static constexpr double defaultTimeout = 120;
        // Longer time-outs are shortened to one day: the run is meant to end.
        static constexpr double maximumTimeout = 86400;

        std::string feedURL;
        double timeout = defaultTimeout;

        // Reads "--feed-url <http(s) URL>" (required) and "--timeout <seconds>" (a finite
        // decimal number greater than 0). A bad feed URL is reported before a bad time-out.
        static std::variant<Configuration, Error>
        fromArguments(const std::vector<std::string>& arguments);

        friend bool operator==(const Configuration&, const Configuration&) = default;
    };

    // What the run uses of the application: its bundle information, user defaults, main loop
    // and the two output streams.
    struct Context {
        update::UpdateHost host;
        platform::UserDefaults& defaults;
        platform::RunLoop& mainLoop;
        std::ostream& output;
        std::ostream& errorOutput;
    };

    // Parses the arguments, runs the cycle on the main loop until it completes, and answers the
    // exit status.
    static int run(const std::vector<std::string>& arguments, Context context);

    SparkleUpdateSmokeRunner(Configuration configuration, Context context);
    ~SparkleUpdateSmokeRunner() override;

    // Starts the cycle (the application finished launching).
    void applicationDidFinishLaunching();
    bool isCompleted() const { return completed; }
    int exitCode() const { return exitCode_; }

    std::optional<std::string> feedURLString(update::SPUUpdater&) override;
    void didFindValidUpdate(update::SPUUpdater&, const update::SUAppcastItem& item) override;
    void updaterDidNotFindUpdate(update::SPUUpdater&, const update::UpdateError& error) override;
    void willDownloadUpdate(update::SPUUpdater&, const update::SUAppcastItem& item) override;
    void didDownloadUpdate(update::SPUUpdater&, const update::SUAppcastItem& item) override;
    void failedToDownloadUpdate(update::SPUUpdater&, const update::SUAppcastItem&,
                                const update::UpdateError& error) override;
    void didAbortWithError(update::SPUUpdater&, const update::UpdateError& error) override;
    void didFinishUpdateCycleFor(update::SPUUpdater&, update::SPUUpdateCheck,
                                 const std::optional<update::UpdateError>& error) override;

private:
    void print(const std::string& text);
    void complete(bool success, const std::string& message);

    Configuration configuration;
    Context context;
    std::unique_ptr<SmokeUserDriver> userDriver;
    std::unique_ptr<update::SPUUpdater> updater;
    int exitCode_ = 1;
    bool completed = false;
    // The time-out and the driver's closures hold this weakly.
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);
};

} // namespace Parlowen
