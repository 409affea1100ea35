#include "ui/Design/TessalineFonts.h"

namespace Parlowen::TessalineFonts {

namespace {

QFont fontOf(const char* familyName, int points, QFont::Weight weight) {
    QFont result(QString::fromLatin1(familyName));
    result.setPixelSize(points);
    result.setWeight(weight);
    result.setHintingPreference(QFont::PreferNoHinting);
    result.setStyleStrategy(QFont::PreferAntialias);
    return result;
}

} // namespace

QFont font(int points, QFont::Weight weight) {
    return fontOf(family, points, weight);
}

QFont monospacedFont(int points, QFont::Weight weight) {
    auto result = fontOf(monospacedFamily, points, weight);
    result.setStyleHint(QFont::Monospace);
    return result;
}

} // namespace Parlowen::TessalineFonts
