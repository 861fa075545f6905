#include "font.h"
#include "test_support.h"

#include <array>
#include <filesystem>
#include <string>

namespace {

using Widths = std::array<int, 256>;

class FontTest : public testing::Test
{
protected:
  void SetUp() override
  {
    target = makeSurface(1100, 40, BLACK);
    widths.fill(4);
  }
  void TearDown() override
  {
    freeFont(font);
    SDL_FreeSurface(target);
  }

  // Writes a 256 x 256 font whose coverage is full where `full` says so.
  void writeFont(const std::function<bool(int, int)>& full)
  {
    std::string raw(256 * 256, '\0');
    for (int y = 0; y < 256; ++y) {
      for (int x = 0; x < 256; ++x) {
        raw[y * 256 + x] = full(x, y) ? '\xFF' : '\0';
      }
    }
    std::string dat;
    for (int width : widths) {
      dat += static_cast<char>(width);
    }
    dir.write("font.ini", "256\n");
    dir.write("font.raw", raw);
    dir.write("font.dat", dat);
  }

  SDLFont* load()
  {
    freeFont(font);
    font = initFont(dir.path().c_str());
    return font;
  }

  // Columns of the target's row y that the text turned white, as a string of '#' and '.'.
  std::string row(int y, int from, int to)
  {
    std::string columns;
    for (int x = from; x < to; ++x) {
      columns += rgbAt(target, x, y) == WHITE ? '#' : '.';
    }
    return columns;
  }

  TempDir dir;
  Widths widths;
  SDLFont* font = nullptr;
  SDL_Surface* target = nullptr;
};

TEST_F(FontTest, GlyphIsCutTwoPixelsWiderThanItsWidthFromTheMiddleOfItsCell)
{
  widths['A'] = 7;
  // 'A' has the cell at (16, 64): mark cell columns 4, 5, 13 and 14.
  writeFont([](int x, int y) { return y >= 64 && y < 80 && (x == 20 || x == 21 || x == 29 || x == 30); });
  ASSERT_NE(load(), nullptr);
  drawString(target, font, 10, 5, "A");
  EXPECT_EQ(row(5, 8, 21), "..#.......#..");
  EXPECT_EQ(row(20, 8, 21), "..#.......#..");
  EXPECT_EQ(row(21, 8, 21), ".............");

  fill(target, BLACK);
  drawString(target, font, 10, 5, "AA");
  EXPECT_EQ(row(5, 8, 30), "..#......##......#....") << "the second glyph starts 7 pixels on";
  EXPECT_EQ(stringWidth(font, "AA"), 14);
}

TEST_F(FontTest, CharacterCellsOfA256Sheet)
{
  widths['A'] = 12;
  widths[0xC8] = 12;
  // Full coverage in the cells of 'A' at (16, 64) and of 0xC8 at (128, 192) only.
  writeFont([](int x, int y) {
    return (x >= 16 && x < 32 && y >= 64 && y < 80) || (x >= 128 && x < 144 && y >= 192 && y < 208);
  });
  ASSERT_NE(load(), nullptr);
  EXPECT_EQ(font->cellSize, 16);
  for (const char* text : {"A", "\xC8"}) {
    fill(target, BLACK);
    drawString(target, font, 3, 2, "%s", text);
    EXPECT_TRUE(regionIs(target, 3, 2, 14, 16, WHITE)) << "character " << (text[0] & 255);
    EXPECT_TRUE(regionIs(target, 17, 0, 20, 40, BLACK)) << "character " << (text[0] & 255);
    EXPECT_TRUE(regionIs(target, 0, 18, 20, 22, BLACK)) << "character " << (text[0] & 255);
  }
}

TEST_F(FontTest, WidthZeroStillDrawsATwoPixelSliver)
{
  widths['i'] = 0;
  writeFont([](int, int) { return true; });
  ASSERT_NE(load(), nullptr);
  drawString(target, font, 10, 0, "i");
  EXPECT_EQ(row(0, 8, 14), "..##..");
  EXPECT_EQ(stringWidth(font, "i"), 0);
}

TEST_F(FontTest, WideGlyphTakesColumnsOfTheNextCell)
{
  widths['B'] = 14;
  // Only column 0 of the cell right of 'B' (the cell of 'C', left edge 48) is full.
  writeFont([](int x, int y) { return x == 48 && y >= 64 && y < 80; });
  ASSERT_NE(load(), nullptr);
  drawString(target, font, 10, 0, "B");
  EXPECT_EQ(row(0, 10, 27), "...............#.");
}

TEST_F(FontTest, NoCharacterIsSpecial)
{
  widths['\n'] = 6;
  widths['x'] = 5;
  // The newline's cell, (160, 0), is full.
  writeFont([](int x, int y) { return x >= 160 && x < 176 && y < 16; });
  ASSERT_NE(load(), nullptr);
  drawString(target, font, 10, 3, "x\nx");
  EXPECT_EQ(row(3, 10, 25), ".....########..");
  EXPECT_TRUE(regionIs(target, 0, 19, 1100, 21, BLACK)) << "no second line";
  EXPECT_EQ(stringWidth(font, "x\nx"), 16);
}

TEST_F(FontTest, WidthIsTheSumOfTheFormattedCharacters)
{
  widths['1'] = 3;
  widths['2'] = 5;
  widths['5'] = 11;
  writeFont([](int, int) { return true; });
  ASSERT_NE(load(), nullptr);
  EXPECT_EQ(stringWidth(font, "%d", 125), 19);
  EXPECT_EQ(stringWidth(font, "%s", ""), 0);
  drawString(target, font, 10, 0, "%s", "");
  EXPECT_TRUE(regionIs(target, 0, 0, 1100, 40, BLACK));
}

TEST_F(FontTest, TextLongerThan1023CharactersIsCutThereWhenDrawnAndMeasured)
{
  widths['w'] = 1;
  writeFont([](int, int) { return true; });
  ASSERT_NE(load(), nullptr);
  std::string text(2000, 'w');
  EXPECT_EQ(stringWidth(font, "%s", text.c_str()), 1023);
  drawString(target, font, 0, 0, "%s", text.c_str());
  EXPECT_EQ(row(0, 1020, 1030), "#####.....");
}

struct FactorCase
{
  float r, g, b, a;
  int coverage;
  Uint8 red, green, blue, alpha;
};

class FontFactorTest : public FontTest, public testing::WithParamInterface<FactorCase>
{
};

TEST_P(FontFactorTest, ColourAndAlphaOfTheSheet)
{
  const FactorCase& factors = GetParam();
  dir.write("font.ini", "16");
  dir.write("font.raw", std::string(256, static_cast<char>(factors.coverage)));
  ASSERT_NE(font = initFont(dir.path().c_str(), factors.r, factors.g, factors.b, factors.a), nullptr);
  EXPECT_EQ(font->pixels[0], factors.red);
  EXPECT_EQ(font->pixels[1], factors.green);
  EXPECT_EQ(font->pixels[2], factors.blue);
  EXPECT_EQ(font->pixels[3], factors.alpha);
}

INSTANTIATE_TEST_SUITE_P(Factors, FontFactorTest,
                         testing::Values(FactorCase{1.0f, 1.0f, 1.0f, 1.0f, 200, 255, 255, 255, 200},
                                         FactorCase{0.99f, 0.5f, 0.0f, 1.0f, 255, 0, 0, 0, 255},
                                         FactorCase{2.0f, 1.9f, 1.0f, 1.0f, 9, 254, 255, 255, 9},
                                         FactorCase{-1.0f, 1.0f, 1.0f, 0.5f, 255, 1, 255, 255, 127},
                                         FactorCase{1.0f, 1.0f, 1.0f, 0.5f, 3, 255, 255, 255, 1},
                                         FactorCase{1.0f, 1.0f, 1.0f, 2.0f, 128, 255, 255, 255, 0},
                                         FactorCase{1.0f, 1.0f, 1.0f, 2.0f, 255, 255, 255, 255, 254},
                                         FactorCase{40000.0f, 1.0f, 1.0f, 200.0f, 255, 0, 255, 255, 0},
                                         FactorCase{1.0f, 1.0f, 1.0f, 128.0f, 255, 255, 255, 255, 128}));

TEST_F(FontTest, MissingBytesReadAsFullCoverageAndWidth255)
{
  dir.write("font.ini", "  32 and the rest is ignored");
  dir.write("font.raw", std::string(100, '\x10'));
  dir.write("font.dat", std::string(10, '\x03'));
  ASSERT_NE(load(), nullptr);
  EXPECT_EQ(font->size, 32);
  EXPECT_EQ(font->cellSize, 2);
  EXPECT_EQ(font->pixels[4 * 99 + 3], 0x10);
  EXPECT_EQ(font->pixels[4 * 100 + 3], 255);
  EXPECT_EQ(font->pixels[4 * (32 * 32 - 1) + 3], 255);
  EXPECT_EQ(font->widths[9], 3);
  EXPECT_EQ(font->widths[10], 255);
  EXPECT_EQ(font->widths[255], 255);
}

TEST_F(FontTest, MissingWidthsTakeHalfACell)
{
  writeFont([](int, int) { return true; });
  std::filesystem::remove(dir.path("font.dat"));
  ASSERT_NE(load(), nullptr);
  EXPECT_EQ(stringWidth(font, "Ab"), 16);
  drawString(target, font, 0, 0, "A");
  EXPECT_EQ(row(0, 0, 12), "##########..");
}

TEST_F(FontTest, FilesThatCannotBeReadCountAsMissing)
{
  writeFont([](int, int) { return true; });
  std::filesystem::remove(dir.path("font.dat"));
  dir.makeDir("font.dat");
  ASSERT_NE(load(), nullptr);
  EXPECT_EQ(font->widths['A'], 8);

  std::filesystem::remove(dir.path("font.raw"));
  dir.makeDir("font.raw");
  EXPECT_EQ(load(), nullptr);
}

TEST_F(FontTest, SheetSmallerThanACellRowDrawsNothing)
{
  dir.write("font.ini", "15");
  dir.write("font.raw", std::string(15 * 15, '\xFF'));
  ASSERT_NE(load(), nullptr);
  EXPECT_EQ(font->cellSize, 0);
  drawString(target, font, 0, 0, "Pisteet: %d", 125);
  EXPECT_TRUE(regionIs(target, 0, 0, 1100, 40, BLACK));
}

struct BadFontCase
{
  const char* name;
  const char* ini;  // null: no "font.ini"
  bool raw;
};

class BadFontTest : public FontTest, public testing::WithParamInterface<BadFontCase>
{
};

TEST_P(BadFontTest, LoadsNothing)
{
  if (GetParam().ini != nullptr) {
    dir.write("font.ini", GetParam().ini);
  }
  if (GetParam().raw) {
    dir.write("font.raw", std::string(1024, '\xFF'));
  }
  EXPECT_EQ(load(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Files, BadFontTest,
                         testing::Values(BadFontCase{"NoIni", nullptr, true}, BadFontCase{"NoRaw", "16", false},
                                         BadFontCase{"EmptyIni", "", true}, BadFontCase{"NotANumber", "abc", true},
                                         BadFontCase{"Zero", "0", true}, BadFontCase{"Negative", "-16", true},
                                         BadFontCase{"CellsOver128Pixels", "2049", true},
                                         BadFontCase{"Huge", "100000", true},
                                         BadFontCase{"Overflowing", "2147483647", true}),
                         [](const testing::TestParamInfo<BadFontCase>& info) { return info.param.name; });

TEST_F(FontTest, DirectoryTooLongToJoinLoadsNothing)
{
  std::string longName = dir.path(std::string(250, 'd'));
  EXPECT_EQ(initFont(longName.c_str()), nullptr);
}

TEST_F(FontTest, NullFontDrawsNothingAndMeasuresZero)
{
  drawString(target, nullptr, 0, 0, "Pisteet:");
  EXPECT_TRUE(regionIs(target, 0, 0, 1100, 40, BLACK));
  EXPECT_EQ(stringWidth(nullptr, "Pisteet:"), 0);
}

TEST(GameFont, LabelsEndBeforeTheirNumbers)
{
  SDLFont* font = initFont(SOURCE_DIR "/data/fontti");
  ASSERT_NE(font, nullptr);
  EXPECT_LE(5 + stringWidth(font, "Pisteet:"), 60 - 3);
  EXPECT_LE(570 + stringWidth(font, "Miinat:"), 610 - 3);
  freeFont(font);
}

}
