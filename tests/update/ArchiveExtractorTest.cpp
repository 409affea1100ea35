#include "update/ArchiveExtractor.h"

#include "tests/support/TemporaryFolder.h"
#include "tests/update/UpdateTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <cstring>

namespace {

using Entry = UpdateTestSupport::ArchiveEntry;
using Kind = UpdateTestSupport::ArchiveEntry::Kind;

TEST(ArchiveExtractor, ExtractsFilesFoldersAndInsideLinks) {
    TemporaryFolder folder;
    const auto archive = UpdateTestSupport::makeTarGz({
        {"Tessaline", "", Kind::directory, ""},
        {"Tessaline/version.txt", "2.0", Kind::file, ""},
        {"Tessaline/bin", "", Kind::directory, ""},
        {"Tessaline/bin/current", "", Kind::symlink, "../version.txt"},
        {"Tessaline/copy.txt", "", Kind::hardlink, "Tessaline/version.txt"},
    });
    std::vector<double> progress;
    update::ArchiveExtractor::Options options;
    options.onProgress = [&](double fraction) { progress.push_back(fraction); };

    EXPECT_EQ(update::ArchiveExtractor::extract(archive, folder.path(), options), std::nullopt);

    EXPECT_EQ(TemporaryFolder::read(folder.path() / "Tessaline/version.txt"), "2.0");
    EXPECT_EQ(TemporaryFolder::read(folder.path() / "Tessaline/bin/current"), "2.0");
    EXPECT_EQ(TemporaryFolder::read(folder.path() / "Tessaline/copy.txt"), "2.0");
    ASSERT_FALSE(progress.empty());
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_LE(progress.back(), 1.0);
}

TEST(ArchiveExtractor, RefusesEntriesThatLeaveTheFolder) {
    struct Row {
        const char* name;
        std::vector<Entry> entries;
    };
    const Row rows[] = {
        {"parent path", {{"../escaped.txt", "x", Kind::file, ""}}},
        {"inner parent path", {{"a/../../escaped.txt", "x", Kind::file, ""}}},
        {"absolute path", {{"/tmp/tessaline-escaped.txt", "x", Kind::file, ""}}},
        {"link to a parent", {{"link", "", Kind::symlink, "../escaped.txt"}}},
        {"deep link climbing out", {{"a/b/link", "", Kind::symlink, "../../../escaped.txt"}}},
        {"absolute link", {{"link", "", Kind::symlink, "/etc/passwd"}}},
        {"hard link outside", {{"copy", "", Kind::hardlink, "../escaped.txt"}}},
        {"chain of links", {{"a", "", Kind::symlink, "."}, {"b", "", Kind::symlink, "a/.."}}},
        {"chain of links written backwards",
         {{"b", "", Kind::symlink, "a/.."}, {"a", "", Kind::symlink, "."}}},
        {"hard link naming a link elsewhere",
         {{"d", "", Kind::directory, ""},
          {"d/link", "", Kind::symlink, "../escaped.txt"},
          {"copy", "", Kind::hardlink, "d/link"}}},
        {"write through a link",
         {{"sub", "", Kind::directory, ""},
          {"link", "", Kind::symlink, "sub"},
          {"link/file.txt", "x", Kind::file, ""}}},
        {"empty archive", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TemporaryFolder parent;
        const auto target = parent.path() / "target";
        std::filesystem::create_directory(target);
        const auto error = update::ArchiveExtractor::extract(
            UpdateTestSupport::makeTarGz(row.entries), target, {});
        EXPECT_EQ(error.value_or(update::UpdateError{}).code, update::UpdateErrorCode::unarchiving);
        EXPECT_FALSE(std::filesystem::exists(parent.path() / "escaped.txt"));
        EXPECT_FALSE(std::filesystem::exists("/tmp/tessaline-escaped.txt"));
        EXPECT_FALSE(std::filesystem::exists(target / "sub/file.txt"));
    }
}

TEST(ArchiveExtractor, RefusesArchivesBeyondItsCapsAndNonArchives) {
    struct Row {
        const char* name;
        std::string archive;
        update::ArchiveExtractor::Options options;
        const char* problem;
    };
    update::ArchiveExtractor::Options tenBytes;
    tenBytes.maxExtractedBytes = 10;
    update::ArchiveExtractor::Options twoEntries;
    twoEntries.maxEntries = 2;
    const Row rows[] = {
        {"more data than allowed",
         UpdateTestSupport::makeTarGz({{"big", std::string(64, 'x'), Kind::file, ""}}), tenBytes,
         "more data than allowed"},
        {"more data than allowed in small files together",
         UpdateTestSupport::makeTarGz({{"a", "123456", Kind::file, ""},
                                       {"b", "123456", Kind::file, ""},
                                       {"c", "123456", Kind::file, ""}}),
         tenBytes, "more data than allowed"},
        {"a bomb: far more data than its size",
         UpdateTestSupport::makeTarGz({{"zeros", std::string(4 << 20, '\0'), Kind::file, ""}}),
         {},
         "far more data than its own size"},
        {"a sparse file: its holes are data on the disk",
         UpdateTestSupport::makeTarGz({{"sparse", "x", Kind::file, "", 0, la_int64_t{1} << 30}}),
         {},
         "far more data than its own size"},
        {"more entries than allowed",
         UpdateTestSupport::makeTarGz({{"a", "", Kind::directory, ""},
                                       {"b", "", Kind::directory, ""},
                                       {"c", "", Kind::directory, ""}}),
         twoEntries, "more entries than allowed"},
        {"not an archive", "plain text", {}, "not an archive"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TemporaryFolder folder;
        const auto error =
            update::ArchiveExtractor::extract(row.archive, folder.path(), row.options);
        EXPECT_THAT(error.value_or(update::UpdateError{}).localizedDescription,
                    testing::HasSubstr(row.problem));
    }
}

// A full disk, here a file-size limit, names the file and the reason, not only "Write failed".
TEST(ArchiveExtractor, AFileThatCannotBeWrittenIsNamedWithTheReason) {
    TemporaryFolder folder;
    const auto archive =
        UpdateTestSupport::makeTarGz({{"big", std::string(64 << 10, 'x'), Kind::file, ""}});
    update::ArchiveExtractor::Options options;
    options.maxExpansionRatio = 1000;
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 1024;
    const auto signalHandler = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &small);
    const auto error = update::ArchiveExtractor::extract(archive, folder.path(), options);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, signalHandler);

    const auto text = error.value_or(update::UpdateError{}).localizedDescription;
    EXPECT_THAT(text,
                testing::HasSubstr(
                    "\"" + (std::filesystem::canonical(folder.path()) / "big").string() + "\""));
    EXPECT_THAT(text, testing::HasSubstr(std::strerror(EFBIG)));
}

// A signed archive still installs nothing that others may write, no set-user-id or set-group-id
// program and no sticky folder.
TEST(ArchiveExtractor, NothingExtractedIsWritableByOthers) {
    TemporaryFolder folder;
    const auto archive = UpdateTestSupport::makeTarGz({
        {".", "", Kind::directory, "", 0777},
        {"bin", "", Kind::directory, "", 0777},
        {"bin/tessaline", "x", Kind::file, "", 0777},
        {"notes.txt", "x", Kind::file, "", 0666},
        {"bin/set-user-id", "x", Kind::file, "", 04755},
        {"bin/set-group-id", "x", Kind::file, "", 02755},
        {"sticky", "", Kind::directory, "", 01777},
    });
    ASSERT_EQ(update::ArchiveExtractor::extract(archive, folder.path(), {}), std::nullopt);

    using std::filesystem::perms;
    const std::pair<const char*, perms> expected[] = {
        {".", perms(0755)},
        {"bin", perms(0755)},
        {"bin/tessaline", perms(0755)},
        {"notes.txt", perms(0644)},
        {"bin/set-user-id", perms(0755)},
        {"bin/set-group-id", perms(0755)},
        {"sticky", perms(0755)},
    };
    for (const auto& [path, mode] : expected) {
        EXPECT_EQ(std::filesystem::status(folder.path() / path).permissions(), mode) << path;
    }
}

} // namespace
