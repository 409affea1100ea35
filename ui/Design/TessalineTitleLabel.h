#pragma once

#include <QLabel>

namespace Parlowen {

// A one-line label that cuts its text with an ellipsis at the end when it is too narrow, as the
// centred window title does.
class TessalineTitleLabel : public QLabel {
    Q_OBJECT

public:
    explicit TessalineTitleLabel(const QString& text = {}, QWidget* parent = nullptr);

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace Parlowen
