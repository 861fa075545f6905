#include "font.h"
#include "support.h"

#include <filesystem>

namespace {

using Sheet = std::function<bool(int, int)>;

class FontTest : public testing::Test
{
protected:
  void SetUp() override { target = makeSurface(1100, 40, BLACK); }
  void TearDown() override
  {
    freeFont(font);
    SDL_FreeSurface(target);
  }

  // A 256 x 256 sheet, full coverage where `full` says so, widths 4 but for the given ones.
  void writeFont(const Sheet& full, const std::vector<std::pair<int, int>>& widths)
  {
    std::string raw(256 * 256, '\0');
    for (int y = 0; y < 256; ++y) {
      for (int x = 0; x < 256; ++x) {
        raw[y * 256 + x] = full(x, y) ? '\xFF' : '\0';
      }
    }
    std::string dat(256, '\x04');
    for (auto width : widths) {
      dat[width.first] = static_cast<char>(width.second);
    }
    dir.write("font.ini", "256\n");
    dir.write("font.raw", raw);
    dir.write("font.dat", dat);
  }

  SDLFont* load()
  {
    freeFont(font);
    return font = initFont(dir.path().c_str());
  }

  // Columns of the target's row y that the text turned white, as '#' and '.'.
  std::string row(int y, int from, int to)
  {
    std::string columns;
    for (int x = from; x < to; ++x) {
      columns += rgbAt(target, x, y) == WHITE ? '#' : '.';
    }
    return columns;
  }

  TempDir dir;
  SDLFont* font = nullptr;
  SDL_Surface* target = nullptr;
};

bool all(int, int)
{
  return true;
}

// 'A' has its cell at (16, 64), 'B' at (32, 64), 'C' at (48, 64), the newline at (160, 0), 0xC8 at (128, 192).
TEST_F(FontTest, GlyphsAreDrawnAndMeasuredByTheirWidths)
{
  const struct
  {
    const char* name;
    Sheet full;
    std::vector<std::pair<int, int>> widths;
    bool withoutWidths;
    std::string text;
    int x, y, from;
    std::string columns;  // row y of the target from column `from`
    int width;
  } glyphs[] = {
    {"cut two pixels wider than its width from the middle of its cell",
     [](int x, int y) { return y >= 64 && y < 80 && (x == 20 || x == 21 || x == 29 || x == 30); }, {{'A', 7}}, false,
     "AA", 10, 5, 8, "..#......##......#....", 14},
    {"width zero still draws a two-pixel sliver", all, {{'i', 0}}, false, "i", 10, 0, 8, "..##..", 0},
    {"a wide glyph takes columns of the next cell", [](int x, int y) { return x == 48 && y >= 64 && y < 80; },
     {{'B', 14}}, false, "B", 10, 0, 10, "...............#.", 14},
    {"no character is special", [](int x, int y) { return x >= 160 && x < 176 && y < 16; }, {{'\n', 6}, {'x', 5}},
     false, "x\nx", 10, 3, 10, ".....########..", 16},
    {"text is cut at 1023 characters", all, {{'w', 1}}, false, std::string(2000, 'w'), 0, 0, 1020, "#####.....", 1023},
    {"missing widths take half a cell", all, {}, true, "Ab", 0, 0, 0, "##################..", 16},
    {"empty text", all, {}, false, "", 10, 0, 0, "....................", 0},
    {"cells go row by row", [](int x, int y) { return x >= 128 && x < 144 && y >= 192 && y < 208; }, {{0xC8, 12}},
     false, "\xC8", 3, 2, 1, "..##############.", 12}};
  for (const auto& glyph : glyphs) {
    SCOPED_TRACE(glyph.name);
    writeFont(glyph.full, glyph.widths);
    if (glyph.withoutWidths) {
      std::filesystem::remove(dir.path("font.dat"));
    }
    ASSERT_NE(load(), nullptr);
    SDL_FillRect(target, nullptr, 0);
    drawString(target, font, glyph.x, glyph.y, "%s", glyph.text.c_str());
    EXPECT_EQ(row(glyph.y, glyph.from, glyph.from + glyph.columns.size()), glyph.columns);
    EXPECT_EQ(stringWidth(font, "%s", glyph.text.c_str()), glyph.width);
    EXPECT_TRUE(regionIs(target, 0, glyph.y + 16, 1100, 40 - glyph.y - 16, BLACK)) << "one line, cells of 16";
  }
}

TEST_F(FontTest, MissingBytesReadAsFullCoverageAndWidth255)
{
  // 100 x 100 pixels are read in chunks of 4096: the last one is short.
  dir.write("font.ini", "  100 and the rest is ignored");
  dir.write("font.raw", std::string(100, '\x10'));
  dir.write("font.dat", std::string(10, '\x03'));
  ASSERT_NE(load(), nullptr);
  EXPECT_EQ(font->cellSize, 6);
  EXPECT_EQ(font->pixels[4 * 99 + 3], 0x10);
  EXPECT_EQ(font->pixels[4 * 100 + 3], 255);
  EXPECT_EQ(font->pixels[4 * (100 * 100 - 1) + 3], 255);
  EXPECT_EQ(font->widths[9], 3);
  EXPECT_EQ(font->widths[10], 255);
  EXPECT_EQ(font->widths[255], 255);
  EXPECT_EQ(stringWidth(font, "ab%ls", L"\u00e4"), 0) << "a text that cannot be formatted measures nothing";
  EXPECT_EQ(initFont(dir.path(std::string(250, 'd')).c_str()), nullptr) << "a directory too long to join";
  dir.write("font.ini", "512");
  ASSERT_NE(load(), nullptr) << "the largest sheet";
  EXPECT_EQ(font->cellSize, 32);
  // The colour is the factors times 255 and the alpha the coverage, 16, times a, each cut to a byte.
  freeFont(font);
  ASSERT_NE(font = initFont(dir.path().c_str(), -1.0f, 0.99f, 40000.0f, 0.5f), nullptr);
  EXPECT_EQ(std::vector<Uint8>(font->pixels, font->pixels + 4), (std::vector<Uint8>{1, 0, 0, 8}));
  Uint8 r, g, b, a;
  SDL_GetRGBA(*static_cast<Uint32*>(font->image->pixels), font->image->format, &r, &g, &b, &a);
  EXPECT_EQ((std::vector<int>{r, g, b, a}), (std::vector<int>{1, 0, 0, 8})) << "in the display's format";
  freeFont(font);
  ASSERT_NE(font = initFont(dir.path().c_str(), 2.0f, 2.0f, 1.0f, 128.0f), nullptr);
  EXPECT_EQ(std::vector<Uint8>(font->pixels, font->pixels + 4), (std::vector<Uint8>{254, 254, 255, 0}));
}

// Each case damages a font whose 15-pixel sheet is too small for cells: it loads but draws nothing.
// "font.dat" may go, "font.ini" and "font.raw" may not.
TEST_F(FontTest, LoadsOnlyWhatCanBeDrawn)
{
  const struct
  {
    const char* name;
    std::function<void(const TempDir&)> damage;
    bool loads;
    int widthOfA;
  } damages[] = {
    {"intact", [](const TempDir&) {}, true, 5},
    {"no widths", [](const TempDir& dir) { std::filesystem::remove(dir.path("font.dat")); }, true, 0},
    {"widths that are a directory", [](const TempDir& dir) { dir.replaceWithDirectory("font.dat"); }, true, 0},
    {"no size", [](const TempDir& dir) { std::filesystem::remove(dir.path("font.ini")); }, false, 0},
    {"no sheet", [](const TempDir& dir) { std::filesystem::remove(dir.path("font.raw")); }, false, 0},
    {"a sheet that is a directory", [](const TempDir& dir) { dir.replaceWithDirectory("font.raw"); }, false, 0},
    {"size not a number", [](const TempDir& dir) { dir.write("font.ini", "abc"); }, false, 0},
    {"size 0", [](const TempDir& dir) { dir.write("font.ini", "0"); }, false, 0},
    {"size 1, the smallest", [](const TempDir& dir) { dir.write("font.ini", "1"); }, true, 5},
    {"cells over 32 pixels", [](const TempDir& dir) { dir.write("font.ini", "513"); }, false, 0},
    {"overflowing size", [](const TempDir& dir) { dir.write("font.ini", "2147483647"); }, false, 0}};
  for (const auto& damage : damages) {
    SCOPED_TRACE(damage.name);
    std::filesystem::remove_all(dir.path());
    dir.write("font.ini", "15");
    dir.write("font.raw", std::string(15 * 15, '\xFF'));
    dir.write("font.dat", std::string(256, '\x05'));
    damage.damage(dir);
    EXPECT_EQ(load() != nullptr, damage.loads);
    EXPECT_EQ(stringWidth(font, "A"), damage.widthOfA);
    drawString(target, font, 0, 0, "Pisteet: %d", 125);
    EXPECT_TRUE(regionIs(target, 0, 0, 1100, 40, BLACK));
  }
}
}
