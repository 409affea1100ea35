#include "ui/QuickOpenPanel/SampleAppIconFactory.h"

#include "ui/Design/TessalineDesign.h"
#include "ui/Design/TessalineFonts.h"

#include <QPainter>
#include <QPainterPath>
#include <QTextBoundaryFinder>

namespace SampleAppIconFactory {

namespace {

QString firstScalar(const QString& text) {
    const auto scalars = text.toUcs4();
    if (scalars.isEmpty()) {
        return {};
    }
    const char32_t first = scalars.front();
    return QString::fromUcs4(&first, 1);
}

QString firstCharacter(const QString& text) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    const auto end = finder.toNextBoundary();
    return text.left(end > 0 ? end : text.size());
}

} // namespace

QColor color(const QString& appName) {
    if (appName == QLatin1String("Tailscale")) {
        return QColor(11, 132, 229);
    }
    if (appName == QLatin1String("1Password")) {
        return Parlowen::TessalineDesign::Palette::blue();
    }
    if (appName == QLatin1String("Dropbox")) {
        return QColor(19, 174, 117);
    }
    if (appName == QLatin1String("Google Drive")) {
        return Parlowen::TessalineDesign::Palette::orange();
    }
    if (appName == QLatin1String("Memory Monitor")) {
        return QColor(45, 54, 70);
    }
    return Parlowen::TessalineDesign::Palette::grayText();
}

QString initials(const QString& appName) {
    if (appName.startsWith(QLatin1String("1Password"))) {
        return QStringLiteral("1P");
    }
    const auto pieces = appName.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (pieces.isEmpty()) {
        return QStringLiteral("?");
    }
    if (pieces.size() >= 2) {
        return firstScalar(pieces[0]) + firstScalar(pieces[1]);
    }
    return firstCharacter(pieces[0]);
}

QPixmap icon(const QString& appName, qreal devicePixelRatio) {
    QPixmap pixmap(qCeil(iconSize * devicePixelRatio), qCeil(iconSize * devicePixelRatio));
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath square;
    square.addRoundedRect(QRectF(0, 0, iconSize, iconSize), iconCornerRadius, iconCornerRadius);
    painter.fillPath(square, color(appName));
    const QString text = initials(appName);
    painter.setFont(Parlowen::TessalineFonts::font(text.size() < 2 ? 12 : 10, QFont::Bold));
    painter.setPen(Qt::white);
    // Centred in the band 6 to 20 points up from the bottom edge.
    painter.drawText(QRectF(0, iconSize - 6 - 14, iconSize, 14), Qt::AlignCenter, text);
    return pixmap;
}

} // namespace SampleAppIconFactory
