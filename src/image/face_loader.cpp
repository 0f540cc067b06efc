#include "image/face_loader.hpp"

#include "image/face_set_lookup.hpp"

namespace vantrix {

std::string FaceLoader::loadFaceBitmap(const FaceSlot& face) const {
  // The face set decoders join here; until then a face has no picture.
  (void)findFaceSet(inputFileName_, face.name, style_);
  return {};
}

}  // namespace vantrix
