#include "ui/Design/TessalineDesign.h"
#include "DesignSample.h"
#include "tests/support/KeySender.h"
#include "tests/support/TemporaryFolder.h"
#include "tests/support/UiTestApplication.h"
#include "tests/support/WidgetImage.h"
#include "ui/Design/ElidingLabel.h"
#include "ui/Design/TessalineFonts.h"
#include "ui/Design/TessalineSecondaryButton.h"

#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>

namespace {

using namespace Parlowen;
using namespace tessaline::testing;

class TessalineDesignTest : public testing::Test {
protected:
    // Made before any widget of a test.
    QApplication& application = uiTestApplication();
};

TEST_F(TessalineDesignTest, IntroTextDropsOuterStopsAndKeepsInnerOnes) {
    const struct {
        const char* name;
        const char* text;
        const char* shown;
    } rows[] = {
        {"final full stop", "Grant access.", "Grant access"},
        {"final ideographic full stop", "授予权限。", "授予权限"},
        {"inner stops kept", "Step 1. Open it. Done.", "Step 1. Open it. Done"},
        {"inner ideographic stop kept", "打开。然后授予。", "打开。然后授予"},
        {"white space and line breaks", " \n\tGrant access.\n ", "Grant access"},
        {"stops and spaces mixed at both ends", ". 。Text 。. ", "Text"},
        {"ellipsis at the end trimmed", "Wait...", "Wait"},
        {"leading stop", ".hidden", "hidden"},
        {"only stops", "。.。", ""},
        {"empty", "", ""},
        {"no stop", "Grant access", "Grant access"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(TessalineDesign::introText(QString::fromUtf8(row.text)),
                  QString::fromUtf8(row.shown))
            << row.name;
    }
}

TEST_F(TessalineDesignTest, IntroLabelShowsAtMostThreeLines) {
    QWidget window;
    window.setFixedWidth(220);
    auto* layout = new QVBoxLayout(&window);
    QLabel* shortLabel = TessalineDesign::introLabel(QStringLiteral("One line."));
    QLabel* longLabel = TessalineDesign::introLabel(QString(QStringLiteral("word ")).repeated(80));
    layout->addWidget(shortLabel);
    layout->addWidget(longLabel);
    layout->addStretch();
    window.resize(220, 600);
    ASSERT_TRUE(showAndActivate(window));
    const int line = longLabel->fontMetrics().lineSpacing();
    EXPECT_EQ(longLabel->height(), 3 * line);
    EXPECT_LE(shortLabel->height(), line + 1);
    EXPECT_EQ(shortLabel->text(), QStringLiteral("One line"));
    EXPECT_EQ(longLabel->palette().color(QPalette::WindowText),
              TessalineDesign::SystemColors::secondaryLabel());
}

TEST_F(TessalineDesignTest, CenteredTextRectTable) {
    const qreal nan = std::numeric_limits<qreal>::quiet_NaN();
    const struct {
        const char* name;
        QRectF bounds;
        qreal textHeight;
        qreal offset;
        QRectF expected;
    } rows[] = {
        {"taller field centres", {0, 0, 100, 40}, 16, 0, {0, 12, 100, 16}},
        {"offset moves down", {0, 0, 100, 40}, 16, 2, {0, 14, 100, 16}},
        {"negative offset moves up", {5, 10, 100, 40}, 16, -1.5, {5, 20.5, 100, 16}},
        {"exact fit keeps the rectangle", {0, 0, 100, 16}, 16, 3, {0, 0, 100, 16}},
        {"shorter field ignores the offset", {0, 0, 100, 12}, 16, 3, {0, 0, 100, 12}},
        {"unknown text height keeps the rectangle", {0, 0, 100, 40}, nan, 3, {0, 0, 100, 40}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(TessalineDesign::centeredTextRect(row.bounds, row.textHeight, row.offset),
                  row.expected)
            << row.name;
    }
}

// The middle row of the dark pixels of a render, or -1 when there are none.
double inkCentre(const QImage& image) {
    int top = -1;
    int bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 4; x < image.width() - 4; ++x) {
            if (qGray(image.pixel(x, y)) < 100) {
                top = top < 0 ? y : top;
                bottom = y;
                break;
            }
        }
    }
    return top < 0 ? -1 : (top + bottom) / 2.0;
}

TEST_F(TessalineDesignTest, FieldTextSitsInTheMiddleMovedByTheOpticalOffset) {
    QLineEdit field(QStringLiteral("HHHH"));
    field.setFrame(false);
    field.setFont(TessalineFonts::font(13));
    field.resize(120, 40);
    TessalineDesign::verticallyCenterText(&field, 0);
    const double centred = inkCentre(renderWidget(field));
    EXPECT_NEAR(centred, 20, 1.5);
    TessalineDesign::verticallyCenterText(&field, 4);
    EXPECT_NEAR(inkCentre(renderWidget(field)), centred + 4, 0.75);
    // Too short for its text: the offset is ignored.
    field.resize(120, 10);
    renderWidget(field);
    EXPECT_EQ(field.textMargins().top(), 0);
    EXPECT_EQ(field.textMargins().bottom(), 0);
    EXPECT_EQ(field.text(), QStringLiteral("HHHH"));
}

class SecondaryButtonFocusTest : public TessalineDesignTest {
protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&window);
        field = new QLineEdit;
        button = new TessalineSecondaryButton(QStringLiteral("Choose another"));
        TessalineDesign::styleSecondaryButton(button);
        after = new QLineEdit;
        layout->addWidget(field);
        layout->addWidget(button);
        layout->addWidget(after);
        ASSERT_TRUE(showAndActivate(window));
        field->setFocus(Qt::OtherFocusReason);
    }

    // Background inside the border and the border on the left edge, half-way down.
    std::pair<QColor, QColor> colours() {
        const QImage image = renderWidget(*button);
        const int middle = image.height() / 2;
        return {pixelColor(image, 3, middle), pixelColor(image, 0, middle)};
    }

    std::string focusName() {
        QWidget* focused = QApplication::focusWidget();
        return focused == field    ? "field"
               : focused == button ? "button"
               : focused == after  ? "after"
                                   : "other";
    }

    QWidget window;
    QLineEdit* field = nullptr;
    TessalineSecondaryButton* button = nullptr;
    QLineEdit* after = nullptr;
};

TEST_F(SecondaryButtonFocusTest, TabOntoAndAwayAndDisabledColours) {
    using namespace TessalineDesign;
    EXPECT_EQ(colours(), std::make_pair(QColor(Qt::white), Palette::line()));
    sendKey(window, Qt::Key_Tab);
    ASSERT_EQ(focusName(), "button");
    EXPECT_TRUE(button->isKeyboardFocused());
    EXPECT_EQ(colours(), std::make_pair(Palette::focusSoft(), Palette::blue()));
    sendKey(window, Qt::Key_Tab);
    ASSERT_EQ(focusName(), "after");
    EXPECT_FALSE(button->isKeyboardFocused());
    EXPECT_EQ(colours(), std::make_pair(QColor(Qt::white), Palette::line()));
    sendKey(window, Qt::Key_Backtab, Qt::ShiftModifier);
    ASSERT_EQ(focusName(), "button");
    button->setEnabled(false);
    EXPECT_EQ(colours(), std::make_pair(Palette::soft(), Palette::line()));
    EXPECT_NE(focusName(), "button");
}

TEST_F(TessalineDesignTest, PrimaryButtonIsFilledBlueWithWhiteText) {
    QPushButton button(QStringLiteral("Open"));
    TessalineDesign::stylePrimaryButton(&button);
    button.resize(button.sizeHint());
    const QImage image = renderWidget(button);
    const int middle = image.height() / 2;
    EXPECT_EQ(pixelColor(image, 0, middle), TessalineDesign::Palette::blue());
    EXPECT_EQ(pixelColor(image, image.width() - 1, middle), TessalineDesign::Palette::blue());
    int white = 0;
    for (int x = 0; x < image.width(); ++x) {
        white += qGray(image.pixel(x, middle)) > 240;
    }
    EXPECT_GT(white, 0) << "the label is drawn in white";
    EXPECT_EQ(button.font().pixelSize(), 13);
    EXPECT_EQ(button.font().weight(), QFont::DemiBold);
}

TEST_F(TessalineDesignTest, CenteredTitleIsReplacedNotAddedAndCutAtItsEnd) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(TessalineDesign::centeredTitleLabel(QStringLiteral("First")));
    TessalineDesign::installCenteredTitlebarLabel(&window, QStringLiteral("Second"));
    TessalineDesign::installCenteredTitlebarLabel(&window, QStringLiteral("Preferences"));
    const auto labels = window.findChildren<QLabel*>(QStringLiteral("window.title.centered"));
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels.front()->text(), QStringLiteral("Preferences"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Preferences"));
    EXPECT_EQ(labels.front()->minimumSizeHint().width(), 0);
    EXPECT_EQ(labels.front()->font().pixelSize(), 13);
    EXPECT_EQ(labels.front()->palette().color(QPalette::WindowText),
              TessalineDesign::Palette::grayText());
}

TEST_F(TessalineDesignTest, ElidingLabelWrapsOntoItsLinesThenCutsTheLast) {
    const QString words = QStringLiteral("Search menu bar apps, then press a shortcut for the app");
    const struct {
        const char* name;
        int lines;
        int width;
        int shownLines;
        bool elided;
    } rows[] = {
        {"one line wide enough", 1, 1000, 1, false},
        {"one line too narrow", 1, 120, 1, true},
        {"two lines hold it", 2, 200, 2, false},
        {"two lines do not hold it", 2, 120, 2, true},
        {"three lines, two needed", 3, 200, 2, false},
    };
    for (const auto& row : rows) {
        ElidingLabel label(words);
        label.setFont(TessalineFonts::font(11));
        label.setMaximumLineCount(row.lines);
        label.resize(row.width, label.heightForWidth(row.width));
        const QStringList lines = label.shownLines(row.width);
        EXPECT_EQ(lines.size(), row.shownLines) << row.name;
        EXPECT_EQ(label.isElided(), row.elided) << row.name;
        EXPECT_EQ(lines.constLast().endsWith(QChar(0x2026)), row.elided) << row.name;
        for (const QString& line : lines) {
            EXPECT_LE(label.fontMetrics().horizontalAdvance(line), row.width) << row.name;
        }
        if (row.lines > 1) {
            EXPECT_EQ(label.heightForWidth(row.width),
                      TessalineDesign::heightOfLines(label.fontMetrics(), row.shownLines))
                << row.name;
        }
    }
}

TEST_F(TessalineDesignTest, FontsAreInterAtPixelSizesWithoutHinting) {
    const QFont title = TessalineDesign::pageTitle(QStringLiteral("Title"))->font();
    EXPECT_EQ(QFontInfo(title).family(), QStringLiteral("Inter"));
    EXPECT_EQ(title.pixelSize(), 18);
    EXPECT_EQ(title.weight(), QFont::DemiBold);
    EXPECT_EQ(title.hintingPreference(), QFont::PreferNoHinting);
    EXPECT_EQ(QFontInfo(QApplication::font()).family(), QStringLiteral("Inter"));
    const auto* style = qobject_cast<const QProxyStyle*>(QApplication::style());
    ASSERT_NE(style, nullptr);
    EXPECT_EQ(style->baseStyle()->name(), QStringLiteral("fusion"));
}

TEST_F(TessalineDesignTest, SampleRendersToTheSameBytesInTwoProcessesWhateverTheirSettings) {
    TemporaryFolder folder;
    std::vector<std::string> renders;
    // The second process runs in an environment that asks for another style, scale, font DPI
    // and a machine's font configuration that knows only DejaVu: none of it may reach the render.
    const auto machineFonts = folder.path() / "machine-fonts.conf";
    std::ofstream(machineFonts) << "<?xml version=\"1.0\"?><fontconfig>"
                                   "<dir>/usr/share/fonts/truetype/dejavu</dir></fontconfig>\n";
    const std::string hostile = "QT_STYLE_OVERRIDE=Windows QT_SCALE_FACTOR=2 QT_FONT_DPI=144 "
                                "QT_QPA_PLATFORMTHEME=gtk3 FONTCONFIG_FILE='" +
                                machineFonts.string() + "' ";
    const std::pair<const char*, std::string> runs[] = {{"first.png", ""}, {"second.png", hostile}};
    for (const auto& [name, environment] : runs) {
        const auto path = folder.path() / name;
        const std::string command =
            std::string(environment) + TESSALINE_DESIGN_SAMPLE_RENDER + " '" + path.string() + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        std::ifstream file(path, std::ios::binary);
        renders.emplace_back(std::istreambuf_iterator<char>(file),
                             std::istreambuf_iterator<char>());
    }
    EXPECT_GT(renders[0].size(), 1000u);
    EXPECT_TRUE(renders[0] == renders[1]);
    // The same as in this process too.
    const auto sample = makeDesignSample();
    QImage here = renderWidget(*sample);
    QImage there;
    ASSERT_TRUE(there.loadFromData(reinterpret_cast<const uchar*>(renders[0].data()),
                                   static_cast<int>(renders[0].size()), "PNG"));
    EXPECT_TRUE(here.convertToFormat(QImage::Format_ARGB32) ==
                there.convertToFormat(QImage::Format_ARGB32));
}

} // namespace
