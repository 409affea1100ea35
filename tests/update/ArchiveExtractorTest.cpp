#include "update/ArchiveExtractor.h"

#include "tests/support/TemporaryFolder.h"
#include "tests/update/UpdateTestSupport.h"

#include <gtest/gtest.h>

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

TEST(ArchiveExtractor, RefusesDataBeyondTheLimitAndNonArchives) {
    TemporaryFolder folder;
    update::ArchiveExtractor::Options options;
    options.maxExtractedBytes = 10;
    const auto large =
        UpdateTestSupport::makeTarGz({{"big", std::string(64, 'x'), Kind::file, ""}});
    EXPECT_TRUE(update::ArchiveExtractor::extract(large, folder.path(), options).has_value());
    EXPECT_TRUE(update::ArchiveExtractor::extract("plain text", folder.path(), {}).has_value());
}

} // namespace
