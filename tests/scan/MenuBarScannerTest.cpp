#include "Parlowen/MenuBarScanner.h"

#include <gtest/gtest.h>

namespace {} // namespace
