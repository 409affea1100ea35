#pragma once

#include <QLineEdit>

#include <functional>

// The panel's search field. Escape clears a typed query, as a Mac search field does; with
// nothing typed the key goes on to the window. Its clear button ("panel.search.clear") shows
// exactly while there is text: Qt's own fades out after the text goes, and a field emptied
// while the panel is hidden showed it again on the next showing.
class PanelSearchField : public QLineEdit {
public:
    explicit PanelSearchField(QWidget* parent = nullptr);

    // Shows `text` without reporting it through onQueryChanged. The clear button follows it as
    // it follows typing (blocking the field's signals would leave it behind).
    void replaceQuietly(const QString& text);

    // Told of every change of the text but those made by replaceQuietly.
    std::function<void(const QString&)> onQueryChanged;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool quiet = false;
};
