#include "tests/support/UiTestApplication.h"

#include "ui/Design/TessalineAppearance.h"

#include <QApplication>

#include <cstdlib>

namespace tessaline::testing {

QApplication& uiTestApplication() {
    static QApplication* application = [] {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        Parlowen::TessalineAppearance::prepareEnvironment();
        static int argc = 1;
        static char name[] = "tessaline-ui-test";
        static char* argv[] = {name, nullptr};
        auto* made = new QApplication(argc, argv);
        Parlowen::TessalineAppearance::install(*made);
        return made;
    }();
    return *application;
}

} // namespace tessaline::testing
