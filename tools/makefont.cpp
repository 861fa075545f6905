// Draws the game's bitmap font: a coverage sheet of 16 x 16 cells, one per Latin-1
// character, and the advance width of every character.

#include <algorithm>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "bitmap.h"
#include "layout.h"

namespace {

const int CELL_SIZE = FONT_CELL;
const int CELLS_PER_ROW = 16;
const int SHEET_SIZE = CELLS_PER_ROW * CELL_SIZE;
const int CHARACTERS = 256;
const char* const FACE_FILE = "DejaVuSans.ttf";
const double PIXEL_SIZE = FONT_PIXEL_SIZE;
// The text renderer cuts a glyph of width W two pixels wider than W; the pen sits at the cut's second column.
const int CUT_EXTRA = 2;
const int PEN_IN_CUT = 1;
// Wider characters would make the cut reach out of the cell.
const int MAX_WIDTH = CELL_SIZE - 4;

bool isDrawn(int code)
{
  return (code >= 32 && code <= 126) || code >= 160;
}

struct Sheet
{
  std::vector<std::uint8_t> coverage = std::vector<std::uint8_t>(SHEET_SIZE * SHEET_SIZE, 0);
  std::vector<std::uint8_t> widths = std::vector<std::uint8_t>(CHARACTERS, 0);
};

// The row of the baseline in every cell: the highest accent touches the top of the
// cell unless that leaves no room for the deepest descender.
int chooseBaseline(const std::vector<Glyph>& glyphs)
{
  int highest = 0;
  int deepest = 0;
  for (int code = 0; code < CHARACTERS; ++code) {
    if (isDrawn(code) && glyphs[code].height > 0) {
      highest = std::max(highest, glyphs[code].top);
      deepest = std::max(deepest, glyphs[code].height - glyphs[code].top);
    }
  }
  return std::min(highest, CELL_SIZE - deepest);
}

// Copies the ink of one character into its cell, clipped to the rectangle the renderer cuts.
void placeGlyph(Sheet& sheet, int code, const Glyph& glyph, int baseline)
{
  const int width = std::min(glyph.advance, MAX_WIDTH);
  sheet.widths[code] = static_cast<std::uint8_t>(width);

  const int cellLeft = (code % CELLS_PER_ROW) * CELL_SIZE;
  const int cellTop = (code / CELLS_PER_ROW) * CELL_SIZE;
  const int cutLeft = cellLeft + CELL_SIZE / 2 - width / 2;
  const int cutRight = cutLeft + width + CUT_EXTRA;
  const int inkLeft = cutLeft + PEN_IN_CUT + glyph.left;
  const int inkTop = cellTop + baseline - glyph.top;
  for (int y = 0; y < glyph.height; ++y) {
    const int sheetY = inkTop + y;
    if (sheetY < cellTop || sheetY >= cellTop + CELL_SIZE) {
      continue;
    }
    for (int x = 0; x < glyph.width; ++x) {
      const int sheetX = inkLeft + x;
      if (sheetX < cutLeft || sheetX >= cutRight) {
        continue;
      }
      sheet.coverage[static_cast<std::size_t>(sheetY) * SHEET_SIZE + sheetX] =
          glyph.coverage[static_cast<std::size_t>(y) * glyph.width + x];
    }
  }
}

Sheet drawSheet()
{
  const Typeface face(FACE_FILE, PIXEL_SIZE);
  std::vector<Glyph> glyphs(CHARACTERS);
  for (int code = 0; code < CHARACTERS; ++code) {
    if (isDrawn(code)) {
      glyphs[code] = face.render(static_cast<char32_t>(code));
    }
  }
  const int baseline = chooseBaseline(glyphs);
  Sheet sheet;
  for (int code = 0; code < CHARACTERS; ++code) {
    if (isDrawn(code)) {
      placeGlyph(sheet, code, glyphs[code], baseline);
    }
  }
  return sheet;
}

void writeFont(const std::filesystem::path& directory)
{
  const Sheet sheet = drawSheet();
  std::filesystem::create_directories(directory);
  const std::string ini = std::to_string(SHEET_SIZE) + "\n";
  writeFile((directory / "font.ini").string(), std::vector<std::uint8_t>(ini.begin(), ini.end()));
  writeFile((directory / "font.raw").string(), sheet.coverage);
  writeFile((directory / "font.dat").string(), sheet.widths);
}

}

int main(int argc, char** argv)
{
  if (argc != 2) {
    std::cerr << "usage: makefont <fontdir> | makefont --versions\n";
    return 1;
  }
  try {
    if (std::string(argv[1]) == "--versions") {
      std::cout << Typeface(FACE_FILE, PIXEL_SIZE).versions() << "\n";
      return 0;
    }
    writeFont(argv[1]);
  } catch (const std::exception& error) {
    std::cerr << "makefont: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
