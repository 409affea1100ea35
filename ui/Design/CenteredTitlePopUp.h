#pragma once

#include <QComboBox>

namespace Parlowen {

// A pop-up button whose title is centred in the room beside its arrows, as a Mac pop-up button
// set to centre its title draws it; the menu it opens is the ordinary one.
class CenteredTitlePopUp : public QComboBox {
public:
    using QComboBox::QComboBox;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace Parlowen
