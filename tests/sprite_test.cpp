#include "CSprite.h"
#include "support.h"

#include <cstring>
#include <filesystem>
#include <new>
#include <sstream>

namespace {

using namespace std::string_literals;

// Writes a 24-bit BMP whose pixel colours come from colourAt(x, y).
void writeBMP(const std::string& path, int width, int height, const std::function<Uint32(int, int)>& colourAt)
{
  SDL_Surface* picture = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      Uint32 rgb = colourAt(x, y);
      memcpy(static_cast<Uint8*>(picture->pixels) + y * picture->pitch + x * 3, &rgb, 3);
    }
  }
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  SDL_SaveBMP(picture, path.c_str());
  SDL_FreeSurface(picture);
}

// The game never frees its sets; tests give theirs back.
void freeSet(CSpriteBase& set)
{
  for (int i = 0; set.built == 1 && i < set.frameCount; ++i) {
    SDL_FreeSurface(set.frames[i].image);
  }
  delete[] set.frames;
  set = CSpriteBase{};
}

const std::string MISSING = "missing";

// What init gave and made: its result, built, the set's size, and each frame's width/pause/key.
std::string describe(int result, const CSpriteBase& set)
{
  std::ostringstream text;
  text << result << " " << set.built << " " << set.width << "x" << set.height << ":" << std::hex;
  for (int i = 0; i < set.frameCount; ++i) {
    SDL_Surface* image = set.frames[i].image;
    text << " " << (image == nullptr ? "none" : std::to_string(image->w)) << "/" << std::dec << set.frames[i].pause
         << std::hex;
    if (image != nullptr && (image->flags & SDL_SRCCOLORKEY)) {
      Uint8 r, g, b;
      SDL_GetRGB(image->format->colorkey, image->format, &r, &g, &b);
      text << "/" << ((r << 16) | (g << 8) | b);
    }
  }
  return text.str();
}

// A set's directory holds pictures a.bmp (10 x 20), b.bmp (30 x 40), "#" (7 x 8), sub/c.bmp (256 x 255), bad.bmp
// (no picture), link.bmp (a link to a.bmp) and an info file.
TEST(SpriteBase, ReadsTheInfoFileAndItsPictures)
{
  std::string manyEmpty;
  for (int i = 0; i < 1024; ++i) {
    manyEmpty += " none/0";
  }
  const struct
  {
    const char* name;
    std::string info;  // MISSING for none
    std::string made;
  } loads[] = {
    {"comments, blank and CRLF lines are skipped",
     "FILES: 2\r\n# a comment\n\n\r\na.bmp 100 255 0 255\r\n#\n\nb.bmp 50 -1 0 0\r\n\n# after\n",
     "0 1 10x20: 10/100/ff00ff 30/50"},
    {"an indented hash is a picture's name", "FILES: 1\n  # not a comment\n", "0 1 7x8: 7/0/0"},
    {"keys wrap and missing fields carry over",
     "FILES: 6\na.bmp 100 -1 0 0\na.bmp 90 -200 255 255\na.bmp 80 511 256 -257\na.bmp\na.bmp 70 0 255 x\nb.bmp 60 0 0 0\n",
     "0 1 10x20: 10/100 10/90 10/80/ff00ff 10/80/ff00ff 10/70/ffff 30/60/0"},
    {"fewer frame lines than announced", "FILES: 3\na.bmp 10 0 0 0\n", "0 1 10x20: 10/10/0 none/0 none/0"},
    {"lines past the count are not read", "FILES: 1\nb.bmp 10 0 0 0\nmissing.bmp 1 0 0 0\n", "0 1 30x40: 30/10/0"},
    {"the first line is always the count", "a.bmp 100 0 0 0\na.bmp 100 0 0 0\n", "0 1 0x0:"},
    {"an empty info file", "", "0 1 0x0:"},
    {"a line led by a NUL byte is skipped like a blank one", "FILES: 1\n\0junk\na.bmp 10 0 0 0\n"s,
     "0 1 10x20: 10/10/0"},
    {"the largest count", "FILES: 1024\n", "0 1 0x0:" + manyEmpty},
    {"a count over the largest", "FILES: 1025\na.bmp 1 0 0 0\n", "-1 0 0x0:"},
    {"a negative count", "FILES: -5\na.bmp 1 0 0 0\n", "-1 0 0x0:"},
    {"a missing picture keeps the frames before it", "FILES: 3\na.bmp 10 0 0 0\nmissing.bmp 10 0 0 0\nb.bmp\n",
     "-1 1 10x20: 10/10/0 none/0 none/0"},
    {"a picture that is no BMP", "FILES: 1\nbad.bmp 10 0 0 0\n", "-1 1 0x0: none/0"},
    {"a directory as a picture", "FILES: 1\nsub 10 0 0 0\n", "-1 1 0x0: none/0"},
    {"a line without a name", "FILES: 1\n   \t \n", "-1 1 0x0: none/0"},
    {"no info file", MISSING, "-1 0 0x0:"},
    {"a subfolder and a link to a picture", "FILES: 2\nsub/c.bmp 1 -1 0 0\nlink.bmp\n", "0 1 256x255: 256/1 10/1"},
    {"a name going up out of the set", "FILES: 2\na.bmp 1 -1 0 0\nsub/../a.bmp\n", "-1 1 10x20: 10/1 none/0"},
    {"an absolute name", "FILES: 1\n/a.bmp 1 -1 0 0\n", "-1 1 0x0: none/0"},
    {"65536 pixels in all at most", "FILES: 4\nsub/c.bmp 1 -1 0 0\na.bmp\n #\n #\n", "-1 1 256x255: 256/1 10/1 7/1 none/0"}};
  for (const auto& load : loads) {
    SCOPED_TRACE(load.name);
    TempDir dir;
    writeBMP(dir.path("a.bmp"), 10, 20, [](int, int) { return RED; });
    writeBMP(dir.path("b.bmp"), 30, 40, [](int, int) { return BLUE; });
    writeBMP(dir.path("#"), 7, 8, [](int, int) { return WHITE; });
    dir.write("bad.bmp", "BM but no picture");
    writeBMP(dir.path("sub/c.bmp"), 256, 255, [](int, int) { return GREEN; });
    std::filesystem::create_symlink("a.bmp", dir.path("link.bmp"));
    std::string message = "ERROR opening file " + dir.path("info") + "\n\n";
    if (load.info != MISSING) {
      dir.write("info", load.info);
      message = "";
    }
    CSpriteBase set;
    auto filesBefore = openFiles();
    testing::internal::CaptureStdout();
    int result = set.init(dir.path().c_str());
    fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), message);
    EXPECT_EQ(openFiles(), filesBefore) << "the info file is closed again";
    EXPECT_EQ(describe(result, set), load.made);
    freeSet(set);
  }
}

// Pictures are read from 1 to 4096 pixels a side and of 1024 x 1024 pixels at most, stored either way up.
TEST(ReadPicture, ReadsPicturesOfUpTo4096PixelsASideAnd1024x1024InAll)
{
  TempDir dir;
  const struct
  {
    int width, height;
    std::string read;
  } pictures[] = {{4096, 1, "4096 x 1"}, {4097, 1, "none"}, {1, 4096, "1 x 4096"}, {1, 4097, "none"},
                  {1024, 1024, "1024 x 1024"}, {1025, 1024, "none"}, {3, -2, "3 x 2"}};
  for (const auto& size : pictures) {
    writeBMP(dir.path("p.bmp"), size.width, std::abs(size.height), [](int, int) { return RED; });
    dir.write("p.bmp", readFile(dir.path("p.bmp")).replace(22, 4, reinterpret_cast<const char*>(&size.height), 4));
    SDL_Surface* picture = readPicture(dir.path("p.bmp").c_str());
    EXPECT_EQ(picture == nullptr ? "none" : std::to_string(picture->w) + " x " + std::to_string(picture->h), size.read);
    SDL_FreeSurface(picture);
  }
}

// A picture's directory and name joined, and the set's directory with "/info", take up to 255 characters.
TEST(SpriteBase, JoinsPathsOfUpTo255Characters)
{
  TempDir dir;
  for (size_t length : {255, 256}) {
    std::string name(length - dir.path().size() - 1, 'p');
    writeBMP(dir.path(name), 2, 2, [](int, int) { return RED; });
    dir.write("info", "FILES: 1\n" + name + " 1 -1 0 0\n");
    std::string setDir(length - dir.path().size() - sizeof "/info", 's');
    writeBMP(dir.path(setDir + "/p"), 2, 2, [](int, int) { return RED; });
    // Cut a character short, the path would name "inf".
    for (const char* info : {"/info", "/inf"}) {
      dir.write(setDir + info, "FILES: 1\np 1 -1 0 0\n");
    }
    for (const std::string& set : {dir.path(), dir.path(setDir)}) {
      CSpriteBase base;
      EXPECT_EQ(base.init(set.c_str()), length == 255 ? 0 : -1) << length << " characters in " << set;
      freeSet(base);
    }
  }
}

// Sprites on a 40 x 40 black target, from a set of three 10 x 10 frames, red, green and blue, each
// with a magenta (keyed) top-left quarter, and a 30 x 40 white one.
class SpriteTest : public testing::Test
{
protected:
  void SetUp() override
  {
    const Uint32 colours[] = {RED, GREEN, BLUE};
    for (int i = 0; i < 3; ++i) {
      writeBMP(dir.path("f" + std::to_string(i) + ".bmp"), 10, 10,
               [&](int x, int y) { return x < 5 && y < 5 ? MAGENTA : colours[i]; });
    }
    writeBMP(dir.path("big.bmp"), 30, 40, [](int, int) { return WHITE; });
    fakeClock.reset(0);
  }
  void TearDown() override
  {
    SDL_FreeSurface(sprite.background);
    freeSet(set);
    SDL_FreeSurface(target);
  }

  CSprite& load(const std::string& info, float speed = 2.0f)
  {
    SDL_FreeSurface(sprite.background);
    freeSet(set);
    sprite = CSprite{};
    dir.write("info", info);
    EXPECT_EQ(set.init(dir.path().c_str()), 0);
    EXPECT_EQ(sprite.init(&set, target), 0);
    sprite.setSpeed(speed);
    return sprite;
  }

  TempDir dir;
  CSpriteBase set;
  CSprite sprite;
  SDL_Surface* target = makeSurface(40, 40, BLACK);
};

const std::string THREE_FRAMES = "FILES: 3\nf0.bmp 100 255 0 255\nf1.bmp 100 255 0 255\nf2.bmp 100 255 0 255\n";

// A frame stays until the clock is past the time of the last change plus its pause times the speed.
// 2^24 + 1 is no float: a deadline of 2^24 + 1 becomes 2^24, which the tick 2^24 + 1 passes.
TEST_F(SpriteTest, FrameChangesOnceItsTimeIsPast)
{
  const struct
  {
    const char* name;
    std::string info;
    float speed;
    int lastTicks;
    std::vector<std::pair<Uint32, int>> frameAtTick;  // the frame shown after a draw at that tick
    int readings;
  } animations[] = {
    {"by pause times speed, a frame a draw, round and round", THREE_FRAMES, 2.0f, 0,
     {{1000, 1}, {1200, 1}, {1201, 2}, {1401, 2}, {1402, 0}, {100000, 1}, {100001, 1}}, 11},
    {"speed 0 changes whenever the clock has moved", THREE_FRAMES, 0.0f, 0, {{50, 1}, {50, 1}, {51, 2}}, 5},
    {"the deadline is a float", "FILES: 2\nf0.bmp 1 255 0 255\nf1.bmp 1 255 0 255\n", 1.0f, 16777216,
     {{16777217, 1}}, 2},
    {"one frame never reads the clock", "FILES: 1\nf0.bmp 100 255 0 255\n", 2.0f, 0, {{5000, 0}}, 0}};
  for (const auto& animation : animations) {
    SCOPED_TRACE(animation.name);
    fakeClock.reset(0);
    load(animation.info, animation.speed).lastTicks = animation.lastTicks;
    for (const auto& step : animation.frameAtTick) {
      fakeClock.now = step.first;
      sprite.draw();
      EXPECT_EQ(sprite.frameIndex, step.second) << "at tick " << step.first;
    }
    EXPECT_EQ(fakeClock.readings, animation.readings);
  }
}

TEST_F(SpriteTest, FrameChangeTimeIsTheSecondClockReadingAndSizeIsFrameZeros)
{
  load("FILES: 2\nf0.bmp 10 -1 0 0\nbig.bmp 10 -1 0 0\n");
  fakeClock.reset(1000, 7);
  sprite.draw();
  EXPECT_EQ(sprite.lastTicks, 1007);
  EXPECT_EQ(sprite.frameIndex, 1);
  EXPECT_EQ(std::make_pair(sprite.getw(), sprite.geth()), std::make_pair(10, 10)) << "frame 0's size";
}

// The patch under a sprite goes back where it was saved, key-coloured pixels and all, once it has been drawn.
TEST_F(SpriteTest, SavedBackgroundIsRestoredWhereItWasSavedAfterTheFirstDraw)
{
  load("FILES: 2\nf0.bmp 100 255 0 255\nbig.bmp 100 255 0 255\n");  // the patch is frame 0's size
  SDL_Surface* scene = makeSurface(40, 40, MAGENTA);
  for (Sint16 y = 0; y < 40; y += 2) {
    SDL_Rect stripe = {0, y, 40, 1};
    SDL_FillRect(scene, &stripe, SDL_MapRGB(scene->format, 0, 0, 255));
  }
  blit(scene, target, 0, 0);
  sprite.set(12, 7);
  SDL_FillRect(sprite.background, nullptr, 0);
  sprite.clearBG();
  EXPECT_TRUE(sameRegion(target, scene, 0, 0, 40, 40)) << "nothing is restored before the first draw";
  sprite.updateBG();
  sprite.draw();
  sprite.set(30, 30);
  sprite.clearBG();
  EXPECT_TRUE(sameRegion(target, scene, 0, 0, 40, 40));
  EXPECT_EQ(std::make_pair(sprite.savedX, sprite.savedY), std::make_pair(12, 7));
  SDL_FreeSurface(scene);
}

// Also when the sprite and its set were made on memory full of garbage.
TEST_F(SpriteTest, SpriteOfAnUnloadedOrEmptySetDrawsNothingAndHasNoSize)
{
  alignas(CSpriteBase) unsigned char setMemory[sizeof(CSpriteBase)];
  alignas(CSprite) unsigned char spriteMemory[sizeof(CSprite)];
  memset(setMemory, 0xA5, sizeof setMemory);
  memset(spriteMemory, 0xA5, sizeof spriteMemory);
  CSprite* unloaded = new (spriteMemory) CSprite;
  unloaded->init(new (setMemory) CSpriteBase, target);
  for (const char* info : {"FILES: 0\n", "FILES: 2\n", ""}) {
    CSprite& empty = *info == 0 ? *unloaded : load(info, 0.0f);
    for (Uint32 tick : {10u, 20u}) {
      fakeClock.now = tick;
      empty.draw();
    }
    empty.updateBG();
    empty.clearBG();
    EXPECT_EQ(std::make_pair(empty.getw(), empty.geth()), std::make_pair(0, 0));
    EXPECT_EQ(empty.background, nullptr);
  }
  EXPECT_EQ((std::vector<int>{unloaded->x, unloaded->frameIndex, unloaded->animating, unloaded->lastTicks}),
            (std::vector<int>{0, 0, 0, 0})) << "x, frame, animating, last change";
  EXPECT_TRUE(regionIs(target, 0, 0, 40, 40, BLACK));
  CSprite loose;
  loose.set(3, 4);
  loose.updateBG();
  EXPECT_EQ(std::make_pair(loose.savedX, loose.savedY), std::make_pair(3, 4)) << "a sprite never given a set";
}

}
