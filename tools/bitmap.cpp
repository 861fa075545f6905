#include "bitmap.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace {

void putLittleEndian(std::vector<std::uint8_t>& bytes, std::uint32_t value, int byteCount)
{
  for (int i = 0; i < byteCount; ++i) {
    bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  }
}

}

void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) {
    throw std::runtime_error("cannot write " + path);
  }
}

void writeBmp(const std::string& path, int width, int height, const std::vector<Rgb>& pixels)
{
  const std::uint32_t fileHeaderSize = 14;
  const std::uint32_t infoHeaderSize = 40;
  const std::uint32_t rowSize = (3 * static_cast<std::uint32_t>(width) + 3) / 4 * 4;
  const std::uint32_t imageSize = rowSize * static_cast<std::uint32_t>(height);
  const std::uint32_t pixelsPerMetre = 2835;

  std::vector<std::uint8_t> bytes;
  bytes.push_back('B');
  bytes.push_back('M');
  putLittleEndian(bytes, fileHeaderSize + infoHeaderSize + imageSize, 4);
  putLittleEndian(bytes, 0, 4);
  putLittleEndian(bytes, fileHeaderSize + infoHeaderSize, 4);

  putLittleEndian(bytes, infoHeaderSize, 4);
  putLittleEndian(bytes, static_cast<std::uint32_t>(width), 4);
  putLittleEndian(bytes, static_cast<std::uint32_t>(height), 4);
  putLittleEndian(bytes, 1, 2);
  putLittleEndian(bytes, 24, 2);
  putLittleEndian(bytes, 0, 4);
  putLittleEndian(bytes, imageSize, 4);
  putLittleEndian(bytes, pixelsPerMetre, 4);
  putLittleEndian(bytes, pixelsPerMetre, 4);
  putLittleEndian(bytes, 0, 4);
  putLittleEndian(bytes, 0, 4);

  // Rows are stored bottom-up, blue first, each padded to four bytes.
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      const Rgb& pixel = pixels[static_cast<std::size_t>(y) * width + x];
      bytes.push_back(pixel.blue);
      bytes.push_back(pixel.green);
      bytes.push_back(pixel.red);
    }
    for (std::uint32_t pad = 3 * static_cast<std::uint32_t>(width); pad < rowSize; ++pad) {
      bytes.push_back(0);
    }
  }
  writeFile(path, bytes);
}

Typeface::Typeface(const std::string& fileName, double pixelSize)
{
  const std::string path = std::string(DEJAVU_DIR) + "/" + fileName;
  if (FT_Init_FreeType(&library_) != 0) {
    throw std::runtime_error("cannot start FreeType");
  }
  if (FT_New_Face(library_, path.c_str(), 0, &face_) != 0) {
    FT_Done_FreeType(library_);
    throw std::runtime_error("cannot open font " + path);
  }
  const FT_F26Dot6 size = static_cast<FT_F26Dot6>(std::lround(pixelSize * 64));
  if (FT_Set_Char_Size(face_, 0, size, 72, 72) != 0) {
    FT_Done_Face(face_);
    FT_Done_FreeType(library_);
    throw std::runtime_error("cannot size font " + path);
  }
}

Typeface::~Typeface()
{
  FT_Done_Face(face_);
  FT_Done_FreeType(library_);
}

std::string Typeface::versions() const
{
  FT_Int major = 0, minor = 0, patch = 0;
  FT_Library_Version(library_, &major, &minor, &patch);
  const auto* head = static_cast<const TT_Header*>(FT_Get_Sfnt_Table(face_, FT_SFNT_HEAD));
  char text[64];
  snprintf(text, sizeof text, "FreeType %d.%d.%d, DejaVu %.2f", major, minor, patch,
           head != nullptr ? head->Font_Revision / 65536.0 : 0.0);
  return text;
}

Glyph Typeface::render(char32_t code) const
{
  if (FT_Load_Char(face_, code, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) != 0) {
    throw std::runtime_error("cannot draw character " + std::to_string(static_cast<unsigned long>(code)));
  }
  const FT_GlyphSlot slot = face_->glyph;
  const FT_Bitmap& bitmap = slot->bitmap;
  Glyph glyph;
  glyph.width = static_cast<int>(bitmap.width);
  glyph.height = static_cast<int>(bitmap.rows);
  glyph.left = slot->bitmap_left;
  glyph.top = slot->bitmap_top;
  glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6);
  glyph.coverage.resize(static_cast<std::size_t>(glyph.width) * glyph.height);
  for (int y = 0; y < glyph.height; ++y) {
    for (int x = 0; x < glyph.width; ++x) {
      glyph.coverage[static_cast<std::size_t>(y) * glyph.width + x] = bitmap.buffer[y * bitmap.pitch + x];
    }
  }
  return glyph;
}
