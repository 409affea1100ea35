#include "ui/Onboarding/QuickOpenIntroDemoView.h"

#include "Parlowen/Onboarding/OnboardingDemoMedia.h"
#include "Parlowen/Onboarding/QuickOpenDemoScript.h"
#include "ui/Design/TessalineDesign.h"
#include "ui/Onboarding/QuickOpenIntroDemoPainter.h"

#include "platform/RunLoop.h"
#include "platform/Workspace.h"

#include <QMediaPlayer>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>

namespace Script = Parlowen::QuickOpenDemoScript;

QuickOpenIntroDemoView::QuickOpenIntroDemoView(platform::RunLoop& loop,
                                               platform::Workspace& workspace, QWidget* parent)
    : QWidget(parent), loop_(loop), workspace_(workspace), animationPhase_(Script::stillPhase),
      ticker_(loop, RunLoopTicker::seconds(Script::tickSeconds)) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QuickOpenIntroDemoView::~QuickOpenIntroDemoView() {
    ticker_.stop();
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
    if (ticker_.isRunning()) {
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
        ticker_.stop();
        startVideo(*file);
        return;
    }
    stopVideo();
    if (reduceMotion() || Parlowen::OnboardingDemoMedia::forcePosterForSnapshots) {
        // Motion is unwelcome, or a still picture is being taken: the picture stands still.
        ticker_.stop();
        animationPhase_ = Script::stillPhase;
        update();
        return;
    }
    ticker_.startIfNeeded(this, [this] {
        animationPhase_ = Script::advance(animationPhase_);
        update();
    });
}

void QuickOpenIntroDemoView::startVideo(const std::filesystem::path& file) {
    if (player_ != nullptr && playerURL_ == file) {
        return;
    }
    stopVideo();
    videoSink_ = new QVideoSink(this);
    // Frames may arrive from the player's threads; the view keeps and draws them on its own.
    connect(videoSink_, &QVideoSink::videoFrameChanged, this, [this](const QVideoFrame& frame) {
        videoFrame_ = frame.toImage();
        update();
    });
    player_ = new QMediaPlayer(this);
    player_->setVideoSink(videoSink_);
    player_->setLoops(QMediaPlayer::Infinite);
    connect(player_, &QMediaPlayer::errorOccurred, this, [this] { postVideoFailure(); });
    connect(player_, &QMediaPlayer::mediaStatusChanged, this,
            [this](QMediaPlayer::MediaStatus status) {
                if (status == QMediaPlayer::InvalidMedia) {
                    postVideoFailure();
                }
            });
    playerURL_ = file;
    player_->setSource(QUrl::fromLocalFile(QString::fromStdString(file.string())));
    player_->play();
}

void QuickOpenIntroDemoView::stopVideo() {
    if (player_ != nullptr) {
        player_->disconnect(this);
        player_->stop();
        player_->deleteLater();
        player_ = nullptr;
    }
    if (videoSink_ != nullptr) {
        videoSink_->disconnect(this);
        videoSink_->deleteLater();
        videoSink_ = nullptr;
    }
    videoFrame_ = QImage();
    playerURL_.reset();
}

void QuickOpenIntroDemoView::postVideoFailure() {
    // Handled on a later turn: the player that reports it must not be deleted inside its own
    // signal.
    loop_.post([view = QPointer<QuickOpenIntroDemoView>(this)] {
        if (view) {
            view->videoFailed();
        }
    });
}

void QuickOpenIntroDemoView::videoFailed() {
    if (player_ == nullptr) {
        return;
    }
    unplayableURL_ = playerURL_;
    updatePlaybackMode();
}

void QuickOpenIntroDemoView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    updatePlaybackMode();
}

void QuickOpenIntroDemoView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    ticker_.stop();
    stopVideo();
}

void QuickOpenIntroDemoView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.setClipPath(shape);
    if (player_ == nullptr) {
        QuickOpenIntroDemoPainter::paint(painter, size(), animationPhase_, shortcut_);
        return;
    }
    painter.fillRect(rect(), Parlowen::TessalineDesign::Palette::soft());
    if (!videoFrame_.isNull()) {
        QSizeF fitted = videoFrame_.size();
        fitted.scale(size(), Qt::KeepAspectRatio);
        const QRectF target(
            QPointF((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, videoFrame_);
    }
}
