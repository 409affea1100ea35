#pragma once

#include "Parlowen/Settings/QuickAccessModifierShortcut.h"
#include "ui/Onboarding/RunLoopTicker.h"

#include <QImage>
#include <QWidget>

#include <filesystem>
#include <optional>

class QMediaPlayer;
class QVideoSink;

namespace platform {
class RunLoop;
class Workspace;
} // namespace platform

// The value page's demo of Quick Open: a looping demo video for the shortcut when the app's
// resources hold one, else the same script drawn and ticked by the run loop. With reduce motion,
// or while still pictures are rendered, the drawn demo holds its still picture without a timer.
// Whatever it shows is clipped to its rounded shape; the video's frames are drawn by the view
// itself, fitted into it on the soft background.
class QuickOpenIntroDemoView : public QWidget {
public:
    enum class Mode { idle, drawn, still, video };

    // `loop` runs the ticks and `workspace` answers reduce motion; both outlive the view.
    QuickOpenIntroDemoView(platform::RunLoop& loop, platform::Workspace& workspace,
                           QWidget* parent = nullptr);
    ~QuickOpenIntroDemoView() override;

    void setShortcut(Parlowen::QuickAccessModifierShortcut shortcut);
    Parlowen::QuickAccessModifierShortcut shortcut() const { return shortcut_; }
    // The one switch between video and the drawn demo; does nothing while not shown.
    void updatePlaybackMode();

    Mode mode() const;
    double animationPhase() const { return animationPhase_; }
    bool isTimerRunning() const { return ticker_.isRunning(); }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool reduceMotion() const;
    // The video to play now: none with reduce motion, for still pictures, without a file, or
    // when the file turned out to be unplayable.
    std::optional<std::filesystem::path> videoToPlay() const;
    void startVideo(const std::filesystem::path& file);
    void stopVideo();
    void postVideoFailure();
    // The player could not play its file: remember it and draw the demo instead.
    void videoFailed();

    // Corner radius of the view's shape.
    static constexpr qreal cornerRadius = 16;

    platform::RunLoop& loop_;
    platform::Workspace& workspace_;
    Parlowen::QuickAccessModifierShortcut shortcut_ = Parlowen::QuickAccessModifierShortcut::option;
    double animationPhase_;
    RunLoopTicker ticker_;
    QMediaPlayer* player_ = nullptr;
    QVideoSink* videoSink_ = nullptr;
    // The player's latest frame; null until the first arrives.
    QImage videoFrame_;
    std::optional<std::filesystem::path> playerURL_;
    std::optional<std::filesystem::path> unplayableURL_;
};
