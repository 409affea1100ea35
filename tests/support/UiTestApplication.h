#pragma once

class QApplication;

namespace tessaline::testing {

// The application of a view test, made on first use with the application's fixed look on the
// offscreen platform (unless a platform was chosen), so views render alike everywhere.
QApplication& uiTestApplication();

} // namespace tessaline::testing
