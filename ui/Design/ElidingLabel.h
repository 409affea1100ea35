#pragma once

#include <QLabel>
#include <QStringList>

namespace Parlowen {

// A plain-text label that wraps its text at word boundaries onto at most `maximumLineCount`
// lines (one unless set) and cuts what does not fit with an ellipsis at the end of the last
// line. It never asks its layout for more width than it is given, and is as tall as the lines
// it shows. `text()` stays the whole text.
class ElidingLabel : public QLabel {
    Q_OBJECT

public:
    explicit ElidingLabel(const QString& text = {}, QWidget* parent = nullptr);

    int maximumLineCount() const { return maximumLines; }
    void setMaximumLineCount(int count);

    // The lines drawn at `width`: the wrapped text, the last one cut when more would be needed.
    QStringList shownLines(int width) const;
    // Whether the text is cut at the label's present width.
    bool isElided() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The height of `lines` lines with the label's margins.
    int heightOfLines(int lines) const;

    int maximumLines = 1;
};

} // namespace Parlowen
