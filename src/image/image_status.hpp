#pragma once

#include <string_view>

namespace vantrix {

// Result of the canvas and BMP operations.
enum class ImageStatus {
  success = 0,
  illegalCall = 1,
  fileNotFound = 2,
  fileError = 3,
};

std::string_view toString(ImageStatus status);

}  // namespace vantrix
