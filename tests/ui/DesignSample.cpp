#include "DesignSample.h"

#include "ui/Design/TessalineDesign.h"
#include "ui/Design/TessalineSecondaryButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

namespace tessaline::testing {

using namespace Parlowen;

std::unique_ptr<QWidget> makeDesignSample() {
    auto window = std::make_unique<QWidget>();
    window->setFixedSize(420, 330);
    auto* layout = new QVBoxLayout(window.get());
    layout->setContentsMargins(24, 12, 24, 20);
    layout->setSpacing(10);
    layout->addWidget(TessalineDesign::centeredTitleLabel(QStringLiteral(
        "Tessaline Settings — a window title long enough to be cut with an ellipsis at its end")));
    layout->addWidget(TessalineDesign::pageTitle(QStringLiteral("Quick Open")));
    layout->addWidget(TessalineDesign::introLabel(QStringLiteral(
        "  Find every menu-bar item, even those behind the notch. Type to search, use the "
        "arrows to move and Return to open. Items you star stay at the top. Hidden items are "
        "listed first so you can reach them fast; this sentence runs past three lines.。 ")));
    auto* field = new QLineEdit(QStringLiteral("Wi-Fi, Bluetooth 微信"));
    field->setFixedHeight(34);
    TessalineDesign::verticallyCenterText(field, 1);
    layout->addWidget(field);
    layout->addWidget(
        TessalineDesign::preferenceSeparator(QStringLiteral("sample.separator"), 372));
    auto* buttons = new QHBoxLayout;
    auto* secondary = new TessalineSecondaryButton(QStringLiteral("Choose another"));
    TessalineDesign::styleSecondaryButton(secondary);
    auto* disabled = new TessalineSecondaryButton(QStringLiteral("Replace"));
    TessalineDesign::styleSecondaryButton(disabled);
    disabled->setEnabled(false);
    auto* primary = new QPushButton(QStringLiteral("Open"));
    TessalineDesign::stylePrimaryButton(primary);
    buttons->addWidget(secondary);
    buttons->addWidget(disabled);
    buttons->addStretch();
    buttons->addWidget(primary);
    layout->addLayout(buttons);
    layout->addStretch();
    return window;
}

} // namespace tessaline::testing
