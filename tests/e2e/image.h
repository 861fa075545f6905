#ifndef E2E_IMAGE_H
#define E2E_IMAGE_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Colours as 0xRRGGBB.
using Rgb = std::uint32_t;

const Rgb PURE_GREEN = 0x00FF00;

struct Image
{
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;  // row by row from the top

  Image() = default;
  Image(int w, int h, Rgb colour = 0) : width(w), height(h), pixels(static_cast<size_t>(w) * h, colour) {}
  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  Rgb at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  Rgb& at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
};

// A sprite frame or overlay: the picture and which of its pixels are drawn.
struct Picture
{
  std::string name;
  Image image;
  std::vector<bool> opaque;

  bool opaqueAt(int x, int y) const { return opaque[static_cast<size_t>(y) * image.width + x]; }
};

// The screen as "xwd" writes it (a TrueColor ZPixmap of 24 or 32 bits a pixel).
Image parseXwd(const std::string& bytes);

// A BMP file as SDL reads it; throws std::runtime_error when it cannot.
Image loadBmp(const std::string& path);
// The same, see-through wherever it has the key colour.
Picture loadPicture(const std::string& path, std::optional<Rgb> key);

void writePng(const std::string& path, const Image& image);

std::string hex(Rgb colour);

#endif
