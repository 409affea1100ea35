#include "update/ArchiveExtractor.h"

#include "tests/support/TemporaryFolder.h"
#include "tests/update/UpdateTestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

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
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->code, update::UpdateErrorCode::unarchiving);
        EXPECT_FALSE(std::filesystem::exists(parent.path() / "escaped.txt"));
        EXPECT_FALSE(std::filesystem::exists("/tmp/tessaline-escaped.txt"));
        EXPECT_FALSE(std::filesystem::exists(target / "sub/file.txt"));
    }
}

// The limit holds for the data of all entries together, whatever their sizes one by one.
TEST(ArchiveExtractor, RefusesDataBeyondTheLimitAndNonArchives) {
    const struct {
        const char* name;
        std::vector<Entry> entries;
        bool refused;
    } rows[] = {
        {"one file beyond", {{"big", std::string(64, 'x'), Kind::file, ""}}, true},
        {"three small files beyond together",
         {{"a", "123456", Kind::file, ""},
          {"b", "123456", Kind::file, ""},
          {"c", "123456", Kind::file, ""}},
         true},
        {"exactly at the limit",
         {{"a", "12345", Kind::file, ""}, {"b", "12345", Kind::file, ""}},
         false},
    };
    update::ArchiveExtractor::Options options;
    options.maxExtractedBytes = 10;
    for (const auto& row : rows) {
        TemporaryFolder folder;
        const auto error = update::ArchiveExtractor::extract(
            UpdateTestSupport::makeTarGz(row.entries), folder.path(), options);
        EXPECT_EQ(error.has_value(), row.refused) << row.name;
    }
    TemporaryFolder folder;
    EXPECT_TRUE(update::ArchiveExtractor::extract("plain text", folder.path(), {}).has_value());
}

// A signed archive still never installs a set-user-id or set-group-id program, nor a sticky
// folder; the other permission bits stay.
TEST(ArchiveExtractor, DropsSetIdAndStickyBits) {
    const struct {
        const char* path;
        Kind kind;
        unsigned mode;
    } rows[] = {
        {"set-user-id", Kind::file, 04755},
        {"set-group-id", Kind::file, 02755},
        {"sticky", Kind::directory, 01755},
        {"plain", Kind::file, 0755},
    };
    std::vector<Entry> entries;
    for (const auto& row : rows) {
        entries.push_back(
            {row.path, row.kind == Kind::file ? "#!/bin/sh\n" : "", row.kind, "", row.mode});
    }
    TemporaryFolder folder;
    ASSERT_EQ(
        update::ArchiveExtractor::extract(UpdateTestSupport::makeTarGz(entries), folder.path(), {}),
        std::nullopt);
    for (const auto& row : rows) {
        struct stat info {};
        ASSERT_EQ(::lstat((folder.path() / row.path).c_str(), &info), 0) << row.path;
        EXPECT_EQ(info.st_mode & 07777, 0755u) << row.path;
    }
}

} // namespace
