// The game draws with surfaces prepared for speed. Every frame of a scripted
// game with the committed data must equal, pixel for pixel, the same scene
// composed from plainly loaded pictures: frames keyed and converted, the sign
// keyed in its file's format, text from a font sheet blended pixel by pixel.
// A sign that would not convert exactly must be drawn from its file's format.

#include "lesson3.h"
#include "fake_clock.h"
#include "test_support.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

const Uint32 PASS_MS = 17;
const int PASSES = 160;

void freeFrames(std::vector<SDL_Surface*>& frames)
{
  for (SDL_Surface* frame : frames) {
    SDL_FreeSurface(frame);
  }
  frames.clear();
}

// The frames of a set in the order of its info file, each keyed and converted
// to the display's format with no acceleration asked for.
std::vector<SDL_Surface*> loadPlainFrames(const std::string& dir)
{
  std::vector<SDL_Surface*> frames;
  std::ifstream info(dir + "/info");
  std::string line;
  int count = 0;
  if (!std::getline(info, line) || sscanf(line.c_str(), "FILES: %d", &count) != 1) {
    return frames;
  }
  while (static_cast<int>(frames.size()) < count && std::getline(info, line)) {
    if (line.empty() || line[0] == '#' || line[0] == '\r') {
      continue;
    }
    std::istringstream fields(line);
    std::string name;
    int pause = 0;
    int red = 0;
    int green = 0;
    int blue = 0;
    fields >> name >> pause >> red >> green >> blue;
    SDL_Surface* picture = SDL_LoadBMP((dir + "/" + name).c_str());
    if (picture == nullptr) {
      freeFrames(frames);
      return frames;
    }
    if (red >= 0) {
      SDL_SetColorKey(picture, SDL_SRCCOLORKEY, SDL_MapRGB(picture->format, red & 255, green & 255, blue & 255));
    }
    frames.push_back(SDL_DisplayFormat(picture));
    SDL_FreeSurface(picture);
  }
  return frames;
}

// The white font of the committed data, its coverage bytes the alpha of a
// sheet blended pixel by pixel; text laid out glyph by glyph.
struct PlainFont
{
  SDL_Surface* sheet = nullptr;
  int cell = 0;
  std::array<int, 256> widths{};

  bool load(const std::string& dir)
  {
    int size = 0;
    std::ifstream(dir + "/font.ini") >> size;
    std::string coverage(static_cast<size_t>(size) * size, '\0');
    std::string widthBytes(widths.size(), '\0');
    if (size <= 0 || !std::ifstream(dir + "/font.raw", std::ios::binary).read(coverage.data(), coverage.size()) ||
        !std::ifstream(dir + "/font.dat", std::ios::binary).read(widthBytes.data(), widthBytes.size())) {
      return false;
    }
    SDL_Surface* white = SDL_CreateRGBSurface(SDL_SWSURFACE, size, size, 32, 0x000000FF, 0x0000FF00, 0x00FF0000,
                                              0xFF000000);
    for (int i = 0; i < size * size; ++i) {
      Uint8* pixel = static_cast<Uint8*>(white->pixels) + (i / size) * white->pitch + (i % size) * 4;
      pixel[0] = pixel[1] = pixel[2] = 255;
      pixel[3] = static_cast<Uint8>(coverage[i]);
    }
    sheet = SDL_DisplayFormatAlpha(white);
    SDL_FreeSurface(white);
    cell = size / 16;
    for (size_t c = 0; c < widths.size(); ++c) {
      widths[c] = static_cast<unsigned char>(widthBytes[c]);
    }
    return sheet != nullptr;
  }

  // Each glyph is cut two pixels wider than its advance, centred in its cell.
  void draw(SDL_Surface* target, int x, int y, const std::string& text) const
  {
    int advance = 0;
    for (unsigned char c : text) {
      int width = widths[c];
      SDL_Rect source{static_cast<Sint16>((c % 16) * cell + cell / 2 - width / 2), static_cast<Sint16>((c / 16) * cell),
                      static_cast<Uint16>(width + 2), static_cast<Uint16>(cell)};
      SDL_Rect where{static_cast<Sint16>(x + advance), static_cast<Sint16>(y), 0, 0};
      SDL_BlitSurface(sheet, &source, target, &where);
      advance += width;
    }
  }
};

void blitAt(SDL_Surface* image, SDL_Surface* target, int x, int y)
{
  SDL_Rect where{static_cast<Sint16>(x), static_cast<Sint16>(y), 0, 0};
  SDL_BlitSurface(image, nullptr, target, &where);
}

// What a frame shows, composed step by step from the plain pictures.
struct PlainScene
{
  SDL_Surface* background = nullptr;
  SDL_Surface* sign = nullptr;
  std::vector<SDL_Surface*> matoFrames;
  std::vector<SDL_Surface*> kanaFrames;
  std::vector<SDL_Surface*> miinaFrames;
  PlainFont text;

  bool load()
  {
    SDL_Surface* picture = SDL_LoadBMP("data/bg.bmp");
    if (picture != nullptr) {
      background = SDL_DisplayFormat(picture);
      SDL_FreeSurface(picture);
    }
    sign = SDL_LoadBMP("data/peliohi.bmp");
    if (sign != nullptr) {
      SDL_SetColorKey(sign, SDL_SRCCOLORKEY, SDL_MapRGB(sign->format, 0, 255, 0));
    }
    matoFrames = loadPlainFrames("data/mato");
    kanaFrames = loadPlainFrames("data/kana");
    miinaFrames = loadPlainFrames("data/miina");
    return text.load("data/fontti") && background != nullptr && sign != nullptr && !matoFrames.empty() &&
           !kanaFrames.empty() && !miinaFrames.empty();
  }

  void release()
  {
    SDL_FreeSurface(background);
    SDL_FreeSurface(sign);
    freeFrames(matoFrames);
    freeFrames(kanaFrames);
    freeFrames(miinaFrames);
    SDL_FreeSurface(text.sheet);
  }

  // Each sprite shows the frame its last draw left it at.
  static void drawSprite(const std::vector<SDL_Surface*>& frames, CSprite& sprite, SDL_Surface* target)
  {
    ASSERT_LT(static_cast<size_t>(sprite.frameIndex), frames.size());
    blitAt(frames[sprite.frameIndex], target, sprite.getx(), sprite.gety());
  }

  void compose(SDL_Surface* target)
  {
    SDL_FillRect(target, nullptr, 0);
    blitAt(background, target, 0, 0);
    text.draw(target, 5, 37, "Pisteet:");
    text.draw(target, 60, 37, std::to_string(score));
    text.draw(target, 570, 37, "Miinat:");
    text.draw(target, 610, 37, std::to_string(miinat));
    for (int i = 0; i < MIINA_SLOTS; ++i) {
      if (mdraw[i] > 0) {
        drawSprite(miinaFrames, miina[i], target);
      }
    }
    for (int i = 0; i < KANA_COUNT; ++i) {
      if (edraw[i] == 1) {
        drawSprite(kanaFrames, kana[i], target);
      }
    }
    drawSprite(matoFrames, mato, target);
    if (gameover != 0) {
      blitAt(sign, target, 165, 100);
    }
  }
};

// The game loads the committed data once, from the source tree.
class RenderIdentityTest : public testing::Test
{
protected:
  static void SetUpTestSuite()
  {
    char* home = getcwd(nullptr, 0);
    ASSERT_EQ(chdir(SOURCE_DIR), 0);
    screen = SDL_GetVideoSurface();
    LoadGame();
    loaded = plain.load();
    ASSERT_EQ(chdir(home), 0);
    free(home);
  }

  static void TearDownTestSuite() { plain.release(); }

  static PlainScene plain;
  static bool loaded;
};

PlainScene RenderIdentityTest::plain;
bool RenderIdentityTest::loaded = false;

void standStill(int j, int x, int y)
{
  kana[j].set(x, y);
  einfo[j] = 0;
}

// Things that overlap without touching, so that the order of drawing shows: a
// chicken over a mine, the worm over a chicken and a chicken over the score
// line. One more chicken is put right on a mine, to take it.
void arrangeOverlaps()
{
  kana[0].set(miina[0].getx(), miina[0].gety());
  miina[1].set(400, 300);
  standStill(1, 376, 290);
  mato.set(200, 250);
  standStill(2, 226, 240);
  standStill(3, 30, 20);
}

// The worm walks right, then up, laying three mines; then the overlaps are
// arranged; Esc shows the sign over them for a while, and Enter starts a new game.
Keys scriptedPass(int pass)
{
  Keys keys{};
  if (pass < 40) {
    keys[SDLK_RIGHT] = 1;
  } else if (pass < 90) {
    keys[SDLK_UP] = 1;
  }
  if (pass == 10 || pass == 30 || pass == 50) {
    press(SDLK_SPACE);
  }
  if (pass == 60) {
    arrangeOverlaps();
  }
  if (pass == 100) {
    press(SDLK_ESCAPE);
  }
  if (pass == 140) {
    press(SDLK_RETURN);
  }
  return keys;
}

TEST_F(RenderIdentityTest, EveryScriptedFrameEqualsThePlainComposition)
{
  ASSERT_NE(back, nullptr);
  ASSERT_NE(gameoverimg, nullptr);
  ASSERT_NE(font, nullptr);
  ASSERT_TRUE(loaded);
  fakeClock.reset(5000);
  srand(11);
  AloitaUusipeli();
  SDL_Surface* expected = makeSurface(640, 480, BLACK);

  bool signShown = false;
  int mostMines = 0;
  int bestScore = 0;
  std::set<int> kanaFramesShown;
  for (int pass = 0; pass < PASSES; ++pass) {
    Keys keys = scriptedPass(pass);
    fakeClock.now += PASS_MS;
    RunPass(keys.data());
    plain.compose(expected);
    ASSERT_TRUE(sameRegion(screen, expected, 0, 0, 640, 480)) << "pass " << pass;

    signShown = signShown || gameover != 0;
    mostMines = std::max(mostMines, MIINA_SLOTS - miinat);
    bestScore = std::max(bestScore, score);
    kanaFramesShown.insert(kana[2].frameIndex);
  }
  SDL_FreeSurface(expected);

  // The script went through what it is meant to show.
  EXPECT_TRUE(signShown);
  EXPECT_EQ(mostMines, 3);
  EXPECT_GT(bestScore, 0);
  EXPECT_EQ(kanaFramesShown.size(), plain.kanaFrames.size());
}

// A 16-bit BMP, five bits a channel, whose pixel colours come from colourAt(x, y).
void writeBMP16(const std::string& path, int width, int height, const std::function<Uint32(int, int)>& colourAt)
{
  int rowSize = (width * 2 + 3) / 4 * 4;
  std::string file(54 + rowSize * height, '\0');
  auto put = [&file](size_t at, Uint32 value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
      file[at + i] = static_cast<char>((value >> (8 * i)) & 255);
    }
  };
  file[0] = 'B';
  file[1] = 'M';
  put(2, file.size(), 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, width, 4);
  put(22, height, 4);
  put(26, 1, 2);
  put(28, 16, 2);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      Uint32 rgb = colourAt(x, y);
      Uint32 pixel = ((rgb >> 19) & 31) << 10 | ((rgb >> 11) & 31) << 5 | ((rgb >> 3) & 31);
      put(54 + (height - 1 - y) * rowSize + x * 2, pixel, 2);
    }
  }
  std::ofstream(path, std::ios::binary) << file;
}

// SDL widens the pixels and the key of a 16-bit picture differently, so such a
// sign must stay in its file's format for its green to stay transparent. The
// game loads in a process of its own, from a directory holding only the sign.
TEST(SixteenBitSignDeathTest, KeepsItsPureGreenTransparent)
{
  TempDir dir;
  dir.makeDir("data");
  writeBMP16(dir.path("data/peliohi.bmp"), 40, 30, [](int x, int) { return x < 10 ? GREEN : RED; });
  auto loadAndDraw = [&dir]() {
    if (chdir(dir.path().c_str()) != 0 || freopen("/dev/null", "w", stdout) == nullptr) {
      _exit(2);
    }
    screen = SDL_GetVideoSurface();
    LoadGame();
    SDL_FillRect(screen, nullptr, 0);
    DrawIMG(gameoverimg, 0, 0);
    SDL_Surface* plain = SDL_LoadBMP("data/peliohi.bmp");
    SDL_SetColorKey(plain, SDL_SRCCOLORKEY, SDL_MapRGB(plain->format, 0, 255, 0));
    SDL_Surface* expected = makeSurface(40, 30, BLACK);
    SDL_BlitSurface(plain, nullptr, expected, nullptr);
    bool drawnAsInTheFile = regionIs(screen, 0, 0, 10, 30, BLACK) && sameRegion(screen, expected, 0, 0, 40, 30);
    _exit(drawnAsInTheFile ? 0 : 1);
  };
  EXPECT_EXIT(loadAndDraw(), testing::ExitedWithCode(0), "");
}

}
