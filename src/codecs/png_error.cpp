#include "codecs/png_error.hpp"

namespace vantrix {

std::string_view toString(PngError error) {
  switch (error) {
    case PngError::none:
      return "no error";
    case PngError::tooShort:
      return "too short for a PNG file";
    case PngError::badSignature:
      return "no PNG signature";
    case PngError::chunkOverrun:
      return "a chunk runs past the end of the file";
    case PngError::crcMismatch:
      return "a chunk's CRC does not match";
    case PngError::missingIend:
      return "the file does not end with an IEND chunk";
    case PngError::missingIhdr:
      return "the first chunk is not a 13-byte IHDR";
    case PngError::badIhdr:
      return "unsupported or invalid image header";
    case PngError::noImageData:
      return "no image data";
    case PngError::tooLarge:
      return "image too large";
    case PngError::tooLittleData:
      return "too little image data for the image size";
    case PngError::missingPalette:
      return "palette image without PLTE";
    case PngError::oversizedPalette:
      return "PLTE holds more than 256 entries";
    case PngError::badTransparency:
      return "tRNS of the wrong length or for a colour type with alpha";
    case PngError::inflateFailed:
      return "the image data does not inflate";
    case PngError::wrongInflatedSize:
      return "the image data inflates to the wrong size";
    case PngError::badFilter:
      return "a row has an unknown filter type";
    case PngError::outOfMemory:
      return "out of memory";
  }
  return "unknown PNG error";
}

}  // namespace vantrix
