#include "image/image_status.hpp"

namespace vantrix {

std::string_view toString(ImageStatus status) {
  switch (status) {
    case ImageStatus::success:
      return "success";
    case ImageStatus::illegalCall:
      return "illegal call";
    case ImageStatus::fileNotFound:
      return "file not found";
    case ImageStatus::fileError:
      return "file I/O error";
  }
  return "unknown status";
}

}  // namespace vantrix
