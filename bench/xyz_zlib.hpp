#pragma once

// XYZ face sets decoded as vantrix did before it had its own inflater: zlib's inflate writing
// straight into the palette and the picture's indices. The benchmark's yardstick for decodeXyz.

#include <optional>

#include "vantrix/codecs.hpp"

namespace bench {

std::optional<vantrix::IndexedImage> decodeXyzByZlib(vantrix::ByteView file);

}  // namespace bench
