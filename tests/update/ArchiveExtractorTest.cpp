#include "update/ArchiveExtractor.h"

#include "tests/support/TemporaryFolder.h"
#include "tests/update/UpdateTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <seccomp.h>
#include <sys/resource.h>
#include <sys/uio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
#include <functional>

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

// A path of this many components, each `name`.
std::string nested(int depth, const std::string& name = "d") {
    std::string path = name;
    for (int level = 1; level < depth; ++level) {
        path += "/" + name;
    }
    return path;
}

TEST(ArchiveExtractor, RefusesArchivesBeyondItsCapsAndNonArchives) {
    struct Row {
        const char* name;
        std::string archive;
        update::ArchiveExtractor::Options options;
        std::string problem;
    };
    // Named, not `{}`: GCC takes the std::function in a braced empty row for uninitialised.
    const update::ArchiveExtractor::Options standard;
    update::ArchiveExtractor::Options tenBytes;
    tenBytes.maxExtractedBytes = 10;
    update::ArchiveExtractor::Options twoEntries;
    twoEntries.maxEntries = 2;
    const std::atomic<bool> cancelled{true};
    update::ArchiveExtractor::Options cancelledOptions;
    cancelledOptions.cancelled = &cancelled;
    const auto deep = nested(65);
    const auto longName = std::string(NAME_MAX + 1, 'n');
    // Two bytes short of PATH_MAX, in folders of 250-byte names.
    auto longInFolder = nested(16, std::string(250, 'q'));
    longInFolder += "/" + std::string(PATH_MAX - 3 - longInFolder.size(), 'r');
    // Forty links deep down, each leading to the next through a folder and back 31 times: every
    // link is read through all those after it, thousands of long paths looked up each.
    const auto folder = nested(58, std::string(60, 'f'));
    std::vector<Entry> tangle = {{folder + "/a", "", Kind::directory, ""}};
    std::string detour;
    for (int step = 0; step < 31; ++step) {
        detour += "a/../";
    }
    for (int link = 0; link < 40; ++link) {
        tangle.push_back({folder + "/l" + std::to_string(link), "", Kind::symlink,
                          link < 39 ? detour + "l" + std::to_string(link + 1) : "."});
    }
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
         standard, "far more data than its own size"},
        {"a sparse file: its holes are data on the disk",
         UpdateTestSupport::makeTarGz({{"sparse", "x", Kind::file, "", 0, la_int64_t{1} << 30}}),
         standard, "far more data than its own size"},
        {"more entries than allowed",
         UpdateTestSupport::makeTarGz({{"a", "", Kind::directory, ""},
                                       {"b", "", Kind::directory, ""},
                                       {"c", "", Kind::directory, ""}}),
         twoEntries, "more entries than allowed"},
        {"not an archive", "plain text", standard, "not an archive"},
        // Folders nested without end cost work for every level of every entry below them.
        {"a file nested too deep", UpdateTestSupport::makeTarGz({{deep, "x", Kind::file, ""}}),
         standard, "the entry \"" + deep + "\" is nested more than 64 folders deep"},
        {"a path longer than the file system allows",
         UpdateTestSupport::makeTarGz({{nested(20, std::string(250, 'p')), "x", Kind::file, ""}}),
         standard, "the entry \"ppp"},
        // Short enough on its own, too long once in the folder: refused by name, not a write
        // error later.
        {"a path too long only in the target folder",
         UpdateTestSupport::makeTarGz({{longInFolder, "x", Kind::file, ""}}), standard,
         "the entry \"" + longInFolder.substr(0, 160) +
             "…\" is longer than the file system allows"},
        {"a hard link to a path too long only in the target folder",
         UpdateTestSupport::makeTarGz({{"copy", "", Kind::hardlink, longInFolder}}), standard,
         "the target of the hard link \"copy\" is longer than the file system allows"},
        {"a name longer than the file system allows",
         UpdateTestSupport::makeTarGz({{longName, "x", Kind::file, ""}}), standard,
         "has a name longer than the file system allows"},
        {"a link to a place nested too deep",
         UpdateTestSupport::makeTarGz({{"link", "", Kind::symlink, nested(65)}}), standard,
         "the target of the link \"link\" is nested more than 64 folders deep"},
        {"links that lead through one another too often", UpdateTestSupport::makeTarGz(tangle),
         standard, "its links lead through one another too often"},
        {"cancelled", UpdateTestSupport::makeTarGz({{"a", "", Kind::directory, ""}}),
         cancelledOptions, "The update was cancelled."},
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

// A cancel during one large entry (a program of a gigabyte, say) stops at its next block of
// data, not at the entry's end. The first block reported cancels.
TEST(ArchiveExtractor, ACancelStopsInsideALargeEntry) {
    TemporaryFolder folder;
    constexpr std::size_t entryBytes = std::size_t{16} << 20;
    // One repeated byte compresses a thousandfold: a large entry from a small archive.
    const auto archive =
        UpdateTestSupport::makeTarGz({{"big", std::string(entryBytes, 'x'), Kind::file, ""}});
    std::atomic<bool> cancelled{false};
    int reportsAfterCancel = 0;
    update::ArchiveExtractor::Options options;
    options.maxExpansionRatio = 100'000;
    options.cancelled = &cancelled;
    options.onProgress = [&](double) {
        reportsAfterCancel += cancelled ? 1 : 0;
        cancelled = true;
    };

    const auto error = update::ArchiveExtractor::extract(archive, folder.path(), options);

    EXPECT_EQ(error.value_or(update::UpdateError{}).code,
              update::UpdateErrorCode::installationCanceled);
    EXPECT_EQ(reportsAfterCancel, 0);
    // Only the data written counts: the file may have been given its full length as a hole.
    const auto written = TemporaryFolder::read(folder.path() / "big");
    EXPECT_LT(static_cast<std::size_t>(std::count(written.begin(), written.end(), 'x')),
              entryBytes / 2);
}

// What the extraction says, run in a child process under `constrain` (the child ends with it).
// The child reports with writev, so a constraint on write leaves the report alone.
std::string extractionFailure(const std::string& archive, const std::filesystem::path& folder,
                              const std::function<void()>& constrain) {
    int channel[2];
    if (::pipe(channel) != 0) {
        return "no pipe";
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        update::ArchiveExtractor::Options options;
        options.maxExpansionRatio = 1000;
        constrain();
        const auto error = update::ArchiveExtractor::extract(archive, folder, options);
        auto text = error ? error->localizedDescription : "extracted";
        const iovec report{text.data(), text.size()};
        ::_exit(::writev(channel[1], &report, 1) < 0 ? 1 : 0);
    }
    ::close(channel[1]);
    std::string text;
    char buffer[512];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(channel[0]);
    ::waitpid(child, nullptr, 0);
    return text;
}

// A full disk names the file and the reason, not only "Write failed". The disk fills two ways:
// a file-size limit also fails the finishing of the entry, while a full disk fails only the
// writes of data (libarchive reports them as a mere warning), and the finishing would then
// extend the file with zeros where its data should be.
TEST(ArchiveExtractor, AFileThatCannotBeWrittenIsNamedWithTheReason) {
    struct Row {
        const char* name;
        std::function<void()> constrain;
        int reason;
    };
    const Row rows[] = {
        {"a file-size limit",
         [] {
             std::signal(SIGXFSZ, SIG_IGN);
             const rlimit small{1024, 1024};
             ::setrlimit(RLIMIT_FSIZE, &small);
         },
         EFBIG},
        {"a full disk",
         [] {
             // Every write to a file fails as on a full disk; the standard streams still work.
             const scmp_filter_ctx filter = seccomp_init(SCMP_ACT_ALLOW);
             seccomp_rule_add(filter, SCMP_ACT_ERRNO(ENOSPC), SCMP_SYS(write), 1,
                              SCMP_A0(SCMP_CMP_GT, 2));
             seccomp_load(filter);
         },
         ENOSPC},
    };
    const auto archive =
        UpdateTestSupport::makeTarGz({{"big", std::string(64 << 10, 'x'), Kind::file, ""}});
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TemporaryFolder folder;
        const auto text = extractionFailure(archive, folder.path(), row.constrain);
        EXPECT_THAT(
            text, testing::HasSubstr(
                      "\"" + (std::filesystem::canonical(folder.path()) / "big").string() + "\""));
        EXPECT_THAT(text, testing::HasSubstr(std::strerror(row.reason)));
    }
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
