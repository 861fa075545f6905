#include "image.h"

#include <SDL.h>
#include <zlib.h>

#include <cstring>
#include <fstream>
#include <stdexcept>

namespace {

enum XwdField
{
  XWD_HEADER_SIZE,
  XWD_FILE_VERSION,
  XWD_PIXMAP_FORMAT,
  XWD_PIXMAP_DEPTH,
  XWD_PIXMAP_WIDTH,
  XWD_PIXMAP_HEIGHT,
  XWD_XOFFSET,
  XWD_BYTE_ORDER,
  XWD_BITMAP_UNIT,
  XWD_BITMAP_BIT_ORDER,
  XWD_BITMAP_PAD,
  XWD_BITS_PER_PIXEL,
  XWD_BYTES_PER_LINE,
  XWD_VISUAL_CLASS,
  XWD_RED_MASK,
  XWD_GREEN_MASK,
  XWD_BLUE_MASK,
  XWD_BITS_PER_RGB,
  XWD_COLORMAP_ENTRIES,
  XWD_NCOLORS,
  XWD_FIELDS = 25
};
const std::uint32_t XWD_VERSION = 7;
const std::uint32_t Z_PIXMAP = 2;
const std::uint32_t TRUE_COLOR = 4;
const std::uint32_t LSB_FIRST = 0;
const size_t XWD_COLOR_SIZE = 12;

std::uint32_t bigEndian(const std::string& bytes, size_t offset)
{
  std::uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) {
    value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
  }
  return value;
}

// One colour channel of a pixel value, scaled to 0..255.
unsigned channel(std::uint32_t pixel, std::uint32_t mask)
{
  if (mask == 0) {
    return 0;
  }
  int shift = 0;
  while (((mask >> shift) & 1) == 0) {
    ++shift;
  }
  std::uint32_t maximum = mask >> shift;
  return static_cast<unsigned>(((pixel & mask) >> shift) * 255 / maximum);
}

void appendBigEndian(std::string& out, std::uint32_t value)
{
  for (int shift = 24; shift >= 0; shift -= 8) {
    out.push_back(static_cast<char>((value >> shift) & 255));
  }
}

void appendChunk(std::string& png, const char* type, const std::string& data)
{
  appendBigEndian(png, static_cast<std::uint32_t>(data.size()));
  std::string body = std::string(type, 4) + data;
  png += body;
  appendBigEndian(png, crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size())));
}

}

Image parseXwd(const std::string& bytes)
{
  if (bytes.size() < XWD_FIELDS * 4) {
    throw std::runtime_error("xwd output too short: " + std::to_string(bytes.size()) + " bytes");
  }
  std::uint32_t field[XWD_FIELDS];
  for (size_t i = 0; i < XWD_FIELDS; ++i) {
    field[i] = bigEndian(bytes, i * 4);
  }
  if (field[XWD_FILE_VERSION] != XWD_VERSION || field[XWD_PIXMAP_FORMAT] != Z_PIXMAP || field[XWD_VISUAL_CLASS] != TRUE_COLOR ||
      (field[XWD_BITS_PER_PIXEL] != 24 && field[XWD_BITS_PER_PIXEL] != 32)) {
    throw std::runtime_error("unsupported xwd image: version " + std::to_string(field[XWD_FILE_VERSION]) + ", format " +
                             std::to_string(field[XWD_PIXMAP_FORMAT]) + ", visual class " +
                             std::to_string(field[XWD_VISUAL_CLASS]) + ", " + std::to_string(field[XWD_BITS_PER_PIXEL]) +
                             " bits a pixel");
  }
  Image image(static_cast<int>(field[XWD_PIXMAP_WIDTH]), static_cast<int>(field[XWD_PIXMAP_HEIGHT]));
  size_t bytesPerPixel = field[XWD_BITS_PER_PIXEL] / 8;
  size_t start = field[XWD_HEADER_SIZE] + field[XWD_NCOLORS] * XWD_COLOR_SIZE;
  size_t end = start + static_cast<size_t>(field[XWD_BYTES_PER_LINE]) * image.height;
  if (bytes.size() < end) {
    throw std::runtime_error("xwd image data cut short");
  }
  bool leastFirst = field[XWD_BYTE_ORDER] == LSB_FIRST;
  for (int y = 0; y < image.height; ++y) {
    const unsigned char* row =
      reinterpret_cast<const unsigned char*>(bytes.data()) + start + static_cast<size_t>(y) * field[XWD_BYTES_PER_LINE];
    for (int x = 0; x < image.width; ++x) {
      const unsigned char* at = row + x * bytesPerPixel;
      std::uint32_t pixel = 0;
      for (size_t i = 0; i < bytesPerPixel; ++i) {
        size_t significance = leastFirst ? i : bytesPerPixel - 1 - i;
        pixel |= static_cast<std::uint32_t>(at[i]) << (8 * significance);
      }
      image.at(x, y) = (channel(pixel, field[XWD_RED_MASK]) << 16) | (channel(pixel, field[XWD_GREEN_MASK]) << 8) |
                       channel(pixel, field[XWD_BLUE_MASK]);
    }
  }
  return image;
}

Image loadBmp(const std::string& path)
{
  SDL_Surface* surface = SDL_LoadBMP(path.c_str());
  if (surface == nullptr) {
    throw std::runtime_error("cannot read " + path + ": " + SDL_GetError());
  }
  Image image(surface->w, surface->h);
  SDL_LockSurface(surface);
  int bytesPerPixel = surface->format->BytesPerPixel;
  for (int y = 0; y < surface->h; ++y) {
    const Uint8* row = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch;
    for (int x = 0; x < surface->w; ++x) {
      Uint32 pixel = 0;
      memcpy(&pixel, row + x * bytesPerPixel, bytesPerPixel);
      Uint8 r, g, b;
      SDL_GetRGB(pixel, surface->format, &r, &g, &b);
      image.at(x, y) = (r << 16) | (g << 8) | b;
    }
  }
  SDL_UnlockSurface(surface);
  SDL_FreeSurface(surface);
  return image;
}

Picture loadPicture(const std::string& path, std::optional<Rgb> key)
{
  Picture picture;
  picture.name = path;
  picture.image = loadBmp(path);
  for (Rgb colour : picture.image.pixels) {
    picture.opaque.push_back(!key || colour != *key);
  }
  return picture;
}

void writePng(const std::string& path, const Image& image)
{
  std::string rows;
  for (int y = 0; y < image.height; ++y) {
    rows.push_back(0);
    for (int x = 0; x < image.width; ++x) {
      Rgb colour = image.at(x, y);
      rows.push_back(static_cast<char>(colour >> 16));
      rows.push_back(static_cast<char>((colour >> 8) & 255));
      rows.push_back(static_cast<char>(colour & 255));
    }
  }
  uLongf packedSize = compressBound(static_cast<uLong>(rows.size()));
  std::string packed(packedSize, '\0');
  if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(rows.data()),
                static_cast<uLong>(rows.size()), Z_BEST_COMPRESSION) != Z_OK) {
    throw std::runtime_error("cannot compress " + path);
  }
  packed.resize(packedSize);

  std::string header;
  appendBigEndian(header, static_cast<std::uint32_t>(image.width));
  appendBigEndian(header, static_cast<std::uint32_t>(image.height));
  // Eight bits a channel, RGB, deflate, the standard filters, not interlaced.
  header += std::string("\x08\x02\x00\x00\x00", 5);

  std::string png = "\x89PNG\r\n\x1a\n";
  appendChunk(png, "IHDR", header);
  appendChunk(png, "IDAT", packed);
  appendChunk(png, "IEND", "");
  std::ofstream file(path, std::ios::binary);
  file << png;
  if (!file) {
    throw std::runtime_error("cannot write " + path);
  }
}

std::string hex(Rgb colour)
{
  char text[16];
  snprintf(text, sizeof text, "%06X", colour);
  return text;
}
