#include "ui/Design/TessalineStyle.h"

#include <QDialogButtonBox>
#include <QStyleFactory>

namespace Parlowen {

TessalineStyle::TessalineStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

int TessalineStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                              QStyleHintReturn* returnData) const {
    if (hint == SH_DialogButtonLayout) {
        return QDialogButtonBox::MacLayout;
    }
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

} // namespace Parlowen
