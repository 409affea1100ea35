#pragma once

#include <memory>

class QWidget;

namespace tessaline::testing {

// A window holding one of each design-system control, for renders that must not change with the
// machine.
std::unique_ptr<QWidget> makeDesignSample();

} // namespace tessaline::testing
