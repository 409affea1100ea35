#pragma once

#include <QObject>

class QLineEdit;

namespace Parlowen {

// Keeps a line edit's text centred by `TessalineDesign::centeredTextRect`: watches the field's
// size and font and sets its text margins so that Qt's own centring lands on that rectangle.
// A child of the field, so it lives as long as the field does.
class CenteredTextMargins : public QObject {
    Q_OBJECT

public:
    // The field's centring object, made on first use.
    static CenteredTextMargins* of(QLineEdit* field);

    void setOpticalYOffset(qreal offset);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit CenteredTextMargins(QLineEdit* field);
    void update();

    QLineEdit* field_;
    qreal opticalYOffset_ = 0;
};

} // namespace Parlowen
