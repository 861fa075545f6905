#include "lesson3.h"
#include "fake_clock.h"
#include "test_support.h"

#include <unistd.h>

#include <array>
#include <string>
#include <vector>

namespace {

const Uint32 BACKGROUND = 0x228822;
const Uint32 MATO = 0x0000CC;
const Uint32 KANA = 0xFFFF00;
const Uint32 MIINA = 0xCC0000;
const Uint32 BOARD = 0x884400;

// Test data of plain colours: pictures with a magenta (transparent) corner, a
// board framed in see-through green, and a font of blocks of varying width.
void writeGameData(const TempDir& dir)
{
  auto keyedCorner = [](Uint32 rgb) { return [rgb](int x, int y) { return x < 3 && y < 3 ? MAGENTA : rgb; }; };
  writeBMP(dir.path("data/bg.bmp"), 640, 480, BACKGROUND);
  writeBMP(dir.path("data/peliohi.bmp"), 310, 280,
           [](int x, int y) { return x < 10 || y < 10 || x >= 300 || y >= 270 ? GREEN : BOARD; });
  dir.makeDir("data/mato");
  dir.makeDir("data/kana");
  dir.makeDir("data/miina");
  writeBMP(dir.path("data/mato/1.bmp"), 50, 100, keyedCorner(MATO));
  writeBMP(dir.path("data/mato/2.bmp"), 50, 100, keyedCorner(MATO));
  dir.write("data/mato/info", "FILES: 2\n1.bmp 100 255 0 255\n2.bmp 100 255 0 255\n");
  writeBMP(dir.path("data/kana/1.bmp"), 50, 50, keyedCorner(KANA));
  dir.write("data/kana/info", "FILES: 1\n1.bmp 100 255 0 255\n");
  writeBMP(dir.path("data/miina/1.bmp"), 30, 30, keyedCorner(MIINA));
  writeBMP(dir.path("data/miina/2.bmp"), 30, 30, keyedCorner(MIINA));
  dir.write("data/miina/info", "FILES: 2\n1.bmp 50 255 0 255\n2.bmp 50 255 0 255\n");

  std::string raw(256 * 256, '\0');
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) {
      raw[y * 256 + x] = (y % 16 < 12 && x % 16 >= 3 && x % 16 < 13) ? '\xFF' : '\0';
    }
  }
  std::string widths(256, '\x06');
  for (int digit = 0; digit < 10; ++digit) {
    widths['0' + digit] = static_cast<char>(3 + digit);
  }
  dir.write("data/fontti/font.ini", "256\n");
  dir.write("data/fontti/font.raw", raw);
  dir.write("data/fontti/font.dat", widths);
}

// The game is loaded once, from data made here; each test starts a new game.
class GameTest : public testing::Test
{
protected:
  static void SetUpTestSuite()
  {
    if (screen != nullptr) {
      return;
    }
    TempDir dir;
    writeGameData(dir);
    char* home = getcwd(nullptr, 0);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    screen = SDL_GetVideoSurface();
    LoadGame();
    ASSERT_EQ(chdir(home), 0);
    free(home);
  }

  void SetUp() override
  {
    fakeClock.reset(10000);
    SDL_Event pending;
    while (SDL_PollEvent(&pending)) {
    }
    srand(1);
    AloitaUusipeli();
  }

  // Leaves only the given chickens in play.
  void onlyKanat(std::initializer_list<int> inPlay)
  {
    for (int j = 0; j < KANA_COUNT; ++j) {
      edraw[j] = 0;
    }
    for (int j : inPlay) {
      edraw[j] = 1;
    }
  }

  void putKana(int j, int x, int y, int suunta)
  {
    edraw[j] = 1;
    kana[j].set(x, y);
    einfo[j] = suunta;
  }

  void putMiina(int k, int x, int y)
  {
    mdraw[k] = 1;
    miina[k].set(x, y);
  }

  // The screen as it would look with only the background and one text drawn.
  SDL_Surface* backgroundWithText(int x, const std::string& text)
  {
    SDL_Surface* expected = makeSurface(640, 480, BACKGROUND);
    drawString(expected, font, x, 37, "%s", text.c_str());
    return expected;
  }
};

struct SteerCase
{
  int x, y;
  std::vector<SDLKey> keys;
  int expectedX, expectedY;
};

class SteerTest : public GameTest, public testing::WithParamInterface<SteerCase>
{
};

TEST_P(SteerTest, EachHeldArrowMovesOnePixelInsideTheField)
{
  const SteerCase& steer = GetParam();
  Keys keys{};
  for (SDLKey key : steer.keys) {
    keys[key] = 1;
  }
  mato.set(steer.x, steer.y);
  MoveMato(keys.data());
  EXPECT_EQ(mato.getx(), steer.expectedX);
  EXPECT_EQ(mato.gety(), steer.expectedY);
}

INSTANTIATE_TEST_SUITE_P(
  Keys, SteerTest,
  testing::Values(SteerCase{100, 100, {}, 100, 100}, SteerCase{100, 100, {SDLK_UP}, 100, 99},
                  SteerCase{100, 100, {SDLK_DOWN}, 100, 101}, SteerCase{100, 100, {SDLK_LEFT}, 99, 100},
                  SteerCase{100, 100, {SDLK_RIGHT}, 101, 100}, SteerCase{100, 100, {SDLK_UP, SDLK_RIGHT}, 101, 99},
                  SteerCase{0, 0, {SDLK_UP, SDLK_LEFT}, 0, 0}, SteerCase{590, 380, {SDLK_DOWN, SDLK_RIGHT}, 590, 380},
                  SteerCase{100, 100, {SDLK_LEFT, SDLK_RIGHT}, 100, 100},
                  SteerCase{0, 100, {SDLK_LEFT, SDLK_RIGHT}, 1, 100}, SteerCase{590, 100, {SDLK_LEFT, SDLK_RIGHT}, 590, 100},
                  SteerCase{100, 0, {SDLK_UP, SDLK_DOWN}, 100, 1}, SteerCase{100, 380, {SDLK_UP, SDLK_DOWN}, 100, 380},
                  SteerCase{0, 0, {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT}, 1, 1},
                  SteerCase{-20, 400, {}, -20, 400}, SteerCase{-20, 400, {SDLK_LEFT, SDLK_DOWN}, 0, 380}));

TEST_F(GameTest, WormNeverLeavesTheFieldWhenHeldAgainstAnEdge)
{
  for (SDLKey key : {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT}) {
    Keys keys = held({key});
    mato.set(300, 200);
    for (int pass = 0; pass < 700; ++pass) {
      MoveMato(keys.data());
      ASSERT_GE(mato.getx(), 0);
      ASSERT_LE(mato.getx(), 590);
      ASSERT_GE(mato.gety(), 0);
      ASSERT_LE(mato.gety(), 380);
    }
  }
}

TEST_F(GameTest, EscEndsTheGameAndASecondEscQuits)
{
  onlyKanat({});
  press(SDLK_ESCAPE);
  EXPECT_EQ(HandleEvents(), 0);
  EXPECT_EQ(gameover, 1);
  press(SDLK_ESCAPE);
  EXPECT_EQ(HandleEvents(), 1);
}

TEST_F(GameTest, TwoEscInOneBatchQuitAtOnce)
{
  press(SDLK_ESCAPE);
  press(SDLK_ESCAPE);
  EXPECT_EQ(HandleEvents(), 1);
}

TEST_F(GameTest, WindowCloseQuitsFromPlayAndFromGameOver)
{
  for (int over : {0, 1}) {
    gameover = over;
    quitRequest();
    EXPECT_EQ(HandleEvents(), 1) << "gameover " << over;
    EXPECT_EQ(gameover, over);
  }
}

TEST_F(GameTest, QuitStillDrainsTheEventsAfterIt)
{
  quitRequest();
  press(SDLK_SPACE);
  EXPECT_EQ(HandleEvents(), 1);
  EXPECT_EQ(miinat, 27);
}

TEST_F(GameTest, GameOverFreezesTheWormAndTheChickensButNotTheAnimation)
{
  onlyKanat({0});
  putKana(0, 300, 200, 1);
  mato.set(100, 100);
  gameover = 1;
  Keys right = held({SDLK_RIGHT});
  int frameBefore = mato.frameIndex;
  fakeClock.now += 1000;
  EXPECT_EQ(RunPass(right.data()), 0);
  EXPECT_EQ(mato.getx(), 100);
  EXPECT_EQ(kana[0].getx(), 300);
  EXPECT_NE(mato.frameIndex, frameBefore);
}

TEST_F(GameTest, EnterDuringPlayAndSpaceInGameOverDoNothing)
{
  onlyKanat({0});
  putKana(0, 300, 200, 7);
  press(SDLK_RETURN);
  HandleEvents();
  EXPECT_EQ(edraw[1], 0) << "no new game was started";
  EXPECT_EQ(einfo[0], 7);

  gameover = 1;
  press(SDLK_SPACE);
  HandleEvents();
  EXPECT_EQ(miinat, 28);
  EXPECT_EQ(mdraw[0], 0);
}

TEST_F(GameTest, EscThenEnterInOneBatchStartsANewGameAndNeverShowsTheSign)
{
  onlyKanat({});
  score = 250;
  press(SDLK_ESCAPE);
  press(SDLK_RETURN);
  Keys none{};
  EXPECT_EQ(RunPass(none.data()), 0);
  EXPECT_EQ(gameover, 0);
  EXPECT_EQ(score, 0);
  EXPECT_TRUE(regionIs(screen, 165 + 20, 100 + 20, 10, 10, BACKGROUND));
}

TEST_F(GameTest, NewGameResetsEverything)
{
  for (int round = 0; round < 20; ++round) {
    for (int j = 0; j < KANA_COUNT; ++j) {
      putKana(j, 0, 0, 10);
      edraw[j] = j % 2;
    }
    for (int k = 0; k < MIINA_SLOTS; ++k) {
      mdraw[k] = 1;
    }
    mato.set(7, 7);
    miinat = 3;
    score = 875;
    gameover = 1;
    srand(round);
    AloitaUusipeli();
    for (int j = 0; j < KANA_COUNT; ++j) {
      EXPECT_EQ(edraw[j], 1);
      EXPECT_GE(einfo[j], 1);
      EXPECT_LE(einfo[j], 4);
      EXPECT_GE(kana[j].getx(), 250);
      EXPECT_LE(kana[j].getx(), 599);
      EXPECT_GE(kana[j].gety(), 90);
      EXPECT_LE(kana[j].gety(), 109);
      EXPECT_EQ(kana[j].speed, 2.0f);
    }
    for (int k = 0; k < MIINA_SLOTS; ++k) {
      EXPECT_EQ(mdraw[k], 0);
    }
    EXPECT_EQ(mato.getx(), 50);
    EXPECT_EQ(mato.gety(), 320);
    EXPECT_EQ(miinat, 28);
    EXPECT_EQ(score, 0);
    EXPECT_EQ(gameover, 0);
  }
}

TEST_F(GameTest, NewChickenDrawsItsPlaceThenItsDirection)
{
  for (unsigned seed : {3u, 99u, 12345u}) {
    srand(seed);
    int x = rand() % 350 + 250;
    int y = rand() % 20 + 90;
    int suunta = rand() % 4 + 1;
    srand(seed);
    addEnemy(7);
    EXPECT_EQ(kana[7].getx(), x);
    EXPECT_EQ(kana[7].gety(), y);
    EXPECT_EQ(einfo[7], suunta);
  }
}

struct SuuntaCase
{
  int suunta;
  int dx, dy;
  float speed;
};

class SuuntaTest : public GameTest, public testing::WithParamInterface<SuuntaCase>
{
};

TEST_P(SuuntaTest, DirectionCodeMovesTheChickenAndSetsItsPace)
{
  const SuuntaCase& suunta = GetParam();
  onlyKanat({});
  putKana(0, 300, 200, suunta.suunta);
  kana[0].setSpeed(5.0f);
  MoveKanat();
  EXPECT_EQ(kana[0].getx(), 300 + suunta.dx);
  EXPECT_EQ(kana[0].gety(), 200 + suunta.dy);
  EXPECT_EQ(kana[0].speed, suunta.speed);
  EXPECT_EQ(einfo[0], suunta.suunta);
}

INSTANTIATE_TEST_SUITE_P(Codes, SuuntaTest,
                         testing::Values(SuuntaCase{1, 1, 1, 2.0f}, SuuntaCase{2, -1, 1, 2.0f},
                                         SuuntaCase{3, -1, -1, 2.0f}, SuuntaCase{4, 1, -1, 2.0f},
                                         SuuntaCase{5, -2, -1, 1.0f}, SuuntaCase{6, 0, 1, 2.0f},
                                         SuuntaCase{7, 1, 0, 2.0f}, SuuntaCase{8, 0, -1, 2.0f},
                                         SuuntaCase{9, -1, 0, 2.0f}, SuuntaCase{10, -1, -2, 1.0f},
                                         SuuntaCase{0, 0, 0, 5.0f}, SuuntaCase{11, 0, 0, 5.0f},
                                         SuuntaCase{-1, 0, 0, 5.0f}));

struct EdgeCase
{
  int x, y, suunta;
  int expectedX, expectedY;
  int draws;  // new direction codes drawn; the last one counts
};

class EdgeTest : public GameTest, public testing::WithParamInterface<EdgeCase>
{
};

TEST_P(EdgeTest, ChickenIsHeldAtTheEdgeAndTurnsThere)
{
  const EdgeCase& edge = GetParam();
  onlyKanat({});
  putKana(0, edge.x, edge.y, edge.suunta);
  const unsigned seed = 77;
  srand(seed);
  std::vector<int> sequence = {rand(), rand(), rand()};
  srand(seed);
  MoveKanat();
  EXPECT_EQ(kana[0].getx(), edge.expectedX);
  EXPECT_EQ(kana[0].gety(), edge.expectedY);
  EXPECT_EQ(einfo[0], edge.draws == 0 ? edge.suunta : sequence[edge.draws - 1] % 10 + 1);
  EXPECT_EQ(rand(), sequence[edge.draws]) << "draws made";
}

INSTANTIATE_TEST_SUITE_P(Edges, EdgeTest,
                         testing::Values(EdgeCase{300, 200, 1, 301, 201, 0}, EdgeCase{0, 200, 9, 0, 200, 1},
                                         EdgeCase{590, 200, 7, 590, 200, 1}, EdgeCase{300, 0, 8, 300, 0, 1},
                                         EdgeCase{300, 380, 6, 300, 380, 1}, EdgeCase{0, 0, 3, 0, 0, 2},
                                         EdgeCase{590, 380, 1, 590, 380, 2}, EdgeCase{0, 1, 10, 0, 0, 2},
                                         EdgeCase{599, 100, 2, 590, 101, 1}));

struct CollideCase
{
  int ax, ay, bx, by;
  bool touch;
};

class CollideTest : public GameTest, public testing::WithParamInterface<CollideCase>
{
};

// Two chickens, 50 x 50: each box spans from 5 to 25 pixels into its picture.
TEST_P(CollideTest, UpperLeftBoxesTouchEdgeToEdge)
{
  const CollideCase& boxes = GetParam();
  kana[0].set(boxes.ax, boxes.ay);
  kana[1].set(boxes.bx, boxes.by);
  EXPECT_EQ(Sprite_Collide(kana[0], kana[1]), boxes.touch);
  EXPECT_EQ(Sprite_Collide(kana[1], kana[0]), boxes.touch);
}

INSTANTIATE_TEST_SUITE_P(Boxes, CollideTest,
                         testing::Values(CollideCase{100, 100, 100, 100, true}, CollideCase{100, 100, 120, 100, true},
                                         CollideCase{100, 100, 121, 100, false}, CollideCase{100, 100, 100, 120, true},
                                         CollideCase{100, 100, 100, 121, false}, CollideCase{100, 100, 80, 80, true},
                                         CollideCase{100, 100, 79, 100, false}, CollideCase{100, 100, 120, 121, false},
                                         CollideCase{100, 100, 130, 100, false}));

TEST_F(GameTest, CollisionBoxesScaleWithEachPicture)
{
  // Worm 50 x 100: box x + 5..25, y + 10..50. Mine 30 x 30: box x + 3..15.
  mato.set(100, 100);
  const struct
  {
    int x, y;
    bool touch;
  } mines[] = {{90, 100, true}, {89, 100, false}, {122, 100, true}, {123, 100, false},
               {100, 95, true}, {100, 94, false}, {100, 147, true}, {100, 148, false}};
  for (const auto& mine : mines) {
    miina[0].set(mine.x, mine.y);
    EXPECT_EQ(Sprite_Collide(mato, miina[0]), mine.touch) << "mine at " << mine.x << ", " << mine.y;
  }
}

TEST_F(GameTest, MiinaLiesAtTheWormInTheLowestFreeSlot)
{
  mato.set(200, 150);
  addMiina();
  EXPECT_EQ(mdraw[0], 1);
  EXPECT_EQ(miina[0].getx(), 235);
  EXPECT_EQ(miina[0].gety(), 180);
  EXPECT_EQ(miina[0].speed, 0.0f);
  EXPECT_EQ(miinat, 27);

  mdraw[0] = 0;
  mdraw[1] = 1;
  mato.set(590, 380);
  addMiina();
  EXPECT_EQ(mdraw[0], 1);
  EXPECT_EQ(miina[0].getx(), 625) << "not clamped";
  EXPECT_EQ(miina[0].gety(), 410) << "not clamped";
}

TEST_F(GameTest, AtMostThreeMiinatLieAtOnce)
{
  for (int press = 0; press < 4; ++press) {
    addMiina();
  }
  EXPECT_EQ(mdraw[0] + mdraw[1] + mdraw[2] + mdraw[3], 3);
  EXPECT_EQ(miinat, 25);
}

TEST_F(GameTest, TwentyEightMiinatAGame)
{
  for (int laid = 0; laid < 28; ++laid) {
    addMiina();
    mdraw[0] = mdraw[1] = mdraw[2] = 0;
  }
  EXPECT_EQ(miinat, 0);
  addMiina();
  EXPECT_EQ(mdraw[0], 0);
  EXPECT_EQ(miinat, 0);
}

TEST_F(GameTest, HeldSpaceLaysOneMiinaAtTheWormsPlaceBeforeSteering)
{
  onlyKanat({});
  mato.set(100, 100);
  press(SDLK_SPACE);
  Keys keys = held({SDLK_SPACE, SDLK_RIGHT});
  for (int pass = 0; pass < 5; ++pass) {
    RunPass(keys.data());
  }
  EXPECT_EQ(miinat, 27);
  EXPECT_EQ(miina[0].getx(), 135);
  EXPECT_EQ(mato.getx(), 105);
}

TEST_F(GameTest, MiinaNeverHarmsTheWorm)
{
  onlyKanat({});
  mato.set(100, 100);
  addMiina();
  putMiina(1, 100, 100);
  MoveKanat();
  EXPECT_EQ(gameover, 0);
  EXPECT_EQ(mdraw[0] + mdraw[1], 2);
}

TEST_F(GameTest, EveryMiinaAChickenRunsIntoGoesOffAndScores)
{
  onlyKanat({});
  putKana(0, 300, 200, 7);
  putMiina(0, 310, 210);
  putMiina(5, 292, 192);
  putMiina(9, 500, 300);
  MoveKanat();
  EXPECT_EQ(edraw[0], 0);
  EXPECT_EQ(mdraw[0], 0);
  EXPECT_EQ(mdraw[5], 0);
  EXPECT_EQ(mdraw[9], 1);
  EXPECT_EQ(score, 250);
}

TEST_F(GameTest, ChickenTakenByAMiinaStillEndsTheGameWhenItTouchesTheWorm)
{
  onlyKanat({3});
  putKana(3, 100, 100, 7);
  mato.set(100, 90);
  putMiina(0, 105, 105);
  MoveKanat();
  EXPECT_EQ(edraw[3], 0);
  EXPECT_EQ(score, 125);
  EXPECT_EQ(gameover, 1);
}

TEST_F(GameTest, ChickensAfterTheOneThatTouchedTheWormStandStill)
{
  onlyKanat({2, 4, 6});
  putKana(2, 400, 300, 7);
  putKana(4, 100, 100, 7);
  putKana(6, 400, 200, 7);
  mato.set(100, 90);
  MoveKanat();
  EXPECT_EQ(gameover, 1);
  EXPECT_EQ(kana[2].getx(), 401);
  EXPECT_EQ(kana[4].getx(), 101);
  EXPECT_EQ(kana[6].getx(), 400);
}

TEST_F(GameTest, GameWithoutChickensGoesOn)
{
  onlyKanat({});
  Keys right = held({SDLK_RIGHT});
  mato.set(100, 100);
  for (int pass = 0; pass < 100; ++pass) {
    EXPECT_EQ(RunPass(right.data()), 0);
  }
  EXPECT_EQ(gameover, 0);
  EXPECT_EQ(mato.getx(), 200);
}

// Each 125 points uses up the mine that was hit, so a game scores 3500 at most.
TEST_F(GameTest, PointsAlwaysMatchTheMiinatUsedUp)
{
  for (unsigned seed = 1; seed <= 30; ++seed) {
    srand(seed);
    AloitaUusipeli();
    std::vector<Keys> moves = {held({SDLK_RIGHT}), held({SDLK_LEFT, SDLK_UP}), held({SDLK_DOWN}), held({SDLK_UP})};
    for (int pass = 0; pass < 3000 && gameover == 0; ++pass) {
      if (rand() % 20 == 0) {
        addMiina();
      }
      MoveMato(moves[(pass / 90) % moves.size()].data());
      MoveKanat();
      int lying = 0;
      for (int k = 0; k < MIINA_SLOTS; ++k) {
        lying += mdraw[k];
      }
      ASSERT_EQ(score, 125 * (28 - miinat - lying)) << "seed " << seed << " pass " << pass;
      ASSERT_LE(score, 3500);
    }
  }
}

TEST_F(GameTest, SceneIsLayeredBackgroundMinesChickensWorm)
{
  onlyKanat({0});
  putMiina(0, 100, 100);
  putKana(0, 110, 110, 7);
  mato.set(120, 120);
  DrawScene();
  EXPECT_TRUE(regionIs(screen, 0, 400, 640, 80, BACKGROUND));
  EXPECT_TRUE(regionIs(screen, 103, 103, 7, 7, MIINA));
  EXPECT_TRUE(regionIs(screen, 113, 113, 7, 7, KANA));
  EXPECT_TRUE(regionIs(screen, 123, 123, 7, 7, MATO));
  EXPECT_TRUE(regionIs(screen, 120, 120, 3, 3, KANA)) << "the worm's transparent corner";
  EXPECT_TRUE(regionIs(screen, 200, 100, 275, 280, BACKGROUND)) << "no sign while the game runs";
}

TEST_F(GameTest, SignStandsAtItsPlaceOnlyWhenTheGameIsOver)
{
  onlyKanat({});
  mato.set(0, 0);
  gameover = 1;
  DrawScene();
  EXPECT_TRUE(regionIs(screen, 165 + 10, 100 + 10, 290, 260, BOARD));
  EXPECT_TRUE(regionIs(screen, 165, 100, 310, 10, BACKGROUND)) << "green is see-through";
  EXPECT_TRUE(regionIs(screen, 165, 370, 310, 10, BACKGROUND)) << "green is see-through";
}

TEST_F(GameTest, ScoreLineReadsZeroAndTwentyEightAtTheStart)
{
  onlyKanat({});
  DrawScene();
  for (const auto& item : {std::pair<int, std::string>{5, "Pisteet:"}, {60, "0"}, {570, "Miinat:"}, {610, "28"}}) {
    SDL_Surface* expected = backgroundWithText(item.first, item.second);
    int width = stringWidth(font, "%s", item.second.c_str());
    EXPECT_TRUE(sameRegion(screen, expected, item.first, 37, width, 16)) << item.second;
    SDL_FreeSurface(expected);
  }
}

TEST_F(GameTest, NumbersChangeInTheFrameOfTheirEvent)
{
  onlyKanat({0});
  putKana(0, 300, 200, 7);
  putMiina(4, 310, 210);
  mato.set(100, 200);
  press(SDLK_SPACE);
  Keys none{};
  RunPass(none.data());
  SDL_Surface* points = backgroundWithText(60, "125");
  SDL_Surface* mines = backgroundWithText(610, "27");
  EXPECT_TRUE(sameRegion(screen, points, 60, 37, stringWidth(font, "125"), 16));
  EXPECT_TRUE(sameRegion(screen, mines, 610, 37, stringWidth(font, "27"), 16));
  SDL_FreeSurface(points);
  SDL_FreeSurface(mines);
}

TEST(PaceFrame, HoldsEachPassToASixtiethOfASecond)
{
  const struct
  {
    Uint32 start, now, waited;
  } passes[] = {{1000, 1000, 17}, {1000, 1005, 12}, {1000, 1016, 1}, {1000, 1017, 0},
                {1000, 1040, 0},  {0xFFFFFFF0u, 0xFFFFFFF5u, 12}, {0xFFFFFFF0u, 3, 0}};
  for (const auto& pass : passes) {
    fakeClock.reset(pass.now);
    PaceFrame(pass.start);
    EXPECT_EQ(fakeClock.delayedMs, pass.waited) << "pass from " << pass.start << " at " << pass.now;
  }
}

}
