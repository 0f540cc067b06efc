#include "document/preview_document.hpp"

#include <cmath>
#include <cstdint>

#include "document/value_text.hpp"
#include "document/xml_text.hpp"

namespace vantrix {
namespace {

class LineWriter {
 public:
  explicit LineWriter(std::size_t expectedSize) { out_.reserve(expectedSize); }
  void line(std::string_view text) {
    out_ += text;
    out_ += "\r\n";
  }
  // A line of one element whose text is escaped straight into the document.
  void textLine(std::string_view start, std::string_view text, std::string_view end) {
    out_ += start;
    appendXmlText(out_, text);
    out_ += end;
    out_ += "\r\n";
  }
  // The lines of a face's bitmap element, or none when the face gives no picture. The text
  // goes straight into the document, never held beside it.
  void bitmapLines(const FaceBitmapSource& faceBitmap, int slot) {
    if (!faceBitmap) return;
    const std::size_t before = out_.size();
    line("        <bitmap>");
    const std::size_t start = out_.size();
    faceBitmap(slot, out_);
    if (out_.size() == start) {
      out_.resize(before);
      return;
    }
    out_ += "\r\n";
    line("        </bitmap>");
  }
  std::string take() { return std::move(out_); }

 private:
  std::string out_;
};

}  // namespace

std::string writePreviewDocument(const SavePreview& preview, const std::string& inputFileName,
                                 const FaceBitmapSource& faceBitmap, char timeSeparator,
                                 std::size_t faceText) {
  // A name may fill most of a save and grow fivefold by escaping: the document is allocated
  // once, so its memory is never held twice while it grows.
  std::size_t expectedSize = 1024 + faceText + xmlCommentText(inputFileName).size();
  expectedSize += xmlTextSize(preview.heroName);
  for (const FaceSlot& face : preview.faces)
    expectedSize += xmlTextSize(face.name);
  LineWriter doc(expectedSize);
  doc.line(R"(<?xml version="1.0" encoding="ISO-8859-1"?>)");
  doc.line("<!-- Created using VANTRIX v1.00 by Ombrel -->");
  doc.line("<!-- Input file: " + xmlCommentText(inputFileName) + " -->");
  doc.line("");
  const std::string id = saveSlotId(inputFileName);
  doc.line(id.empty() ? "<savegame>" : "<savegame id=\"" + id + "\">");
  // The time separator is the user's to choose: one such as "<" or "&" is escaped like any
  // text, so that the document stays well-formed.
  doc.line("    <timestamp>" + xmlText(saveTimeText(preview.timestamp, timeSeparator)) +
           "</timestamp>");
  if (preview.heroLevel >= 1) {
    doc.line("    <hero>");
    doc.textLine("        <name>", preview.heroName, "</name>");
    doc.line("        <level>" + std::to_string(preview.heroLevel) + "</level>");
    doc.line("        <hp>" + std::to_string(preview.heroHp) + "</hp>");
    doc.line("    </hero>");
  }
  for (int slot = 1; slot <= 4; ++slot) {
    const FaceSlot& face = preview.faces[static_cast<std::size_t>(slot - 1)];
    if (face.name.empty()) continue;
    doc.line("    <face>");
    doc.textLine("        <filename>", face.name, "</filename>");
    // The face id is 1-based; the sum wraps like the engine's 32-bit arithmetic.
    const auto id1 = static_cast<std::int32_t>(static_cast<std::uint32_t>(face.index) + 1u);
    doc.line("        <id>" + std::to_string(id1) + "</id>");
    doc.bitmapLines(faceBitmap, slot);
    doc.line("    </face>");
  }
  doc.line("    <playingtime>" + xmlText(playingTimeText(preview.frameCount, timeSeparator)) +
           "</playingtime>");
  doc.line("    <money>" + std::to_string(preview.money) + "</money>");
  doc.line("</savegame>");
  return doc.take();
}

}  // namespace vantrix
