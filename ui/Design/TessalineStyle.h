#pragma once

#include <QProxyStyle>

namespace Parlowen {

// Qt's Fusion look with the Mac's order of an alert's buttons: the default answer at the right
// end, the one that cancels beside it on its left.
class TessalineStyle : public QProxyStyle {
public:
    TessalineStyle();

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override;
};

} // namespace Parlowen
