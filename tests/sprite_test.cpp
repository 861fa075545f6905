#include "CSprite.h"
#include "fake_clock.h"
#include "test_support.h"

#include <cstring>
#include <filesystem>
#include <new>
#include <list>
#include <string>

namespace {

// A 10 x 10 picture of one colour with a magenta (transparent) top-left quarter.
Uint32 keyedSquare(int x, int y, Uint32 rgb)
{
  return x < 5 && y < 5 ? MAGENTA : rgb;
}

class SpriteTest : public testing::Test
{
protected:
  void SetUp() override
  {
    const Uint32 colours[3] = {RED, GREEN, BLUE};
    for (int i = 0; i < 3; ++i) {
      Uint32 rgb = colours[i];
      writeBMP(dir.path("f" + std::to_string(i) + ".bmp"), 10, 10, [rgb](int x, int y) { return keyedSquare(x, y, rgb); });
    }
    writeBMP(dir.path("big.bmp"), 30, 40, WHITE);
    writeBMP(dir.path("red.bmp"), 10, 10, RED);
    target = makeSurface(40, 40, BLACK);
    fakeClock.reset(0);
  }
  void TearDown() override
  {
    for (CSprite& sprite : sprites) {
      SDL_FreeSurface(sprite.background);
    }
    for (CSpriteBase& set : sets) {
      freeSet(set);
    }
    SDL_FreeSurface(target);
  }

  // Loads a set from the given info text into its own directory.
  CSpriteBase& loadSet(const std::string& name, const std::string& info)
  {
    dir.write(name + "/info", info);
    for (const char* picture : {"f0.bmp", "f1.bmp", "f2.bmp", "big.bmp", "red.bmp"}) {
      std::filesystem::copy_file(dir.path(picture), dir.path(name + "/" + picture),
                                 std::filesystem::copy_options::overwrite_existing);
    }
    sets.emplace_back();
    EXPECT_EQ(sets.back().init(dir.path(name).c_str()), 0);
    return sets.back();
  }

  CSprite& spriteOf(CSpriteBase& set, float speed)
  {
    sprites.emplace_back();
    CSprite& sprite = sprites.back();
    sprite.init(&set, target);
    sprite.setSpeed(speed);
    return sprite;
  }

  CSpriteBase& threeFrames() { return loadSet("three", "FILES: 3\nf0.bmp 100 255 0 255\nf1.bmp 100 255 0 255\nf2.bmp 100 255 0 255\n"); }

  TempDir dir;
  std::list<CSpriteBase> sets;
  std::list<CSprite> sprites;
  SDL_Surface* target = nullptr;
};

TEST_F(SpriteTest, OneFrameSetNeverAnimatesNorReadsTheClock)
{
  CSprite& sprite = spriteOf(loadSet("one", "FILES: 1\nf0.bmp 100 255 0 255\n"), 2.0f);
  EXPECT_EQ(sprite.animating, 0);
  for (Uint32 t : {0u, 500u, 100000u}) {
    fakeClock.now = t;
    sprite.draw();
  }
  EXPECT_EQ(fakeClock.readings, 0);
  EXPECT_EQ(sprite.frameIndex, 0);
}

TEST_F(SpriteTest, FrameStaysUntilTheClockIsPastPauseTimesSpeed)
{
  CSprite& sprite = spriteOf(threeFrames(), 2.0f);
  // Tick reading and the frame shown after a draw at that tick.
  const struct
  {
    Uint32 tick;
    int frame;
  } steps[] = {
    {1000, 1},  // long after the start: the first draw changes frame at once
    {1100, 1}, {1200, 1},  // 1000 + 100 x 2.0 is not yet passed
    {1201, 2}, {1401, 2}, {1402, 0}, {1602, 0}, {1603, 1},
  };
  for (const auto& step : steps) {
    fakeClock.now = step.tick;
    sprite.draw();
    EXPECT_EQ(sprite.frameIndex, step.frame) << "at tick " << step.tick;
  }
}

TEST_F(SpriteTest, AtMostOneFrameAdvancesPerDrawHoweverLate)
{
  CSprite& sprite = spriteOf(threeFrames(), 2.0f);
  fakeClock.now = 1000;
  sprite.draw();
  fakeClock.now = 100000;
  sprite.draw();
  EXPECT_EQ(sprite.frameIndex, 2);
}

TEST_F(SpriteTest, FrameChangeTimeIsTheSecondClockReading)
{
  CSprite& sprite = spriteOf(threeFrames(), 2.0f);
  fakeClock.reset(1000, 7);
  sprite.draw();
  EXPECT_EQ(fakeClock.readings, 2);
  EXPECT_EQ(sprite.lastTicks, 1007);
}

TEST_F(SpriteTest, SpeedZeroChangesFrameWheneverTheClockHasMoved)
{
  CSprite& sprite = spriteOf(threeFrames(), 0.0f);
  fakeClock.now = 50;
  sprite.draw();
  EXPECT_EQ(sprite.frameIndex, 1);
  sprite.draw();
  EXPECT_EQ(sprite.frameIndex, 1) << "the clock has not moved";
  fakeClock.now = 51;
  sprite.draw();
  EXPECT_EQ(sprite.frameIndex, 2);
}

TEST_F(SpriteTest, DeadlineIsRoundedToASinglePrecisionFloat)
{
  CSprite& sprite = spriteOf(loadSet("short", "FILES: 2\nf0.bmp 1 255 0 255\nf1.bmp 1 255 0 255\n"), 1.0f);
  // 2^24 + 1 is no float: the deadline 2^24 + 1 becomes 2^24, which the tick passes.
  sprite.lastTicks = 16777216;
  fakeClock.now = 16777217;
  sprite.draw();
  EXPECT_EQ(sprite.frameIndex, 1);
}

TEST_F(SpriteTest, DrawShowsTheCurrentFrameWithItsTransparentColour)
{
  CSprite& sprite = spriteOf(threeFrames(), 2.0f);
  sprite.set(20, 10);
  fakeClock.now = 1000;
  sprite.draw();
  ASSERT_EQ(sprite.frameIndex, 1);
  EXPECT_TRUE(regionIs(target, 20, 10, 5, 5, BLACK));
  EXPECT_TRUE(regionIs(target, 25, 10, 5, 10, GREEN));
  EXPECT_TRUE(regionIs(target, 20, 15, 5, 5, GREEN));
  EXPECT_TRUE(regionIs(target, 0, 0, 20, 40, BLACK));
  EXPECT_TRUE(regionIs(target, 30, 0, 10, 40, BLACK));
}

struct ClipCase
{
  int x, y;                   // sprite position on the 40 x 40 target
  int left, top, w, h;        // the part of the target it covers
};

class SpriteClipTest : public SpriteTest, public testing::WithParamInterface<ClipCase>
{
};

TEST_P(SpriteClipTest, DrawsOnlyThePartInsideTheTarget)
{
  CSprite& sprite = spriteOf(loadSet("solid", "FILES: 1\nred.bmp 100 -1 0 0\n"), 2.0f);
  const ClipCase& clip = GetParam();
  sprite.set(clip.x, clip.y);
  sprite.draw();
  EXPECT_TRUE(regionIs(target, clip.left, clip.top, clip.w, clip.h, RED));
  int covered = 0;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 40; ++x) {
      covered += rgbAt(target, x, y) != BLACK;
    }
  }
  EXPECT_EQ(covered, clip.w * clip.h);
}

INSTANTIATE_TEST_SUITE_P(Edges, SpriteClipTest,
                         testing::Values(ClipCase{-4, 10, 0, 10, 6, 10}, ClipCase{36, 10, 36, 10, 4, 10},
                                         ClipCase{10, -7, 10, 0, 10, 3}, ClipCase{10, 38, 10, 38, 10, 2},
                                         ClipCase{-9, -9, 0, 0, 1, 1}, ClipCase{39, 39, 39, 39, 1, 1},
                                         ClipCase{-10, 0, 0, 0, 0, 0}, ClipCase{40, 40, 0, 0, 0, 0}));

TEST_F(SpriteTest, SizeIsFrameZerosWhateverFrameShows)
{
  CSprite& sprite = spriteOf(loadSet("sizes", "FILES: 2\nf0.bmp 10 -1 0 0\nbig.bmp 10 -1 0 0\n"), 2.0f);
  for (Uint32 t : {1000u, 2000u, 3000u}) {
    fakeClock.now = t;
    sprite.draw();
    EXPECT_EQ(sprite.getw(), 10) << "frame " << sprite.frameIndex;
    EXPECT_EQ(sprite.geth(), 10) << "frame " << sprite.frameIndex;
  }
}

TEST_F(SpriteTest, ClearBeforeTheFirstDrawDoesNothing)
{
  CSprite& sprite = spriteOf(threeFrames(), 2.0f);
  fill(sprite.background, WHITE);
  sprite.clearBG();
  EXPECT_TRUE(regionIs(target, 0, 0, 40, 40, BLACK));
}

TEST_F(SpriteTest, SavedBackgroundIsRestoredWhereItWasSaved)
{
  CSprite& sprite = spriteOf(loadSet("solid", "FILES: 1\nred.bmp 100 -1 0 0\n"), 2.0f);
  SDL_Surface* scene = makeSurface(40, 40, BLACK);
  for (int y = 0; y < 40; y += 2) {
    SDL_Rect stripe = {0, static_cast<Sint16>(y), 40, 1};
    SDL_FillRect(target, &stripe, SDL_MapRGB(target->format, 0, 0, 255));
    SDL_FillRect(scene, &stripe, SDL_MapRGB(scene->format, 0, 0, 255));
  }
  sprite.set(12, 7);
  sprite.updateBG();
  sprite.draw();
  sprite.set(30, 30);
  sprite.clearBG();
  EXPECT_EQ(sprite.savedX, 12);
  EXPECT_EQ(sprite.savedY, 7);
  EXPECT_TRUE(sameRegion(target, scene, 0, 0, 40, 40));
  SDL_FreeSurface(scene);
}

TEST_F(SpriteTest, SavedPatchRestoresPixelsOfTheKeyColourToo)
{
  CSprite& sprite = spriteOf(threeFrames(), 2.0f);
  fill(target, MAGENTA);
  sprite.set(5, 5);
  sprite.updateBG();
  sprite.draw();
  sprite.clearBG();
  EXPECT_TRUE(regionIs(target, 0, 0, 40, 40, MAGENTA));
}

TEST_F(SpriteTest, ObjectsMadeOnGarbageStartFromZero)
{
  alignas(CSprite) unsigned char spriteMemory[sizeof(CSprite)];
  alignas(CSpriteBase) unsigned char setMemory[sizeof(CSpriteBase)];
  memset(spriteMemory, 0xA5, sizeof spriteMemory);
  memset(setMemory, 0xA5, sizeof setMemory);
  CSpriteBase* unloaded = new (setMemory) CSpriteBase;
  CSprite* sprite = new (spriteMemory) CSprite;
  EXPECT_EQ(unloaded->built, 0);
  sprite->init(unloaded, target);
  sprite->draw();
  EXPECT_EQ(sprite->frameIndex, 0);
  EXPECT_EQ(sprite->x, 0);
  EXPECT_EQ(sprite->animating, 0);
  EXPECT_EQ(sprite->background, nullptr);
}

TEST_F(SpriteTest, SpriteOfAnUnloadedOrEmptySetDrawsNothingAndHasNoSize)
{
  CSpriteBase unloaded{};
  CSpriteBase& empty = loadSet("empty", "FILES: 0\n");
  CSpriteBase& unread = loadSet("unread", "FILES: 2\n");
  for (CSpriteBase* set : {&unloaded, &empty, &unread}) {
    CSprite& sprite = spriteOf(*set, 0.0f);
    for (Uint32 t : {10u, 20u, 30u}) {
      fakeClock.now = t;
      sprite.draw();
    }
    sprite.updateBG();
    sprite.clearBG();
    EXPECT_EQ(sprite.getw(), 0);
    EXPECT_EQ(sprite.geth(), 0);
    EXPECT_EQ(sprite.background, nullptr);
  }
  EXPECT_TRUE(regionIs(target, 0, 0, 40, 40, BLACK));
}

}
