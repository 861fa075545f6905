#ifndef TOOLS_BITMAP_H
#define TOOLS_BITMAP_H

#include <cstdint>
#include <string>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

struct Rgb
{
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
};

// Writes a 24-bit uncompressed Windows BMP; pixels are given row by row from the top.
void writeBmp(const std::string& path, int width, int height, const std::vector<Rgb>& pixels);

// Writes the whole of bytes to path, throwing when the file cannot be written.
void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

// The anti-aliased ink of one character and where it sits against the pen.
struct Glyph
{
  int width = 0;
  int height = 0;
  // Column of the ink's left edge right of the pen and row of its top edge above the baseline.
  int left = 0;
  int top = 0;
  // How far the pen moves after the character, in whole pixels.
  int advance = 0;
  // Coverage 0..255, row by row from the top.
  std::vector<std::uint8_t> coverage;
};

// One face of the DejaVu family opened at a pixel size.
class Typeface
{
public:
  // fileName is looked up in the DejaVu font directory; pixelSize is the em size in pixels.
  Typeface(const std::string& fileName, double pixelSize);
  ~Typeface();
  Typeface(const Typeface&) = delete;
  Typeface& operator=(const Typeface&) = delete;

  Glyph render(char32_t code) const;
  // The FreeType that draws and the face's own version: "FreeType 2.12.1, DejaVu 2.37".
  std::string versions() const;

private:
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
};

#endif
