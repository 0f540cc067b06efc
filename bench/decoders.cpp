#include "decoders.hpp"

#include <lodepng.h>
#include <png.h>
#include <spng.h>
#include <stb/stb_image.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include "vantrix/codecs.hpp"

namespace bench {
namespace {

using Bytes = std::span<const std::uint8_t>;

Decoded fromMalloc(std::uint32_t width, std::uint32_t height, void* pixels) {
  Decoded out;
  if (!pixels) return out;
  out.width = width;
  out.height = height;
  out.owner = std::shared_ptr<void>(pixels, std::free);
  out.pixels = static_cast<const std::uint8_t*>(pixels);
  return out;
}

// The library's decodePng, as a caller uses it.
Decoded decodeVantrix(Bytes png) {
  auto image = vantrix::decodePng(png);
  Decoded out;
  if (!image) return out;
  auto owned = std::make_shared<vantrix::RgbaImage>(std::move(*image));
  out.width = owned->width;
  out.height = owned->height;
  out.pixels = owned->rgba.data();
  out.owner = std::move(owned);
  return out;
}

Decoded decodeSpng(Bytes png) {
  spng_ctx* context = spng_ctx_new(0);
  if (!context) return {};
  Decoded out;
  std::size_t size = 0;
  spng_ihdr header{};
  if (spng_set_png_buffer(context, png.data(), png.size()) == 0 &&
      spng_get_ihdr(context, &header) == 0 &&
      spng_decoded_image_size(context, SPNG_FMT_RGBA8, &size) == 0) {
    void* pixels = std::malloc(size);
    if (pixels && spng_decode_image(context, pixels, size, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS) == 0) {
      out = fromMalloc(header.width, header.height, pixels);
    } else {
      std::free(pixels);
    }
  }
  spng_ctx_free(context);
  return out;
}

struct MemoryReader {
  Bytes bytes;
  std::size_t position = 0;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t count) {
  auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (count > reader->bytes.size() - reader->position) png_error(png, "read past the end");
  std::memcpy(out, reader->bytes.data() + reader->position, count);
  reader->position += count;
}

void ignoreWarning(png_structp, png_const_charp) {}

// Everything that libpng's longjmp could skip lives in the caller's frame.
bool readWithLibpng(png_structp png, png_infop info, MemoryReader& reader, void*& pixels,
                    std::vector<png_bytep>& rows, std::uint32_t& width, std::uint32_t& height) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_read_fn(png, &reader, readFromMemory);
  png_read_info(png, info);
  png_set_expand(png);  // palette to RGB, grey to 8 bits, tRNS to alpha
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  width = png_get_image_width(png, info);
  height = png_get_image_height(png, info);
  if (png_get_rowbytes(png, info) != std::size_t{width} * 4) return false;
  pixels = std::malloc(std::size_t{width} * height * 4);
  if (!pixels) return false;
  rows.resize(height);
  for (std::uint32_t y = 0; y < height; ++y) {
    rows[y] = static_cast<png_bytep>(pixels) + std::size_t{y} * width * 4;
  }
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  return true;
}

Decoded decodeLibpng(Bytes png) {
  png_structp read = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, ignoreWarning);
  if (!read) return {};
  png_infop info = png_create_info_struct(read);
  MemoryReader reader{png, 0};
  void* pixels = nullptr;
  std::vector<png_bytep> rows;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  const bool ok = info && readWithLibpng(read, info, reader, pixels, rows, width, height);
  png_destroy_read_struct(&read, &info, nullptr);
  if (!ok) {
    std::free(pixels);
    return {};
  }
  return fromMalloc(width, height, pixels);
}

Decoded decodeStb(Bytes png) {
  int width = 0;
  int height = 0;
  int channels = 0;
  stbi_uc* pixels = stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &width, &height,
                                          &channels, 4);
  return fromMalloc(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), pixels);
}

Decoded decodeLodepng(Bytes png) {
  unsigned char* pixels = nullptr;
  unsigned width = 0;
  unsigned height = 0;
  if (lodepng_decode32(&pixels, &width, &height, png.data(), png.size()) != 0) {
    std::free(pixels);
    return {};
  }
  return fromMalloc(width, height, pixels);
}

}  // namespace

const std::vector<Decoder>& decoders() {
  static const std::vector<Decoder> all = {
      {"vantrix", decodeVantrix}, {"libspng", decodeSpng},    {"libpng", decodeLibpng},
      {"stb_image", decodeStb},   {"lodepng", decodeLodepng},
  };
  return all;
}

}  // namespace bench
