#include "ui/Onboarding/AccessibilityPermissionPreviewView.h"

#include "ui/Design/LocalizedText.h"
#include "ui/Design/TessalineDesign.h"
#include "ui/Onboarding/OnboardingPainting.h"
#include "ui/Onboarding/TessalineAppMarkView.h"

#include "platform/Workspace.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

namespace Palette = Parlowen::TessalineDesign::Palette;
using Phase = Parlowen::AccessibilityPermissionPreviewPhase;
using namespace OnboardingPainting;

constexpr qreal titleBandHeight = 34;

QPointF lerp(const QPointF& from, const QPointF& to, qreal amount) {
    return from + (to - from) * amount;
}

void drawWindowChrome(QPainter& painter, const AccessibilityPermissionPreviewView::Geometry& g) {
    // The shadow: a soft dark copy of the window, blurred by drawing it grown a few times.
    for (int step = 0; step < 6; ++step) {
        const qreal grow = 3.0 * step;
        fillRounded(painter, g.window.translated(0, 7).adjusted(-grow, -grow, grow, grow),
                    14 + grow, QColor(0, 0, 0, 5));
    }
    fillRounded(painter, g.window, 14, Palette::surface());
    fillRounded(painter, g.window, 14, Qt::white);
    strokeRounded(painter, g.window, 14, Palette::line());
    QPainterPath band;
    band.addRoundedRect(g.window, 14, 14);
    painter.save();
    painter.setClipPath(band);
    painter.fillRect(g.titleBand, withAlpha(Palette::surface(), 0.88));
    painter.fillRect(g.sidebar, withAlpha(Palette::soft(), 0.74));
    painter.restore();

    const QColor dots[] = {QColor(255, 95, 87), QColor(254, 188, 46), QColor(40, 200, 64)};
    painter.setPen(Qt::NoPen);
    for (int index = 0; index < 3; ++index) {
        painter.setBrush(withAlpha(dots[index], 0.82));
        painter.drawEllipse(QPointF(g.window.x() + 18 + 20 * index, g.window.y() + 17), 4, 4);
    }
    drawLine(
        painter, QRectF(g.window.x() + 86, g.window.y() + 9, 160, 18),
        Parlowen::localizedText("onboarding.permission.visual.system_settings", "System Settings"),
        font(12.5, QFont::DemiBold), Palette::ink());
}

void drawAccessibilityGlyph(QPainter& painter, const QRectF& rect) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(Palette::blue());
    painter.drawEllipse(rect);
    painter.setBrush(Qt::white);
    const QPointF centre = rect.center();
    const qreal unit = rect.width() / 22;
    painter.drawEllipse(QPointF(centre.x(), rect.y() + 5.5 * unit), 1.8 * unit, 1.8 * unit);
    painter.setPen(QPen(Qt::white, 1.6 * unit, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(rect.x() + 6 * unit, rect.y() + 9 * unit),
                     QPointF(rect.right() - 6 * unit, rect.y() + 9 * unit));
    painter.drawLine(QPointF(centre.x(), rect.y() + 9 * unit),
                     QPointF(centre.x(), centre.y() + 2 * unit));
    painter.drawLine(QPointF(centre.x(), centre.y() + 2 * unit),
                     QPointF(centre.x() - 3 * unit, rect.bottom() - 4.5 * unit));
    painter.drawLine(QPointF(centre.x(), centre.y() + 2 * unit),
                     QPointF(centre.x() + 3 * unit, rect.bottom() - 4.5 * unit));
}

void drawSidebar(QPainter& painter, const AccessibilityPermissionPreviewView::Geometry& g) {
    fillRounded(painter, g.searchField, 8, Palette::graySoft());
    const QRectF glass(g.searchField.x() + 8, g.searchField.center().y() - 5, 10, 10);
    painter.setPen(QPen(Palette::grayText(), 1.2));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRectF(glass.x(), glass.y(), 7, 7));
    painter.drawLine(QPointF(glass.x() + 6, glass.y() + 6), glass.bottomRight());
    drawLine(painter, g.searchField.adjusted(24, 0, -6, 0),
             Parlowen::localizedText("onboarding.permission.visual.search", "Search"), font(10.5),
             Palette::grayText());

    fillRounded(painter, g.selectedRow, 8, Palette::rowSelection());
    drawAccessibilityGlyph(painter,
                           QRectF(g.selectedRow.x() + 8, g.selectedRow.center().y() - 11, 22, 22));
    drawLine(painter, g.selectedRow.adjusted(38, 0, -6, 0),
             Parlowen::localizedText("onboarding.permission.visual.settings", "Accessibility"),
             font(9.8, QFont::DemiBold), Palette::ink());
}

void drawPane(QPainter& painter, const AccessibilityPermissionPreviewView::Geometry& g,
              double phase, bool reduceMotion) {
    drawLine(painter, QRectF(g.pane.x(), g.pane.y(), g.pane.width(), 20),
             Parlowen::localizedText("onboarding.permission.visual.settings", "Accessibility"),
             font(16, QFont::DemiBold), Palette::ink());
    painter.setFont(font(11.5));
    painter.setPen(Palette::muted());
    painter.drawText(QRectF(g.pane.x(), g.pane.y() + 26, g.pane.width(), 34),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                     Parlowen::localizedText("onboarding.permission.visual.caption",
                                             "Allow Tessaline to control your computer."));

    const double u = reduceMotion ? 0.0 : Phase::pulse(phase);
    if (u > 0) {
        const qreal grow = 4 + 12 * u;
        strokeRounded(painter, g.appRow.adjusted(-grow, -grow, grow, grow), 12,
                      withAlpha(Palette::blue(), 0.18 + 0.36 * u), 2);
    }
    fillRounded(painter, g.appRow, 9, Palette::rowSelection());
    drawTessalineAppIcon(painter, QRectF(g.appRow.x() + 12, g.appRow.center().y() - 15, 30, 30));
    drawLine(painter, QRectF(g.appRow.x() + 52, g.appRow.y() + 15, 122, 18), "Tessaline",
             font(12.5, QFont::DemiBold), Palette::ink());

    const double on = Phase::switchOnAmount(phase, reduceMotion);
    const QRectF& track = g.appSwitch;
    fillRounded(painter, track, track.height() / 2,
                blend(Palette::graySoft(), Palette::blue(), on));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    const qreal knobX = track.x() + 3 + on * (track.width() - 18 - 6);
    painter.drawEllipse(QRectF(knobX, track.center().y() - 9, 18, 18));
}

void drawPointer(QPainter& painter, const AccessibilityPermissionPreviewView::Geometry& g,
                 double phase, bool reduceMotion) {
    const double visibility = reduceMotion ? 0.0 : Phase::pointerVisibility(phase);
    if (visibility <= 0) {
        return;
    }
    const QPointF tip = lerp(g.pointerStart, g.pointerEnd, Phase::pointerTravel(phase));
    QPainterPath arrow(tip);
    arrow.lineTo(tip + QPointF(7, 24));
    arrow.lineTo(tip + QPointF(13, 15));
    arrow.lineTo(tip + QPointF(24, 14));
    arrow.closeSubpath();
    painter.fillPath(arrow, withAlpha(Qt::white, 0.92 * visibility));
    painter.setPen(QPen(withAlpha(Palette::blue(), 0.8 * visibility), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(arrow);
}

} // namespace

AccessibilityPermissionPreviewView::Geometry
AccessibilityPermissionPreviewView::geometry(const QSizeF& size) {
    Geometry g;
    g.background = QRectF(QPointF(0, 0), size).adjusted(1, 1, -1, -1);
    g.window = QRectF(g.background.x() + 18, g.background.y() + 34, g.background.width() - 36,
                      g.background.height() - 68);
    g.titleBand = QRectF(g.window.topLeft(), QSizeF(g.window.width(), titleBandHeight));
    g.sidebar = QRectF(g.window.x(), g.window.y() + titleBandHeight, sidebarWidth,
                       g.window.height() - titleBandHeight);
    g.searchField = QRectF(g.sidebar.x() + 14, g.sidebar.y() + 12, g.sidebar.width() - 28, 24);
    g.selectedRow = QRectF(g.sidebar.x() + 10, g.sidebar.y() + 58, g.sidebar.width() - 20, 34);
    g.pane = QRectF(g.window.x() + sidebarWidth + 20, g.window.y() + 52,
                    g.window.width() - sidebarWidth - 40, g.window.height() - 74);
    g.appRow = QRectF(g.pane.x(), g.pane.y() + 76, g.pane.width(), 46);
    g.appSwitch = QRectF(g.appRow.right() - 54, g.appRow.center().y() - 12, 42, 24);
    g.pointerStart = g.selectedRow.center() + QPointF(-18, 22);
    g.pointerEnd = g.appSwitch.center();
    return g;
}

AccessibilityPermissionPreviewView::AccessibilityPermissionPreviewView(
    platform::RunLoop& loop, platform::Workspace& workspace, QWidget* parent)
    : QWidget(parent), workspace_(workspace),
      ticker_(loop, RunLoopTicker::seconds(Phase::tickSeconds)) {
    setObjectName("onboarding.permission-visual");
    setAccessibleName(Parlowen::localizedText("onboarding.permission.visual.body",
                                              "Turn on Tessaline in Accessibility."));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void AccessibilityPermissionPreviewView::restartAnimationAfterInitialDelay() {
    if (reduceMotion()) {
        ticker_.stop();
        phase_.animationPhase = Phase::reducedMotionPhase;
        update();
        return;
    }
    phase_.reset();
    update();
    if (window()->isVisible() && isVisibleTo(window())) {
        startTimerIfNeeded();
    }
}

void AccessibilityPermissionPreviewView::suspendAnimation() {
    ticker_.stop();
    phase_.reset();
    update();
}

void AccessibilityPermissionPreviewView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (reduceMotion()) {
        phase_.animationPhase = Phase::reducedMotionPhase;
        update();
    } else {
        startTimerIfNeeded();
    }
}

void AccessibilityPermissionPreviewView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    ticker_.stop();
}

void AccessibilityPermissionPreviewView::startTimerIfNeeded() {
    ticker_.startIfNeeded(this, [this] { tick(); });
}

void AccessibilityPermissionPreviewView::tick() {
    if (phase_.tick()) {
        update();
    }
}

bool AccessibilityPermissionPreviewView::reduceMotion() const {
    return workspace_.accessibilityDisplayShouldReduceMotion();
}

void AccessibilityPermissionPreviewView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const Geometry g = geometry(size());
    const bool still = reduceMotion();
    const double phase = still ? Phase::reducedMotionPhase : phase_.animationPhase;
    fillRounded(painter, g.background, 16, Palette::soft());
    strokeRounded(painter, g.background, 16, Palette::line());
    drawWindowChrome(painter, g);
    drawSidebar(painter, g);
    drawPane(painter, g, phase, still);
    drawPointer(painter, g, phase, still);
}
