#include "ui/QuickOpenPanel/OverflowRowView.h"
#include "PanelTestSupport.h"
#include "tests/quickopen/RecordBuilder.h"
#include "ui/Design/ElidingLabel.h"
#include "ui/Design/TessalineDesign.h"
#include "ui/QuickOpenPanel/AppIconImage.h"
#include "ui/QuickOpenPanel/OverflowRowHotKeyButton.h"
#include "ui/QuickOpenPanel/ReasonBadgeView.h"

#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace Parlowen;
using namespace PanelTesting;
using namespace QuickOpenTesting;

struct Counts {
    int activate = 0;
    int favorite = 0;
    int captureBegin = 0;
};

class OverflowRowViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        row.populate(record("Dropbox", "", VisibilityClassification::hiddenBehindNotch), false,
                     std::nullopt, false, false);
        row.onActivate = [this] { ++counts.activate; };
        row.onFavoriteToggle = [this] { ++counts.favorite; };
        row.onHotKeyCaptureBegin = [this] { ++counts.captureBegin; };
        row.resize(412, OverflowRowView::rowHeight);
        row.show();
    }

    QApplication& app = application();
    OverflowRowView row{QStringLiteral("overflow.row")};
    Counts counts;
};

TEST_F(OverflowRowViewTest, OnlyTheStarAndShortcutButtonTakeTheirOwnClicks) {
    for (QWidget* part : std::initializer_list<QWidget*>{row.iconView, row.titleLabel,
                                                         row.subtitleLabel, row.badgeView}) {
        const QPoint centre = part->mapTo(&row, part->rect().center());
        QTest::mouseClick(&row, Qt::LeftButton, {}, centre);
    }
    QTest::mouseClick(&row, Qt::LeftButton, {}, QPoint(200, 4));
    EXPECT_EQ(counts.activate, 5);

    QTest::mouseClick(row.favoriteButton, Qt::LeftButton);
    EXPECT_EQ(counts.favorite, 1);
    QTest::mouseClick(row.hotKeyButton, Qt::LeftButton);
    EXPECT_EQ(counts.captureBegin, 1);
    EXPECT_EQ(counts.activate, 5);
    // Recording shows at once on the button.
    EXPECT_EQ(row.hotKeyButton->toolTip(), "Press shortcut");
}

TEST_F(OverflowRowViewTest, ContentsFollowTheItem) {
    auto item = record("Clock", "(untitled)", VisibilityClassification::visible);
    row.populate(item, true, QStringLiteral("\u2303\u2325C"), false, false);
    EXPECT_EQ(row.titleLabel->text(), "Clock");
    EXPECT_EQ(row.subtitleLabel->text(),
              "Menu bar app \u00B7 Favorite \u00B7 Shortcut \u2303\u2325C");
    EXPECT_EQ(row.badgeView->text(), "Visible");
    EXPECT_EQ(row.favoriteButton->toolTip(),
              "Remove from Favorites: stop ranking higher in Quick Open");
    EXPECT_EQ(row.hotKeyButton->toolTip(), "Shortcut \u2303\u2325C: click to change");

    item.classification = VisibilityClassification::unknown;
    row.populate(item, false, std::nullopt, false, false);
    EXPECT_FALSE(row.badgeView->isVisibleTo(&row));
    EXPECT_EQ(row.hotKeyButton->toolTip(), "Set shortcut: click, then press keys");
    EXPECT_FALSE(row.iconView->pixmap().isNull());
}

// The badge tells where the item is: orange behind the notch and off screen, green in view.
TEST_F(OverflowRowViewTest, TheBadgeTakesTheColoursOfTheItemsPlace) {
    using namespace Parlowen::TessalineDesign;
    const struct {
        VisibilityClassification place;
        const char* text;
        QColor background;
        QColor foreground;
    } places[] = {
        {VisibilityClassification::hiddenBehindNotch, "Behind notch", Palette::orangeSoft(),
         Palette::orangeText()},
        {VisibilityClassification::pushedOffscreen, "Pushed left", Palette::orangeSoft(),
         Palette::orangeText()},
        {VisibilityClassification::visible, "Visible", Palette::greenSoft(), Palette::green()},
    };
    for (const auto& place : places) {
        row.populate(record("Dropbox", "", place.place), false, std::nullopt, false, false);
        ASSERT_EQ(row.badgeView->text(), place.text);
        // Left of the text, inside the pill.
        const QImage badge = row.badgeView->grab().toImage();
        EXPECT_EQ(badge.pixelColor(4, ReasonBadgeView::badgeHeight / 2), place.background)
            << place.text;
        const auto* label = row.badgeView->findChild<QLabel*>("panel.row.reason-badge.label");
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->palette().color(QPalette::WindowText), place.foreground) << place.text;
    }
}

// A subtitle too long for the row (a favourite with a shortcut, with the diagnostic labels) is
// cut at the end of its one line.
TEST_F(OverflowRowViewTest, ALongSubtitleIsCutAtTheEndOfOneLine) {
    auto item = record("Dropbox", "", VisibilityClassification::hiddenBehindNotch);
    item.notes = {"source=statusItems", "frameSource=axFrame"};
    row.populate(item, true, QStringLiteral("\u2303\u2325\u21E7\u2318S"), false, true);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    const ElidingLabel& subtitle = *row.subtitleLabel;
    const QStringList lines = subtitle.shownLines(subtitle.contentsRect().width());
    ASSERT_EQ(lines.size(), 1) << lines.join(" / ").toStdString();
    EXPECT_TRUE(lines.front().endsWith(QChar(0x2026))) << lines.front().toStdString();
    EXPECT_TRUE(subtitle.isElided());
    EXPECT_LT(subtitle.height(), 2 * subtitle.fontMetrics().lineSpacing());
}

// An app's icon is only ever scaled down into the row's square, in both dimensions, keeping its
// proportions, and drawn with its corners rounded.
TEST_F(OverflowRowViewTest, AppIconsAreNeverEnlargedAndHaveRoundCorners) {
    const auto opaque = [](int width, int height) {
        platform::NSImage image;
        image.size = {static_cast<double>(width), static_cast<double>(height)};
        image.pixelsWide = width;
        image.pixelsHigh = height;
        image.rgba.assign(static_cast<std::size_t>(width * height * 4), 255);
        return image;
    };
    using AppIconImage::Scaling;
    const struct {
        QSize natural;
        QSize shown;
    } icons[] = {
        {{16, 16}, {16, 16}}, {{64, 64}, {30, 30}}, {{60, 20}, {30, 10}}, {{20, 60}, {10, 30}}};
    for (const auto& icon : icons) {
        EXPECT_EQ(AppIconImage::pixmap(opaque(icon.natural.width(), icon.natural.height()), 30, 1,
                                       Scaling::proportionallyDown)
                      .size(),
                  icon.shown)
            << icon.natural.width() << "x" << icon.natural.height();
    }
    const QPixmap large = AppIconImage::pixmap(opaque(64, 64), 30, 1, Scaling::proportionallyDown);

    row.populate(record("Zoom", ""), false, std::nullopt, false, false, large);
    const QImage shown = row.iconView->pixmap().toImage();
    EXPECT_EQ(shown.size(), QSize(30, 30));
    EXPECT_EQ(shown.pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(shown.pixelColor(15, 15).alpha(), 255);
}

TEST_F(OverflowRowViewTest, KeyboardSelectionWinsOverTheSampleHighlight) {
    auto item = record("Tailscale", "", VisibilityClassification::hiddenBehindNotch);
    item.notes = {"visual-snapshot", "visual-highlight"};
    row.populate(item, false, std::nullopt, false, false);
    const QColor highlighted = row.grab().toImage().pixelColor(200, 4);
    row.isSelectedForKeyboard = true;
    row.renderBackground();
    const QColor selected = row.grab().toImage().pixelColor(200, 4);
    row.isSelectedForKeyboard = false;
    row.isVisualHighlight = false;
    row.renderBackground();
    const QColor plain = row.grab().toImage().pixelColor(200, 4);
    EXPECT_NE(highlighted, plain);
    EXPECT_NE(selected, highlighted);
}

} // namespace
