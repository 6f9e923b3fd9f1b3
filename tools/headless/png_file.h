#pragma once
#include <string>

#include "gfx/bitmap1.h"

namespace morvelux::tools {

// Writes a one-bit greyscale PNG: each pixel white or black by its colour.
// Returns false if the file cannot be written.
bool writePng(const std::string& path, const Bitmap1& bitmap);

}  // namespace morvelux::tools
