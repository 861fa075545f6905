#include "CSpriteBase.h"
#include "test_support.h"

#include <string>

namespace {

class SpriteBaseTest : public testing::Test
{
protected:
  void SetUp() override
  {
    writeBMP(dir.path("a.bmp"), 10, 20, RED);
    writeBMP(dir.path("b.bmp"), 30, 40, BLUE);
    writeBMP(dir.path("c.bmp"), 5, 6, GREEN);
  }
  void TearDown() override { freeSet(set); }

  // Loads a fresh set from an info file with the given text.
  int load(const std::string& info)
  {
    dir.write("info", info);
    return set.init(dir.path().c_str());
  }

  Uint32 keyOf(int frame)
  {
    SDL_Surface* image = set.frames[frame].image;
    if (!(image->flags & SDL_SRCCOLORKEY)) {
      return 0xFFFFFFFF;
    }
    Uint8 r, g, b;
    SDL_GetRGB(image->format->colorkey, image->format, &r, &g, &b);
    return (r << 16) | (g << 8) | b;
  }

  TempDir dir;
  CSpriteBase set{};
};

const Uint32 NO_KEY = 0xFFFFFFFF;

TEST_F(SpriteBaseTest, CommentsBlankAndCrlfLinesAreSkipped)
{
  ASSERT_EQ(load("FILES: 2\r\n# a comment\n\n\r\na.bmp 100 255 0 255\r\n#\n\nb.bmp 50 -1 0 0\r\n\n# after\n"), 0);
  EXPECT_EQ(set.built, 1);
  EXPECT_EQ(set.frameCount, 2);
  EXPECT_EQ(set.frames[0].image->w, 10);
  EXPECT_EQ(set.frames[0].pause, 100);
  EXPECT_EQ(set.frames[1].image->w, 30);
  EXPECT_EQ(set.frames[1].pause, 50);
}

TEST_F(SpriteBaseTest, OnlyTheFirstCharacterMakesACommentSoAnIndentedHashIsAPictureName)
{
  writeBMP(dir.path("#"), 7, 8, WHITE);
  ASSERT_EQ(load("FILES: 1\n  # not a comment\n"), 0);
  ASSERT_NE(set.frames[0].image, nullptr);
  EXPECT_EQ(set.frames[0].image->w, 7);
}

TEST_F(SpriteBaseTest, FewerFrameLinesThanAnnouncedLeaveTheRestEmptyAndReadNoLineTwice)
{
  ASSERT_EQ(load("FILES: 3\na.bmp 100 0 0 0\n"), 0);
  EXPECT_EQ(set.frameCount, 3);
  EXPECT_NE(set.frames[0].image, nullptr);
  for (int i = 1; i < 3; ++i) {
    EXPECT_EQ(set.frames[i].image, nullptr) << "frame " << i;
    EXPECT_EQ(set.frames[i].pause, 0) << "frame " << i;
  }
}

TEST_F(SpriteBaseTest, LinesPastTheAnnouncedCountAreNotRead)
{
  ASSERT_EQ(load("FILES: 1\na.bmp 100 0 0 0\nmissing.bmp 100 0 0 0\n"), 0);
  EXPECT_EQ(set.frameCount, 1);
}

TEST_F(SpriteBaseTest, FirstLineIsAlwaysTheCountLine)
{
  ASSERT_EQ(load("a.bmp 100 0 0 0\na.bmp 100 0 0 0\n"), 0);
  EXPECT_EQ(set.built, 1);
  EXPECT_EQ(set.frameCount, 0);
  EXPECT_EQ(set.width, 0);
}

struct KeyCase
{
  const char* line;
  Uint32 key;
};

class SpriteBaseKeyTest : public SpriteBaseTest, public testing::WithParamInterface<KeyCase>
{
};

TEST_P(SpriteBaseKeyTest, ColourKeyOfAFrameLine)
{
  ASSERT_EQ(load(std::string("FILES: 1\n") + GetParam().line + "\n"), 0);
  EXPECT_EQ(keyOf(0), GetParam().key);
}

INSTANTIATE_TEST_SUITE_P(Lines, SpriteBaseKeyTest,
                         testing::Values(KeyCase{"a.bmp 100 -1 0 0", NO_KEY},
                                         KeyCase{"a.bmp 100 -200 255 255", NO_KEY},
                                         KeyCase{"a.bmp 100 255 0 255", MAGENTA},
                                         KeyCase{"a.bmp 100 0 0 0", BLACK},
                                         KeyCase{"a.bmp 100 511 256 -257", MAGENTA},
                                         KeyCase{"a.bmp", BLACK},
                                         KeyCase{"a.bmp 70", BLACK},
                                         KeyCase{"a.bmp 70 0 255 x", GREEN}));

TEST_F(SpriteBaseTest, MissingFieldsKeepThePreviousFrameLinesValues)
{
  ASSERT_EQ(load("FILES: 3\na.bmp\nb.bmp 80 255 0 255\nc.bmp 90\n"), 0);
  EXPECT_EQ(set.frames[0].pause, 0);
  EXPECT_EQ(keyOf(0), BLACK);
  EXPECT_EQ(set.frames[1].pause, 80);
  EXPECT_EQ(set.frames[2].pause, 90);
  EXPECT_EQ(keyOf(2), MAGENTA);
}

TEST_F(SpriteBaseTest, SizeComesFromTheFirstFrame)
{
  ASSERT_EQ(load("FILES: 2\nb.bmp 1 0 0 0\na.bmp 1 0 0 0\n"), 0);
  EXPECT_EQ(set.width, 30);
  EXPECT_EQ(set.height, 40);
}

TEST_F(SpriteBaseTest, MissingInfoFileIsReportedAndBuildsNothing)
{
  std::string missing = dir.path("nowhere");
  testing::internal::CaptureStdout();
  int result = set.init(missing.c_str());
  fflush(stdout);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "ERROR opening file " + missing + "/info\n\n");
  EXPECT_EQ(result, -1);
  EXPECT_EQ(set.built, 0);
}

TEST_F(SpriteBaseTest, InfoThatIsADirectoryIsReportedLikeAMissingOne)
{
  dir.makeDir("info");
  testing::internal::CaptureStdout();
  int result = set.init(dir.path().c_str());
  fflush(stdout);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "ERROR opening file " + dir.path("info") + "\n\n");
  EXPECT_EQ(result, -1);
  EXPECT_EQ(set.built, 0);
}

TEST_F(SpriteBaseTest, MissingPictureFailsButKeepsTheFramesBeforeIt)
{
  testing::internal::CaptureStdout();
  int result = load("FILES: 3\na.bmp 10 0 0 0\nmissing.bmp 10 0 0 0\nb.bmp 10 0 0 0\n");
  fflush(stdout);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(result, -1);
  EXPECT_EQ(set.built, 1);
  EXPECT_NE(set.frames[0].image, nullptr);
  EXPECT_EQ(set.frames[1].image, nullptr);
  EXPECT_EQ(set.frames[2].image, nullptr);
}

TEST_F(SpriteBaseTest, PictureThatIsNoBmpFails)
{
  dir.write("bad.bmp", "BM this is no picture");
  EXPECT_EQ(load("FILES: 1\nbad.bmp 10 0 0 0\n"), -1);
  EXPECT_EQ(set.frames[0].image, nullptr);
}

struct DamagedCase
{
  const char* name;
  std::string info;
  int built;
};

class SpriteBaseDamagedTest : public SpriteBaseTest, public testing::WithParamInterface<DamagedCase>
{
};

TEST_P(SpriteBaseDamagedTest, FailsWithoutOverrunOrCrash)
{
  EXPECT_EQ(load(GetParam().info), -1);
  EXPECT_EQ(set.built, GetParam().built);
  EXPECT_EQ(set.width, 0);
}

INSTANTIATE_TEST_SUITE_P(
  InfoFiles, SpriteBaseDamagedTest,
  testing::Values(DamagedCase{"NegativeCount", "FILES: -5\na.bmp 1 0 0 0\n", 0},
                  DamagedCase{"AbsurdCount", "FILES: 2147483647\na.bmp 1 0 0 0\n", 0},
                  DamagedCase{"LineWithoutName", "FILES: 1\n   \t \n", 1},
                  DamagedCase{"NameTooLongToJoin", "FILES: 1\n" + std::string(250, 'x') + " 1 0 0 0\n", 1},
                  DamagedCase{"LineLongerThanTheBuffer", "FILES: 1\n" + std::string(300, 'y') + ".bmp 1 0 0 0\n", 1}),
  [](const testing::TestParamInfo<DamagedCase>& info) { return info.param.name; });

TEST_F(SpriteBaseTest, ZeroByteInfoGivesAnEmptySet)
{
  EXPECT_EQ(load(""), 0);
  EXPECT_EQ(set.built, 1);
  EXPECT_EQ(set.frameCount, 0);
}

}
