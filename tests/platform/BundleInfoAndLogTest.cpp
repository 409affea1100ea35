#include "platform/InMemoryBundleInfo.h"
#include "platform/Logger.h"
#include "platform/ProcessEnvironment.h"
#include "platform/RecordingLogSink.h"
#include "platform/StandardErrorLogSink.h"
#include "platform/linux/BuiltBundleInfo.h"
#include "platform/linux/BundleInfoFile.h"
#include "platform/sim/VirtualClock.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using namespace platform;

TEST(BundleInfo, BuiltBundleCarriesTheIdentifierAndTheBuildsVersions) {
    const auto bundle = native::builtBundleInfo();
    EXPECT_EQ(bundle->bundleIdentifier(), "app.tessaline.Tessaline");
    EXPECT_EQ(infoString(*bundle, kCFBundleShortVersionStringKey), TESSALINE_PROJECT_VERSION);
    EXPECT_TRUE(infoString(*bundle, kCFBundleVersionKey));
    EXPECT_FALSE(bundle->bundlePath().empty());
    // Build options left empty leave their keys out, as a bundle without them.
    EXPECT_EQ(bundle->objectForInfoDictionaryKey(kSUPublicEDKey).isAbsent(),
              std::string(TESSALINE_UPDATE_PUBLIC_KEY).empty());
    // The Info file the build writes beside the program says the same.
    const auto file = native::bundleInfoAt(bundle->bundlePath());
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->bundleIdentifier(), bundle->bundleIdentifier());
    for (const auto key :
         {kCFBundleShortVersionStringKey, kCFBundleVersionKey, kSUPublicEDKey, kSentryDSNKey}) {
        EXPECT_EQ(file->objectForInfoDictionaryKey(key), bundle->objectForInfoDictionaryKey(key))
            << key;
    }
    EXPECT_EQ(native::bundleInfoAt(bundle->bundlePath() + "/missing"), nullptr);
}

TEST(BundleInfo, InfoStringIsNoneForMissingOrNonTextValues) {
    InMemoryBundleInfo bundle(std::nullopt, "/Applications/Tessaline.app",
                              {{"CFBundleVersion", Value(std::int64_t{7})}});
    EXPECT_EQ(bundle.bundleIdentifier(), std::nullopt);
    EXPECT_EQ(infoString(bundle, kCFBundleVersionKey), std::nullopt);
    EXPECT_EQ(infoString(bundle, kSentryDSNKey), std::nullopt);
    bundle.setObject(kSentryDSNKey, "https://key@example.invalid/1");
    EXPECT_EQ(infoString(bundle, kSentryDSNKey), "https://key@example.invalid/1");
    bundle.setObject(kSentryDSNKey, Value());
    EXPECT_TRUE(bundle.objectForInfoDictionaryKey(kSentryDSNKey).isAbsent());
}

TEST(Logger, WritesSubsystemCategoryLevelAndTime) {
    sim::VirtualClock clock;
    RecordingLogSink sink;
    const Logger logger(sink, clock, "app.tessaline.Tessaline", "Diagnostics");
    logger.info("started");
    logger.fault("stopped");
    const auto entries = sink.entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].subsystem, "app.tessaline.Tessaline");
    EXPECT_EQ(entries[0].category, "Diagnostics");
    EXPECT_EQ(entries[0].type, OS_LOG_TYPE_INFO);
    EXPECT_EQ(entries[0].message, "started");
    EXPECT_EQ(entries[0].time, clock.wallNow());
    EXPECT_EQ(entries[1].type, OS_LOG_TYPE_FAULT);
}

TEST(StandardErrorLogSink, OneLinePerMessageWithControlCharactersEscaped) {
    const LogEntry entry{WallTime{}, "app.tessaline.Tessaline", "Diagnostics", OS_LOG_TYPE_ERROR,
                         "first\nsecond\t\x1b[31m\\"};
    EXPECT_EQ(StandardErrorLogSink::line(entry),
              "1970-01-01T00:00:00Z app.tessaline.Tessaline[Diagnostics] error: "
              "first\\nsecond\\t\\x1b[31m\\\\\n");
}

TEST(ProcessEnvironment, ReadsTheCurrentEnvironment) {
    ASSERT_EQ(::setenv("TESSALINE_TEST_VALUE", "a=b", 1), 0);
    const ProcessEnvironment environment = currentProcessEnvironment();
    ASSERT_TRUE(environment.contains("TESSALINE_TEST_VALUE"));
    EXPECT_EQ(environment.at("TESSALINE_TEST_VALUE"), "a=b");
    ::unsetenv("TESSALINE_TEST_VALUE");
}

} // namespace
