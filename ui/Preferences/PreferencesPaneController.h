#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

class QVBoxLayout;
class QWidget;

struct PreferencesServices;

// One pane of the preferences window: its view is built on first use and told when it appears
// and disappears, so a pane re-reads its settings each time it is shown.
class PreferencesPaneController : public QObject {
public:
    explicit PreferencesPaneController(const PreferencesServices& services);
    ~PreferencesPaneController() override;

    // The pane's view, built on first use; the tab controller parents it.
    QWidget& view();
    bool isViewLoaded() const { return paneView != nullptr; }

protected:
    // Builds the controls into the page and reads the settings.
    virtual void loadView(QWidget& root) = 0;
    virtual void viewWillAppear() {}
    virtual void viewDidDisappear() {}

    // The stacked page of a pane: title, intro, then the rows added to the returned layout,
    // pinned to the top and 24/20 points from the edges.
    static QVBoxLayout* makePage(QWidget& root, const QString& title, const QString& intro,
                                 int introWidth);

    const PreferencesServices& services;

private:
    bool eventFilter(QObject* watched, QEvent* event) override;

    QPointer<QWidget> paneView;
};
