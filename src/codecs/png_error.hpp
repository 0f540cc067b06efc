#pragma once

#include <string_view>

namespace vantrix {

// Why the PNG decoder refused a file. The program never prints these; tests and debugging
// use them to tell one refusal from another.
enum class PngError {
  none,
  tooShort,           // fewer bytes than the smallest PNG file
  badSignature,       // the first 8 bytes are not the PNG signature
  chunkOverrun,       // a chunk does not fit in what is left of the file
  crcMismatch,        // a chunk's stored CRC differs from its computed one
  missingIend,        // fewer than 3 chunks, or the last one is not "IEND"
  missingIhdr,        // the first chunk is not a 13-byte "IHDR"
  badIhdr,            // a zero size, or a colour type, bit depth or method not supported
  noImageData,        // no "IDAT" bytes at all
  tooLarge,           // decoded pixels beyond the limit, or a size that overflows
  tooLittleData,      // more scanline bytes expected than the image data can inflate to
  missingPalette,     // a palette image without "PLTE"
  oversizedPalette,   // a "PLTE" of more than 256 entries
  badTransparency,    // a "tRNS" of the wrong length, or on a colour type with alpha
  inflateFailed,      // the zlib stream is damaged or incomplete
  wrongInflatedSize,  // the stream inflates to more or fewer bytes than the rows need
  badFilter,          // a row's filter type is above 4
  outOfMemory,        // a buffer could not be allocated
};

std::string_view toString(PngError error);

}  // namespace vantrix
