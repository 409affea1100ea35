#include "Parlowen/Updates/SparkleUpdateSmokeRunner.h"

#include "platform/InMemoryUserDefaults.h"
#include "platform/RealTimeRunLoop.h"
#include "platform/SystemClock.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/TemporaryFolder.h"
#include "tests/update/UpdateTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

namespace {

using Parlowen::SparkleUpdateSmokeRunner;
using Configuration = SparkleUpdateSmokeRunner::Configuration;
using Kind = UpdateTestSupport::ArchiveEntry::Kind;
using Framing = testsupport::HttpResponse::Framing;
using testing::HasSubstr;

std::variant<Configuration, Configuration::Error> parse(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"tessaline", "--update-smoke"});
    return Configuration::fromArguments(arguments);
}

TEST(SparkleUpdateSmokeConfiguration, ReadsFeedAndTimeout) {
    const auto feed = "https://updates.example/appcast.xml";
    struct Row {
        const char* name;
        std::vector<std::string> arguments;
        std::variant<Configuration, Configuration::Error> expected;
    };
    using Error = Configuration::Error;
    const Row rows[] = {
        {"default time-out", {"--feed-url", feed}, Configuration{feed, 120}},
        {"trimmed values",
         {"--feed-url", " \nHTTP://a.example/x\t", "--timeout", " 2.5 "},
         Configuration{"HTTP://a.example/x", 2.5}},
        {"first occurrence counts",
         {"--feed-url", feed, "--timeout", "3", "--timeout", "x", "--feed-url", "ftp://x"},
         Configuration{feed, 3}},
        {"huge time-out is capped",
         {"--feed-url", feed, "--timeout", "1e300"},
         Configuration{feed, Configuration::maximumTimeout}},
        {"missing feed", {"--timeout", "5"}, Error{Error::Case::missingFeedURL, {}}},
        {"blank feed", {"--feed-url", "  "}, Error{Error::Case::missingFeedURL, {}}},
        {"feed without scheme",
         {"--feed-url", "updates.example/appcast.xml"},
         Error{Error::Case::missingFeedURL, {}}},
        {"other scheme",
         {"--feed-url", "file:///tmp/appcast.xml"},
         Error{Error::Case::missingFeedURL, {}}},
        {"bad feed wins over bad time-out",
         {"--feed-url", "x", "--timeout", "-1"},
         Error{Error::Case::missingFeedURL, {}}},
        {"zero", {"--feed-url", feed, "--timeout", "0"}, Error{Error::Case::invalidTimeout, "0"}},
        {"negative",
         {"--feed-url", feed, "--timeout", "-3"},
         Error{Error::Case::invalidTimeout, "-3"}},
        {"not a number",
         {"--feed-url", feed, "--timeout", "ten"},
         Error{Error::Case::invalidTimeout, "ten"}},
        {"trailing text",
         {"--feed-url", feed, "--timeout", "5s"},
         Error{Error::Case::invalidTimeout, "5s"}},
        {"infinity",
         {"--feed-url", feed, "--timeout", "inf"},
         Error{Error::Case::invalidTimeout, "inf"}},
        {"not a number value",
         {"--feed-url", feed, "--timeout", "nan"},
         Error{Error::Case::invalidTimeout, "nan"}},
        {"overflow",
         {"--feed-url", feed, "--timeout", "1e999"},
         Error{Error::Case::invalidTimeout, "1e999"}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(parse(row.arguments), row.expected) << row.name;
    }
}

TEST(SparkleUpdateSmokeConfiguration, ErrorTexts) {
    using Error = Configuration::Error;
    EXPECT_EQ((Error{Error::Case::invalidTimeout, "-1"}).description(),
              "--timeout must be a positive number, got -1");
    EXPECT_EQ((Error{Error::Case::missingFeedURL, {}}).description(),
              "--update-smoke requires --feed-url <https://.../appcast.xml>");
}

// One smoke run against a loopback feed, with the installed application in a temporary folder.
class SparkleUpdateSmokeRunTest : public testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(installed());
        std::ofstream(installed() / "version.txt") << "1.0";
    }

    std::filesystem::path installed() const { return folder.path() / "Tessaline"; }
    std::filesystem::path staging() const { return folder.path() / ".Tessaline.update"; }

    // The application of `version` in its folder; without its Info file when `version` is
    // empty.
    static std::string signedArchive(const std::string& version = "2.0") {
        std::vector<UpdateTestSupport::ArchiveEntry> entries = {
            {"Tessaline", "", Kind::directory, ""},
            {"Tessaline/version.txt", version, Kind::file, ""}};
        if (!version.empty()) {
            entries.push_back(
                {"Tessaline/Info.json", UpdateTestSupport::infoFile(version), Kind::file, ""});
        }
        return UpdateTestSupport::makeTarGz(entries);
    }

    // Serves the archive under a feed announcing `version`, signed by `signature`; in pieces of
    // `pieceBytes` when set.
    void serve(const std::string& archive, const std::string& signature,
               const std::string& version = "2.0", std::optional<std::size_t> announced = {},
               Framing framing = Framing::length, std::size_t pieceBytes = 0) {
        server.respond("/Tessaline.tar.gz", {200, {}, archive, {}, framing, pieceBytes});
        server.respond("/appcast.xml", {200,
                                        {},
                                        UpdateTestSupport::appcast(UpdateTestSupport::item(
                                            version, server.url("/Tessaline.tar.gz"),
                                            announced.value_or(archive.size()), signature))});
    }

    int run(std::vector<std::string> arguments = {}) {
        if (arguments.empty()) {
            arguments = {"--update-smoke", "--feed-url", server.url("/appcast.xml"), "--timeout",
                         "20"};
        }
        platform::SystemClock clock;
        platform::RealTimeRunLoop loop(clock);
        const update::UpdateHost host{hostKey.value_or(key.publicKeyBase64()), "1.0", "1.0",
                                      std::nullopt, installed()};
        return SparkleUpdateSmokeRunner::run(arguments,
                                             {host, defaults, loop, output, errorOutput});
    }

    std::vector<std::string> lines() const {
        std::vector<std::string> result;
        std::istringstream stream(output.str());
        for (std::string line; std::getline(stream, line);) {
            result.push_back(line);
        }
        return result;
    }

    void expectNothingInstalled() const {
        EXPECT_EQ(TemporaryFolder::read(installed() / "version.txt"), "1.0");
        EXPECT_FALSE(std::filesystem::exists(staging()));
        EXPECT_FALSE(std::filesystem::exists(folder.path() / "escaped.txt"));
    }

    TemporaryFolder folder;
    testsupport::LoopbackHttpServer server;
    UpdateTestSupport::KeyPair key = UpdateTestSupport::KeyPair::generate();
    // The bundle's "SUPublicEDKey" when it is not `key`'s.
    std::optional<std::string> hostKey;
    platform::InMemoryUserDefaults defaults;
    std::ostringstream output;
    std::ostringstream errorOutput;
};

TEST_F(SparkleUpdateSmokeRunTest, SignedUpdateIsDownloadedVerifiedAndExtracted) {
    const auto archive = signedArchive();
    serve(archive, key.sign(archive));

    EXPECT_EQ(run(), 0);

    const auto printed = lines();
    ASSERT_FALSE(printed.empty());
    EXPECT_EQ(printed.front(), "update-smoke start feedURL=" + server.url("/appcast.xml"));
    const std::vector<std::string> expectedSteps = {
        "update-smoke permission-request",
        "update-smoke checking",
        "update-smoke found version=2.0 displayVersion=2.0",
        "update-smoke prompt version=2.0 stage=0 critical=false",
        "update-smoke will-download version=2.0 url=" + server.url("/Tessaline.tar.gz"),
        "update-smoke download-started",
        "update-smoke download-expected-bytes=" + std::to_string(archive.size()),
        "update-smoke download-progress bytes=" + std::to_string(archive.size()) +
            " expected=" + std::to_string(archive.size()),
        "update-smoke downloaded version=2.0",
        "update-smoke extracting-started",
        "update-smoke ready-to-install",
    };
    for (const auto& step : expectedSteps) {
        EXPECT_THAT(printed, testing::Contains(step));
    }
    EXPECT_EQ(printed.back(), "update-smoke success message=\"Sparkle downloaded, extracted, "
                              "and validated the update\"");
    EXPECT_TRUE(errorOutput.str().empty());
    // Extracted beside the installation; the swap waits for quit.
    EXPECT_EQ(TemporaryFolder::read(installed() / "version.txt"), "1.0");
    EXPECT_EQ(TemporaryFolder::read(staging() / "extracted/Tessaline/version.txt"), "2.0");
}

TEST_F(SparkleUpdateSmokeRunTest, BadUpdatesFailAndInstallNothing) {
    const auto archive = signedArchive();
    auto tampered = archive;
    tampered[tampered.size() / 2] ^= 0x01;
    const auto escaping = UpdateTestSupport::makeTarGz({{"../escaped.txt", "x", Kind::file, ""}});
    const auto older = signedArchive("0.9");
    const auto unversioned = signedArchive("");
    const auto otherKey = UpdateTestSupport::KeyPair::generate();
    struct Row {
        const char* name;
        std::function<void()> setUp;
        const char* message;
    };
    const Row rows[] = {
        {"tampered archive", [&] { serve(tampered, key.sign(archive)); }, "does not match"},
        {"wrong key", [&] { serve(archive, otherKey.sign(archive)); }, "does not match"},
        {"missing signature", [&] { serve(archive, ""); }, "not signed"},
        // An empty download is an archive like any other: its signature is checked, and fails.
        {"empty archive", [&] { serve("", key.sign(archive)); }, "does not match"},
        {"bundle key of the wrong size",
         [&] {
             serve(archive, key.sign(archive));
             hostKey = key.publicKeyBase64().substr(4);
         },
         "no valid update key"},
        {"archive longer than announced",
         [&] { serve(archive, key.sign(archive), "2.0", archive.size() - 10); },
         "more data than the update announced"},
        // Without a length in the answer, only the bytes counted as they come stop it: in chunks
        // each far smaller than the cap, only their running total passes it.
        {"archive longer than announced, in small chunks",
         [&] {
             serve(archive, key.sign(archive), "2.0", archive.size() - 10, Framing::chunked, 16);
         },
         "more data than the update announced"},
        {"archive longer than announced, ended by closing",
         [&] { serve(archive, key.sign(archive), "2.0", archive.size() - 10, Framing::close, 16); },
         "more data than the update announced"},
        {"older version", [&] { serve(archive, key.sign(archive), "0.9"); }, "up to date"},
        {"the installed version", [&] { serve(archive, key.sign(archive), "1.0"); }, "up to date"},
        {"older archive replayed as a newer version",
         [&] { serve(older, key.sign(older), "99.0"); },
         "The update was refused: it holds version 0.9, not the announced 99.0."},
        {"archive that names no version", [&] { serve(unversioned, key.sign(unversioned)); },
         "does not say which version"},
        {"feed larger than allowed",
         [&] {
             server.respond("/appcast.xml", {200, {}, std::string(9 << 20, ' ')});
         },
         "The update feed is larger than the 8 MiB allowed."},
        {"archive escaping its folder", [&] { serve(escaping, key.sign(escaping)); },
         "leaves the target folder"},
        {"feed not found",
         [&] {
             server.respond("/appcast.xml", {404, {}, "missing"});
         },
         "HTTP status 404"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        output.str({});
        hostKey.reset();
        row.setUp();

        EXPECT_EQ(run(), 1);

        const auto printed = lines();
        ASSERT_FALSE(printed.empty());
        EXPECT_THAT(printed.back(), testing::StartsWith("update-smoke failure message=\""));
        EXPECT_THAT(printed.back(), HasSubstr(row.message));
        expectNothingInstalled();
    }
}

TEST_F(SparkleUpdateSmokeRunTest, BadArgumentsPrintOneErrorLine) {
    EXPECT_EQ(run({"--update-smoke", "--feed-url", "https://x.example/a", "--timeout", "nan"}), 2);
    EXPECT_EQ(errorOutput.str(),
              "update-smoke error=--timeout must be a positive number, got nan\n");
    EXPECT_TRUE(output.str().empty());
}

TEST_F(SparkleUpdateSmokeRunTest, TimeOutEndsTheRun) {
    server.setHandler([](const testsupport::HttpRequest&) {
        std::this_thread::sleep_for(std::chrono::seconds(2));
        return testsupport::HttpResponse{404, {}, {}};
    });

    EXPECT_EQ(
        run({"--update-smoke", "--feed-url", server.url("/appcast.xml"), "--timeout", "0.25"}), 1);

    EXPECT_EQ(lines().back(), "update-smoke failure message=\"Timed out after 0.25 seconds\"");
}

TEST_F(SparkleUpdateSmokeRunTest, FinalLineEscapesQuotesBackslashesAndControls) {
    const auto archive = UpdateTestSupport::makeTarGz({{"../line\nbreak\\x", "x", Kind::file, ""}});
    serve(archive, key.sign(archive));

    EXPECT_EQ(run(), 1);

    EXPECT_THAT(lines().back(), HasSubstr("the entry \\\"../line\\nbreak\\\\x\\\" leaves"));
}

} // namespace
