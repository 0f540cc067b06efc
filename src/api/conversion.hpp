#pragma once

#include <string>

#include "vantrix/vantrix.hpp"

namespace vantrix {

// convertSaveFile for a save opened by `inputPath` whose document names it `shownName`: the
// program's way in, which on Windows opens files by their wide names while the document
// keeps the ANSI name.
Conversion convertSaveAt(const std::string& inputPath, const std::string& shownName);

}  // namespace vantrix
