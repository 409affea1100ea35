#pragma once

#include <string>

namespace QelCore {

// Why a scan fixture could not be loaded. The decoding kinds are those of a JSON decoder: a
// required key that is absent, a null where a value is required, a value of the wrong type,
// and data that is not JSON or holds a value outside its range or list.
struct MenuBarScanFixtureError {
    enum class Kind { fileReading, keyNotFound, valueNotFound, typeMismatch, dataCorrupted };

    Kind kind = Kind::dataCorrupted;
    // Where in the document decoding stopped, such as "items[2].frame.width"; empty for the
    // document itself and for file errors.
    std::string codingPath;
    // What went wrong, naming the key or, for a file error, the file and the system's reason.
    std::string message;

    friend bool operator==(const MenuBarScanFixtureError&,
                           const MenuBarScanFixtureError&) = default;
};

} // namespace QelCore
