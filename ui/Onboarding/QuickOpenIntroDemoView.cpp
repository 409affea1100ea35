#include "ui/Onboarding/QuickOpenIntroDemoView.h"

#include "Parlowen/Onboarding/OnboardingDemoMedia.h"
#include "Parlowen/Onboarding/QuickOpenDemoScript.h"
#include "ui/Onboarding/QuickOpenIntroDemoPainter.h"

#include "platform/RunLoop.h"
#include "platform/Workspace.h"

#include <QMediaPlayer>
#include <QPainter>
#include <QPointer>
#include <QUrl>
#include <QVideoWidget>

#include <chrono>

namespace Script = Parlowen::QuickOpenDemoScript;

QuickOpenIntroDemoView::QuickOpenIntroDemoView(platform::RunLoop& loop,
                                               platform::Workspace& workspace, QWidget* parent)
    : QWidget(parent), loop_(loop), workspace_(workspace), animationPhase_(Script::stillPhase) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QuickOpenIntroDemoView::~QuickOpenIntroDemoView() {
    stopTimer();
    stopVideo();
}

void QuickOpenIntroDemoView::setShortcut(Parlowen::QuickAccessModifierShortcut shortcut) {
    shortcut_ = shortcut;
    update();
}

QuickOpenIntroDemoView::Mode QuickOpenIntroDemoView::mode() const {
    if (player_ != nullptr) {
        return Mode::video;
    }
    if (timer_) {
        return Mode::drawn;
    }
    return isVisible() ? Mode::still : Mode::idle;
}

bool QuickOpenIntroDemoView::reduceMotion() const {
    return workspace_.accessibilityDisplayShouldReduceMotion();
}

std::optional<std::filesystem::path> QuickOpenIntroDemoView::videoToPlay() const {
    if (Parlowen::OnboardingDemoMedia::forcePosterForSnapshots || reduceMotion()) {
        return std::nullopt;
    }
    auto file = Parlowen::OnboardingDemoMedia::videoURL(shortcut_);
    if (file && file == unplayableURL_) {
        return std::nullopt;
    }
    return file;
}

void QuickOpenIntroDemoView::updatePlaybackMode() {
    if (!isVisible()) {
        return;
    }
    if (const auto file = videoToPlay()) {
        stopTimer();
        startVideo(*file);
        return;
    }
    stopVideo();
    if (reduceMotion() || Parlowen::OnboardingDemoMedia::forcePosterForSnapshots) {
        // Motion is unwelcome, or a still picture is being taken: the picture stands still.
        stopTimer();
        animationPhase_ = Script::stillPhase;
        update();
        return;
    }
    startTimerIfNeeded();
}

void QuickOpenIntroDemoView::startVideo(const std::filesystem::path& file) {
    if (player_ != nullptr && playerURL_ == file) {
        return;
    }
    stopVideo();
    videoWidget_ = new QVideoWidget(this);
    videoWidget_->setAspectRatioMode(Qt::KeepAspectRatio);
    videoWidget_->setGeometry(rect());
    player_ = new QMediaPlayer(this);
    player_->setVideoOutput(videoWidget_);
    player_->setLoops(QMediaPlayer::Infinite);
    QPointer<QuickOpenIntroDemoView> view(this);
    connect(player_, &QMediaPlayer::errorOccurred, this, [view] {
        // Handled on a later turn: the player that reports it must not be deleted inside its
        // own signal.
        view->loop_.post([view] {
            if (view) {
                view->videoFailed();
            }
        });
    });
    connect(player_, &QMediaPlayer::mediaStatusChanged, this,
            [view](QMediaPlayer::MediaStatus status) {
                if (status == QMediaPlayer::InvalidMedia) {
                    view->loop_.post([view] {
                        if (view) {
                            view->videoFailed();
                        }
                    });
                }
            });
    playerURL_ = file;
    player_->setSource(QUrl::fromLocalFile(QString::fromStdString(file.string())));
    videoWidget_->show();
    player_->play();
}

void QuickOpenIntroDemoView::stopVideo() {
    if (player_ != nullptr) {
        player_->disconnect(this);
        player_->stop();
        player_->deleteLater();
        player_ = nullptr;
    }
    if (videoWidget_ != nullptr) {
        videoWidget_->hide();
        videoWidget_->deleteLater();
        videoWidget_ = nullptr;
    }
    playerURL_.reset();
}

void QuickOpenIntroDemoView::videoFailed() {
    if (player_ == nullptr) {
        return;
    }
    unplayableURL_ = playerURL_;
    updatePlaybackMode();
}

void QuickOpenIntroDemoView::startTimerIfNeeded() {
    if (timer_) {
        return;
    }
    QPointer<QuickOpenIntroDemoView> view(this);
    timer_ = loop_.scheduleRepeatingTimer(std::chrono::duration_cast<platform::Duration>(
                                              std::chrono::duration<double>(Script::tickSeconds)),
                                          [view] {
                                              if (view) {
                                                  view->animationPhase_ =
                                                      Script::advance(view->animationPhase_);
                                                  view->update();
                                              }
                                          });
}

void QuickOpenIntroDemoView::stopTimer() {
    if (timer_) {
        timer_->invalidate();
        timer_.reset();
    }
}

void QuickOpenIntroDemoView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    updatePlaybackMode();
}

void QuickOpenIntroDemoView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    stopTimer();
    stopVideo();
}

void QuickOpenIntroDemoView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (videoWidget_ != nullptr) {
        videoWidget_->setGeometry(rect());
    }
}

void QuickOpenIntroDemoView::paintEvent(QPaintEvent*) {
    if (player_ != nullptr) {
        return;
    }
    QPainter painter(this);
    QuickOpenIntroDemoPainter::paint(painter, size(), animationPhase_, shortcut_);
}
