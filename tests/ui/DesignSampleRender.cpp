// Renders the design sample to the PNG file named by its one argument; the view tests run it in
// separate processes and compare the bytes.
#include "DesignSample.h"
#include "tests/support/UiTestApplication.h"
#include "tests/support/WidgetImage.h"

#include <QWidget>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
        return 2;
    }
    tessaline::testing::uiTestApplication();
    const auto sample = tessaline::testing::makeDesignSample();
    const QImage image = tessaline::testing::renderWidget(*sample);
    return tessaline::testing::savePng(image, QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
