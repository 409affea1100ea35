#include "core/MenuBarItemDisplayNameResolver.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using namespace QelCore;

struct Row {
    std::string name;
    std::string title;
    std::vector<std::string> descriptions;
    std::string appName;
    std::string expected;
    std::optional<std::int64_t> genericOrdinal = std::nullopt;
};

void expectRows(const std::vector<Row>& rows) {
    for (const auto& row : rows) {
        EXPECT_EQ(MenuBarItemDisplayNameResolver::resolve(row.title, row.descriptions, row.appName,
                                                          row.genericOrdinal),
                  row.expected)
            << row.name;
    }
}

TEST(DisplayNameResolver, MissingAndUntitledTitles) {
    expectRows({
        {"missing value with blanks and a break", "  missing value\n ", {}, "Dropbox", "Dropbox"},
        {"missing value, no owner", " missing value\n", {}, "", "(untitled)"},
        {"untitled falls to description", "(untitled)", {"Backup status"}, "Arq", "Backup status"},
        {"empty title, missing description", "", {"missing value", "  "}, "Arq", "Arq"},
        {"nothing at all", "", {}, "  ", "(untitled)"},
        {"plain title", "  Bartender  ", {"ignored"}, "Bartender 5", "Bartender"},
        {"owner cleaned", "3", {}, "  Mail\n", "Mail"},
    });
}

TEST(DisplayNameResolver, BadgesNameTheOwner) {
    expectRows({
        {"single digit", "3", {}, "Mail", "Mail"},
        {"long count", "12345678", {}, "Mail", "Mail"},
        {"count with plus", "99+", {}, "Slack", "Slack"},
        {"plus then digit", "+1", {}, "Slack", "Slack"},
        {"digit slash digit", "1/2", {}, "Player", "Player"},
        {"full-width digits", "１２", {}, "Mail", "Mail"},
        {"arabic-indic digits", "٣", {}, "Mail", "Mail"},
        {"percentage", "80%", {}, "Battery Buddy", "Battery Buddy"},
        {"digits without owner", "42", {}, "", "42"},
        {"digit space word", "3 new", {}, "Mail", "3 new"},
        {"letter and digit", "A1", {}, "Mail", "A1"},
        {"four symbolic scalars, the most a badge has", "1/23", {}, "Player", "Player"},
        {"four scalars of several bytes", "\u20ac\u00b7\u00a71", {}, "Player", "Player"},
        {"five symbolic scalars", "1/2/3", {}, "Player", "1/2/3"},
        {"symbols without digit", "+/-", {}, "Player", "+/-"},
        {"digit and combining mark", "1\u0301", {}, "Player", "1\u0301"},
    });
}

TEST(DisplayNameResolver, MultilineStatusTitles) {
    expectRows({
        {"up to date in capitals", "Dropbox 100%\nUP TO DATE", {}, "Dropbox", "Dropbox"},
        {"syncing among other lines",
         "Dropbox 40%\nFiles\nSyncing 3 files",
         {},
         "Dropbox",
         "Dropbox"},
        {"full-width status", "Dropbox 99%\nＵｐ ｔｏ ｄａｔｅ", {}, "Dropbox", "Dropbox"},
        {"accented status", "Mail 2\n2 Unréad notifications", {}, "Mail", "Mail"},
        {"chinese syncing", "坚果云 同步中\n正在同步", {}, "坚果云", "坚果云"},
        {"chinese up to date", "坚果云 1\n已是最新", {}, "坚果云", "坚果云"},
        {"other status keeps first line", "Dropbox 100%\nPaused", {}, "Dropbox", "Dropbox 100%"},
        {"owner runs into letters", "Dropboxer 40%\nsyncing", {}, "Dropbox", "Dropboxer 40%"},
        {"owner alone on first line", "Dropbox\nsyncing", {}, "Dropbox", "Dropbox"},
        {"no owner", "Dropbox 40%\nsyncing", {}, "", "Dropbox 40%"},
        {"blank lines and missing values skipped",
         "\n missing value \nDropbox 1%\n\nsyncing",
         {},
         "Dropbox",
         "Dropbox"},
        {"crlf lines", "Dropbox 1%\r\nUp to date", {}, "Dropbox", "Dropbox"},
    });
}

TEST(DisplayNameResolver, SystemIdentifiers) {
    expectRows({
        {"battery under Control Center",
         "(untitled)",
         {"com.apple.menuextra.battery"},
         "Control Center",
         "Battery"},
        {"battery under chinese Control Center",
         "(untitled)",
         {"com.apple.menuextra.battery"},
         "控制中心",
         "电池"},
        {"capital identifier", "", {"COM.APPLE.MENUEXTRA.CLOCK"}, "ControlCenter", "Clock"},
        {"airport is Wi-Fi", "", {"com.apple.menuextra.airport"}, "SystemUIServer", "Wi-Fi"},
        {"earlier row wins",
         "",
         {"com.apple.menuextra.volume/menuextra.bluetooth"},
         "App",
         "Bluetooth"},
        {"focus in chinese", "", {"com.apple.menuextra.focus"}, "控制中心", "专注模式"},
        {"control center for other owner at once",
         "",
         {"com.apple.menuextra.controlcenter", "Later"},
         "SystemUIServer",
         "Control Center"},
        {"control center held back for its own owner",
         "",
         {"com.apple.menuextra.controlcenter", "Now Playing"},
         "Control Center",
         "Now Playing"},
        {"held-back name as fallback",
         "",
         {"com.apple.menuextra.controlcenter"},
         "控制中心",
         "控制中心"},
        {"unknown menu extra skipped",
         "",
         {"com.apple.menuextra.siri", "Wi-Fi, connected"},
         "Control Center",
         "Wi-Fi"},
        {"apple identifier skipped", "", {"com.apple.weather.menu"}, "Weather", "Weather"},
        {"marker only inside a longer text", "", {"see com.apple.menuextra.vpn now"}, "App", "VPN"},
    });
}

TEST(DisplayNameResolver, GenericControlCenterItems) {
    expectRows({
        {"status menu with ordinal", "", {"Status Menu"}, "Control Center", "Control Center", 1},
        {"status menu without ordinal", "", {"Status Menu"}, "Control Center", "Control Center"},
        {"chinese status menu with ordinal", "", {"状态菜单"}, "控制中心", "控制中心", 0},
        {"real description wins over ordinal",
         "Control Center",
         {"Focus, Do Not Disturb"},
         "Control Center",
         "Focus",
         2},
        {"generic title without description stays",
         "Control Center",
         {},
         "ControlCenter",
         "Control Center"},
        {"generic title with ordinal", "(untitled)", {}, "ControlCenter", "Control Center", 0},
        {"not a control center owner", "", {"Status Menu"}, "Other", "Status Menu", 1},
    });
}

TEST(DisplayNameResolver, DescriptionsWithSeparators) {
    expectRows({
        {"full-width comma", "", {"蓝牙，已连接"}, "App", "蓝牙"},
        {"comma", "", {"Wi-Fi, connected"}, "App", "Wi-Fi"},
        {"spaced hyphen", "", {"Sound - 50%"}, "App", "Sound"},
        {"en dash", "", {"VPN – connected"}, "App", "VPN"},
        {"em dash", "", {"Focus — on"}, "App", "Focus"},
        {"full-width comma before comma", "", {"a, b，c"}, "App", "a, b"},
        {"hyphen without spaces stays", "", {"Wi-Fi"}, "App", "Wi-Fi"},
        {"leading comma, no other separator", "", {", connected"}, "App", ", connected"},
        {"leading comma, later dash", "", {", x - y"}, "App", ", x"},
        {"full-width comma alone", "", {"，"}, "App", "，"},
        {"multi-line description first line", "", {"Backup\nrunning, 3 left"}, "Arq", "Backup"},
        {"multi-line description collapses", "", {"Arq 10%\nup to date"}, "Arq", "Arq"},
        {"first usable description wins",
         "",
         {" ", "Time Machine - idle", "Other"},
         "App",
         "Time Machine"},
    });
}

TEST(DisplayNameResolver, SingleDescriptionForm) {
    EXPECT_EQ(MenuBarItemDisplayNameResolver::resolve("", std::optional<std::string>("Wi-Fi, on"),
                                                      "App", std::nullopt),
              "Wi-Fi");
    EXPECT_EQ(MenuBarItemDisplayNameResolver::resolve("", std::optional<std::string>(), "App",
                                                      std::nullopt),
              "App");
}

} // namespace
