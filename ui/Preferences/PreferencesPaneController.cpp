#include "ui/Preferences/PreferencesPaneController.h"

#include "ui/Design/TessalineDesign.h"
#include "ui/Preferences/PreferencesTabViewController.h"

#include <QEvent>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

namespace {

constexpr int paneWidth = PreferencesTabViewController::paneWidth;
constexpr int paneHeight = PreferencesTabViewController::contentSize.height();
constexpr int titleWidth = 448;

} // namespace

PreferencesPaneController::PreferencesPaneController(const PreferencesServices& services)
    : services(services) {}

PreferencesPaneController::~PreferencesPaneController() {
    // The view may belong to a window that outlives the pane for a moment; it is released with
    // the window.
    if (paneView) {
        paneView->removeEventFilter(this);
        if (!paneView->parent()) {
            delete paneView;
        }
    }
}

QWidget& PreferencesPaneController::view() {
    if (!paneView) {
        paneView = new QWidget;
        paneView->resize(paneWidth, paneHeight);
        paneView->installEventFilter(this);
        loadView(*paneView);
    }
    return *paneView;
}

QVBoxLayout* PreferencesPaneController::makePage(QWidget& root, const QString& title,
                                                 const QString& intro, int introWidth) {
    auto* layout = new QVBoxLayout(&root);
    layout->setContentsMargins(20, 24, 20, 24);
    layout->setSpacing(0);
    layout->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    auto* titleLabel = Parlowen::TessalineDesign::pageTitle(title, &root);
    titleLabel->setFixedWidth(titleWidth);
    layout->addWidget(titleLabel);
    layout->addSpacing(4);
    auto* introLabel = Parlowen::TessalineDesign::introLabel(intro, &root);
    introLabel->setMaximumWidth(introWidth);
    layout->addWidget(introLabel);
    layout->addSpacing(20);
    return layout;
}

bool PreferencesPaneController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == paneView) {
        if (event->type() == QEvent::Show) {
            viewWillAppear();
        } else if (event->type() == QEvent::Hide) {
            viewDidDisappear();
        }
    }
    return QObject::eventFilter(watched, event);
}
