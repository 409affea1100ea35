#pragma once

#include "platform/Geometry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// An image as AppKit passes it around (NSImage): a size in points and either a bitmap (8-bit
// RGBA, not premultiplied, rows top to bottom) or the path of an image file the views read. A
// template image is drawn in the colour of where it is shown, only its alpha counts.
struct NSImage {
    CGSize size;
    int pixelsWide = 0;
    int pixelsHigh = 0;
    std::vector<std::uint8_t> rgba;
    std::string filePath;
    bool isTemplate = false;

    // Neither pixels nor a file.
    bool isEmpty() const { return rgba.empty() && filePath.empty(); }

    friend bool operator==(const NSImage&, const NSImage&) = default;
};

} // namespace platform
