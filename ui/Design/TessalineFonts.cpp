#include "ui/Design/TessalineFonts.h"

namespace Parlowen::TessalineFonts {

QFont font(int points, QFont::Weight weight) {
    QFont result(QString::fromLatin1(family));
    result.setPixelSize(points);
    result.setWeight(weight);
    result.setHintingPreference(QFont::PreferNoHinting);
    result.setStyleStrategy(QFont::PreferAntialias);
    return result;
}

} // namespace Parlowen::TessalineFonts
