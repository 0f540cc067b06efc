#pragma once

#include <functional>
#include <string>

#include "save/save_preview.hpp"

namespace vantrix {

// Appends the Base64 text of face slot 1 to 4's picture to the document being written, or
// nothing when there is none.
using FaceBitmapSource = std::function<void(int slot, std::string& document)>;

// The XML preview document of one save, ISO-8859-1 with CR LF line ends. `inputFileName`
// is the save's name as the user gave it; `faceBitmap` is asked once for each face entry, in
// slot order, and appends about `faceText` characters for all of them (the Base64 text of a
// 48 × 48 BMP is under 10,000); `timeSeparator` goes between hours, minutes and seconds.
std::string writePreviewDocument(const SavePreview& preview, const std::string& inputFileName,
                                 const FaceBitmapSource& faceBitmap, char timeSeparator,
                                 std::size_t faceText = 4 * 10000);

}  // namespace vantrix
