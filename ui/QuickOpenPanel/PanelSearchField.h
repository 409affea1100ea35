#pragma once

#include <QLineEdit>

// The panel's search field. Escape clears a typed query, as a Mac search field does; with
// nothing typed the key goes on to the window.
class PanelSearchField : public QLineEdit {
public:
    explicit PanelSearchField(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
