#include "OnboardingTestSupport.h"

#include "Parlowen/Onboarding/AccessibilityPermissionPreviewPhase.h"
#include "Parlowen/Onboarding/OnboardingDemoMedia.h"
#include "Parlowen/Onboarding/QuickOpenDemoScript.h"
#include "Parlowen/Settings/AppResourceBundles.h"
#include "tests/support/TemporaryFolder.h"
#include "tests/support/WidgetImage.h"
#include "ui/Onboarding/AccessibilityPermissionPreviewView.h"
#include "ui/Onboarding/DraggableApplicationOverlayView.h"
#include "ui/Onboarding/QuickOpenIntroDemoPainter.h"
#include "ui/Onboarding/QuickOpenIntroDemoView.h"
#include "ui/Onboarding/TessalineAppMarkView.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>

#include <algorithm>
#include <fstream>
#include <vector>

namespace {

using namespace OnboardingTesting;
using Parlowen::AccessibilityPermissionPreviewPhase;
using Parlowen::QuickAccessModifierShortcut;
namespace Media = Parlowen::OnboardingDemoMedia;
namespace Script = Parlowen::QuickOpenDemoScript;

constexpr auto previewTick = std::chrono::milliseconds(100);
constexpr auto demoTick = std::chrono::milliseconds(120);

TEST(PermissionPreviewPhase, HoldsTwentyTicksThenStepsAndWrapsToExactlyZero) {
    AccessibilityPermissionPreviewPhase phase;
    for (int tick = 0; tick < 20; ++tick) {
        EXPECT_FALSE(phase.tick());
        EXPECT_EQ(phase.animationPhase, 0.0);
    }
    for (int tick = 1; tick <= 40; ++tick) {
        EXPECT_TRUE(phase.tick());
        EXPECT_NEAR(phase.animationPhase, 0.025 * tick, 1e-9);
    }
    EXPECT_TRUE(phase.tick());
    EXPECT_EQ(phase.animationPhase, 0.0);
}

TEST(PermissionPreviewPhase, SwitchPulseAndPointerFollowTheirWindows) {
    using P = AccessibilityPermissionPreviewPhase;
    EXPECT_EQ(P::switchOnAmount(0.38, false), 0.0);
    EXPECT_EQ(P::switchOnAmount(0.62, false), 1.0);
    EXPECT_EQ(P::switchOnAmount(0.0, true), 1.0);
    EXPECT_EQ(P::pulse(0.62), 0.0);
    EXPECT_NEAR(P::pulse(0.81), 0.5, 1e-9);
    EXPECT_NEAR(P::pulse(1.0), 0.0, 1e-9);
    EXPECT_EQ(P::pointerTravel(0.16), 0.0);
    EXPECT_EQ(P::pointerTravel(0.46), 1.0);
    EXPECT_EQ(P::pointerVisibility(0.68), 1.0);
    EXPECT_NEAR(P::pointerVisibility(0.88), 0.0, 1e-9);
}

// A view shown in a window of its own, as the page shows it.
template <typename View> struct ShownView {
    explicit ShownView(OnboardingFixture& fixture)
        : view(new View(fixture.loop, fixture.desktop.workspace(), &window)) {
        view->resize(view->sizeHint().isValid() ? view->sizeHint() : QSize(500, 500));
        window.show();
    }
    QWidget window;
    View* view;
};

TEST(PermissionPreviewView, TheRunLoopTicksItAfterTwoStillSeconds) {
    OnboardingFixture fixture;
    ShownView<AccessibilityPermissionPreviewView> shown(fixture);
    shown.view->restartAnimationAfterInitialDelay();
    fixture.loop.runFor(20 * previewTick);
    EXPECT_EQ(shown.view->animationPhase(), 0.0);
    fixture.loop.runFor(previewTick);
    EXPECT_NEAR(shown.view->animationPhase(), 0.025, 1e-9);

    shown.view->suspendAnimation();
    EXPECT_FALSE(shown.view->isTimerRunning());
    shown.view->restartAnimationAfterInitialDelay();
    fixture.loop.runFor(20 * previewTick);
    EXPECT_EQ(shown.view->animationPhase(), 0.0);
}

TEST(PermissionPreviewView, ReduceMotionHoldsTheFinishedPictureWithoutATimer) {
    OnboardingFixture fixture;
    fixture.simWorkspace().setReduceMotion(true);
    ShownView<AccessibilityPermissionPreviewView> shown(fixture);
    shown.view->restartAnimationAfterInitialDelay();
    EXPECT_FALSE(shown.view->isTimerRunning());
    fixture.loop.runFor(std::chrono::seconds(5));
    EXPECT_EQ(shown.view->animationPhase(),
              AccessibilityPermissionPreviewPhase::reducedMotionPhase);
}

TEST(QuickOpenDemoScript, TypesDropboxBetweenItsTimes) {
    const std::pair<double, const char*> rows[] = {
        {0.0, ""}, {0.36, ""}, {0.47, "Drop"}, {0.58, "Dropbox"}, {0.78, "Dropbox"}};
    for (const auto& [phase, text] : rows) {
        EXPECT_EQ(Script::typedText(phase), text) << phase;
    }
}

TEST(QuickOpenDemoScript, LoopsFromTheStillPictureAndWrapsToExactlyZero) {
    double phase = Script::stillPhase;
    for (int tick = 0; tick < 6; ++tick) {
        phase = Script::advance(phase);
    }
    EXPECT_NEAR(phase, 1.02, 1e-9);
    EXPECT_EQ(Script::advance(phase), 0.0);
    phase = 0;
    for (int tick = 0; tick < 25; ++tick) {
        phase = Script::advance(phase);
    }
    EXPECT_EQ(Script::advance(phase), 0.0);
}

TEST(OnboardingDemoMedia, ChoosesTheVideoLanguageFromTheFirstChineseOrEnglishEntry) {
    const std::pair<std::vector<std::string>, const char*> rows[] = {
        {{"zh-Hans", "en"}, "zh-Hans"},
        {{"fr", "zh-TW", "en"}, "zh-Hans"},
        {{"EN-GB", "zh-Hans"}, "en"},
        {{"fr", "de"}, "en"},
        {{}, "en"}};
    for (const auto& [languages, expected] : rows) {
        EXPECT_EQ(Media::preferredVideoLocale(languages), expected) << languages.size();
    }
}

TEST(OnboardingDemoMedia, TriesTheLanguageThenTheOtherThenTheShortcutThenThePlainName) {
    EXPECT_EQ(Media::resourceNames(QuickAccessModifierShortcut::command, "zh-Hans"),
              (std::vector<std::string>{"onboarding-quick-open-demo-zh-Hans-command",
                                        "onboarding-quick-open-demo-en-command",
                                        "onboarding-quick-open-demo-command",
                                        "onboarding-quick-open-demo"}));
    EXPECT_EQ(Media::resourceNames(QuickAccessModifierShortcut::none, "en").front(),
              "onboarding-quick-open-demo-en-none");
    // The program ships no demo video: the drawn demo stands in.
    EXPECT_EQ(Media::videoURL(QuickAccessModifierShortcut::option), std::nullopt);
}

TEST(QuickOpenIntroDemoView, DrawsTheScriptWithoutAVideoAndStandsStillWithReduceMotion) {
    OnboardingFixture fixture;
    {
        ShownView<QuickOpenIntroDemoView> shown(fixture);
        EXPECT_EQ(shown.view->mode(), QuickOpenIntroDemoView::Mode::drawn);
        fixture.loop.runFor(demoTick);
        EXPECT_NEAR(shown.view->animationPhase(), Script::stillPhase + Script::step, 1e-9);
        shown.window.hide();
        EXPECT_EQ(shown.view->mode(), QuickOpenIntroDemoView::Mode::idle);
    }
    fixture.simWorkspace().setReduceMotion(true);
    ShownView<QuickOpenIntroDemoView> still(fixture);
    EXPECT_EQ(still.view->mode(), QuickOpenIntroDemoView::Mode::still);
    fixture.loop.runFor(std::chrono::seconds(2));
    EXPECT_EQ(still.view->animationPhase(), Script::stillPhase);
}

// A file named as the demo video in a resource bundle of its own, which holds only "not a
// video"; the player is started on it, reports it later and the drawn demo takes its place.
struct UnplayableDemoVideo {
    UnplayableDemoVideo() {
        // Qt's GStreamer backend crashes on a file it cannot parse on this system; FFmpeg
        // reports it.
        qputenv("QT_MEDIA_BACKEND", "ffmpeg");
        std::ofstream(file) << "not a video";
        Parlowen::AppResourceBundles::overrideCandidates(
            std::vector{Parlowen::ResourceBundle(resources.path())});
    }
    ~UnplayableDemoVideo() {
        flushDeferredDeletes();
        Parlowen::AppResourceBundles::overrideCandidates(std::nullopt);
    }

    TemporaryFolder resources;
    std::filesystem::path file = resources.path() / "onboarding-quick-open-demo.mp4";
};

TEST(QuickOpenIntroDemoView, AnUnplayableVideoFallsBackToTheDrawnDemo) {
    UnplayableDemoVideo video;
    OnboardingFixture fixture;
    ShownView<QuickOpenIntroDemoView> shown(fixture);
    EXPECT_EQ(Media::videoURL(QuickAccessModifierShortcut::option), video.file);
    EXPECT_EQ(shown.view->mode(), QuickOpenIntroDemoView::Mode::video);
    // The player reports the bad file from its own threads, through Qt's event loop.
    QElapsedTimer waited;
    waited.start();
    while (shown.view->mode() == QuickOpenIntroDemoView::Mode::video && waited.elapsed() < 10'000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        fixture.loop.runFor(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(shown.view->mode(), QuickOpenIntroDemoView::Mode::drawn);
}

// The video's frames are fitted into the view and clipped to its rounded shape.
TEST(QuickOpenIntroDemoView, VideoIsClippedToTheRoundedShape) {
    UnplayableDemoVideo video;
    OnboardingFixture fixture;
    ShownView<QuickOpenIntroDemoView> shown(fixture);
    ASSERT_EQ(shown.view->mode(), QuickOpenIntroDemoView::Mode::video);
    auto* sink = shown.view->findChild<QVideoSink*>();
    ASSERT_NE(sink, nullptr);
    QVideoFrame frame(QVideoFrameFormat(QSize(50, 50), QVideoFrameFormat::Format_RGBA8888));
    ASSERT_TRUE(frame.map(QVideoFrame::WriteOnly));
    uchar* bytes = frame.bits(0);
    for (int index = 0; index < frame.mappedBytes(0); index += 4) {
        bytes[index] = bytes[index + 3] = 255;
        bytes[index + 1] = bytes[index + 2] = 0;
    }
    frame.unmap();
    sink->setVideoFrame(frame);
    const QImage image = tessaline::testing::renderWidget(*shown.view);
    EXPECT_EQ(tessaline::testing::pixelColor(image, 250, 250), QColor(Qt::red));
    for (const QPoint corner : {QPoint(1, 1), QPoint(498, 1), QPoint(1, 498), QPoint(498, 498)}) {
        EXPECT_NE(tessaline::testing::pixelColor(image, corner.x(), corner.y()), QColor(Qt::red))
            << corner.x() << "," << corner.y();
    }
}

// While "Dropbox" is typed the list's thumb moves down exactly 4 points, whatever the list
// scrolled.
TEST(QuickOpenIntroDemo, TheScrollThumbTravelsFourPoints) {
    tessaline::testing::uiTestApplication();
    // The first row the thumb darkens on the 68-point track, which runs down from y 135 at x 411
    // to 414; the panel stands in place from p = 0.34.
    const auto thumbTop = [](double phase) {
        QImage image(500, 500, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            QuickOpenIntroDemoPainter::paint(painter, QSizeF(500, 500), phase,
                                             QuickAccessModifierShortcut::option);
        }
        std::vector<int> lightness;
        for (int y = 135; y < 135 + 68; ++y) {
            lightness.push_back(image.pixelColor(412, y).lightness());
        }
        const auto [darkest, lightest] = std::minmax_element(lightness.begin(), lightness.end());
        const int between = (*darkest + *lightest) / 2;
        return 135 + static_cast<int>(std::find_if(lightness.begin(), lightness.end(),
                                                   [&](int each) { return each < between; }) -
                                      lightness.begin());
    };
    EXPECT_EQ(thumbTop(0.6) - thumbTop(0.35), 4);
}

TEST(QuickOpenIntroDemoView, PostersForSnapshotsStandStill) {
    OnboardingFixture fixture;
    Media::forcePosterForSnapshots = true;
    ShownView<QuickOpenIntroDemoView> shown(fixture);
    EXPECT_EQ(shown.view->mode(), QuickOpenIntroDemoView::Mode::still);
    Media::forcePosterForSnapshots = false;
}

TEST(TessalineAppMark, IsACentredSquareInAnyView) {
    EXPECT_EQ(TessalineAppMarkView::markRect(QSizeF(44, 44)), QRectF(0.5, 0.5, 43, 43));
    EXPECT_EQ(TessalineAppMarkView::markRect(QSizeF(80, 44)), QRectF(18.5, 0.5, 43, 43));
}

TEST(DragTheAppPanel, OffersExactlyTheBundleFileURL) {
    std::unique_ptr<QMimeData> data(
        DraggableApplicationOverlayView::makeDragMimeData("/Applications/Tessaline.app"));
    ASSERT_EQ(data->urls().size(), 1);
    EXPECT_EQ(data->urls().front(), QUrl("file:///Applications/Tessaline.app"));
}

TEST(DragTheAppPanel, OnlyAnAppBundleCanBeDragged) {
    OnboardingFixture fixture;
    EXPECT_EQ(fixture.make().currentApplicationBundleURL(), "/Applications/Tessaline.app");
    DraggableApplicationOverlayView withoutBundle(std::nullopt, QSize(372, 142),
                                                  fixture.desktop.workspace(), fixture.loop);
    EXPECT_FALSE(withoutBundle.startDrag({}));
    EXPECT_FALSE(withoutBundle.isDragInProgress());
}

// The drag image stands centred on the token's icon, wherever on the card the drag begins.
TEST(DragTheAppPanel, TheDragImageIsCentredOnTheTokensIcon) {
    OnboardingFixture fixture;
    DraggableApplicationOverlayView overlay("/Applications/Tessaline.app", QSize(372, 142),
                                            fixture.desktop.workspace(), fixture.loop);
    overlay.show();
    const QLabel* icon = overlay.dragFeedbackView()->iconView();
    const QPoint centre = icon->mapTo(&overlay, QPoint(icon->width() / 2, icon->height() / 2));
    for (const QPoint pointer : {QPoint(300, 70), centre, QPoint(5, 5)}) {
        EXPECT_EQ(overlay.dragHotSpot(pointer), pointer - centre + QPoint(28, 28))
            << pointer.x() << "," << pointer.y();
    }
}

TEST(DragTheAppPanel, ThePickupGrowsAndSettlesBackToNormalSize) {
    using Token = DraggableApplicationTokenView;
    EXPECT_EQ(Token::pickupScale(0), 1.0);
    EXPECT_NEAR(Token::pickupScale(0.62 * Token::pickupSeconds), 1.22, 1e-9);
    EXPECT_NEAR(Token::pickupScale(0.999 * Token::pickupSeconds), 1.09, 1e-3);
    EXPECT_EQ(Token::pickupScale(Token::pickupSeconds), 1.0);
}

} // namespace
