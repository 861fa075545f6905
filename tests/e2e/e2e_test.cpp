#include "game_harness.h"
#include "test_support.h"

#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <regex>
#include <sstream>
#include <thread>

namespace {

const unsigned CASE_DEADLINE_SECONDS = 60;
const auto FRAME = 17ms;
const auto EXIT_LIMIT = 5s;
const auto SHOW_LIMIT = 2s;
const int MINE_WIDTH = 30;

// A case that hangs is ended here; its X server and game die with it.
void caseRanOutOfTime(int)
{
  const char message[] = "\nthe case ran past its deadline\n";
  if (write(STDERR_FILENO, message, sizeof message - 1) < 0) {
    _exit(2);
  }
  _exit(1);
}

class EndToEnd : public testing::Test
{
protected:
  void SetUp() override
  {
    signal(SIGALRM, caseRanOutOfTime);
    alarm(CASE_DEADLINE_SECONDS);
  }
  void TearDown() override { alarm(0); }
};

// The process ends by itself within the limit, with the status and no signal.
testing::AssertionResult exitsWith(ChildProcess& process, int status, const char* after)
{
  std::optional<ExitInfo> ended = process.waitExit(EXIT_LIMIT);
  if (!ended) {
    return testing::AssertionFailure() << "the game still runs " << after;
  }
  if (ended->signal != 0 || ended->status != status) {
    return testing::AssertionFailure() << "the game ended " << after << " with status " << ended->status
                                       << " and signal " << ended->signal << ", not status " << status;
  }
  return testing::AssertionSuccess();
}

// Parameterised cases are named, in test names and in messages, by their `name`.
template <typename Case, typename = decltype(Case::name)>
std::ostream& operator<<(std::ostream& out, const Case& parameter)
{
  return out << parameter.name;
}

template <typename Case>
std::string caseName(const testing::TestParamInfo<Case>& info)
{
  return info.param.name;
}

ScreenCheck showsScene(Scene scene)
{
  return [scene = std::move(scene)](const Shot& shot) { return shows(shot.image, scene); };
}

// The game-over sign is drawn last, so all of it is on screen.
ScreenCheck showsSign(const GameData& data)
{
  return [&data](const Shot& shot) -> testing::AssertionResult {
    if (findPicture(shot.image, data.sign, Rect{SIGN_AT.x, SIGN_AT.y, 1, 1})) {
      return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << "the game-over sign is not at " << SIGN_AT;
  };
}

// The worm within reach of a place, standing where it is wanted.
ScreenCheck showsMato(const GameData& data, Point near, int reach, std::function<bool(Point)> wanted,
                      const std::string& where)
{
  return [&data, near, reach, wanted, where](const Shot& shot) -> testing::AssertionResult {
    std::optional<Found> mato = findMato(shot.image, data, near, reach);
    if (mato && wanted(mato->at)) {
      return testing::AssertionSuccess();
    }
    testing::AssertionResult failure = testing::AssertionFailure();
    if (mato) {
      failure << "the worm is at " << mato->at << ", not " << where;
    } else {
      failure << "no worm within " << reach << " pixels of " << near;
    }
    return failure;
  };
}

ScreenCheck showsMatoAt(const GameData& data, Point at, Point near, int reach)
{
  std::ostringstream where;
  where << "at " << at;
  return showsMato(data, near, reach, [at](Point found) { return found == at; }, where.str());
}

// Watches the worm while its animation steps on twice, that is while the
// game draws frame after frame: it must not leave its place.
testing::AssertionResult staysForTwoAnimationSteps(const RunningGame& game, const GameData& data, const Found& start)
{
  std::optional<Point> strayed;
  size_t picture = start.picture;
  int steps = 0;
  ScreenCheck twoStepsOrGone = [&](const Shot& shot) -> testing::AssertionResult {
    std::optional<Found> mato = findMato(shot.image, data, start.at, 20);
    if (!mato || !(mato->at == start.at)) {
      strayed = mato ? mato->at : Point{-1, -1};
      return testing::AssertionSuccess();
    }
    if (mato->picture != picture) {
      picture = mato->picture;
      ++steps;
    }
    if (steps >= 2) {
      return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << "the worm's animation stepped only " << steps << " times";
  };
  testing::AssertionResult watched = waitForScreen(game.x, twoStepsOrGone, 3s);
  if (strayed) {
    return testing::AssertionFailure() << "the worm went from " << start.at << " to " << *strayed;
  }
  return watched;
}

// A copy of the data in which every chicken picture is all key colour: the
// chickens walk and collide as ever but hide nothing.
void hideChickens(const std::string& dataDir, const GameData& original)
{
  for (const Picture& picture : original.kana) {
    size_t seeThrough = 0;
    while (seeThrough < picture.opaque.size() && picture.opaque[seeThrough]) {
      ++seeThrough;
    }
    ASSERT_LT(seeThrough, picture.opaque.size()) << picture.name << " has no key colour";
    std::string file = std::filesystem::path(picture.name).filename().string();
    writeBMP(dataDir + "/kana/" + file, picture.image.width, picture.image.height,
             picture.image.pixels[seeThrough]);
  }
}

TEST_F(EndToEnd, FirstFramesShowTheBackgroundTheWormAtItsStartAndTheScoreLine)
{
  GameData data(projectRoot() + "/data");
  RunningGame game(projectRoot());
  Shot first;
  Clock::time_point notBefore;
  ASSERT_TRUE(game.waitForFirstFrame(data, first, notBefore));

  int passes = passesWithin(first.after - notBefore);
  ASSERT_FALSE(chickenZone(passes, data).overlaps(data.scoreLineArea()))
    << "the first frame was seen only after up to " << passes << " passes, when chickens may hide the score line";
  EXPECT_TRUE(shows(first.image, newGameScene(data, passes)));
}

TEST_F(EndToEnd, RightHeldMovesTheWormOnePixelAFrame)
{
  GameData data(projectRoot() + "/data");
  RunningGame game(projectRoot());
  Shot first;
  Clock::time_point notBefore;
  ASSERT_TRUE(game.waitForFirstFrame(data, first, notBefore));
  ASSERT_TRUE(showsMatoAt(data, MATO_START, MATO_START, 0)(first));

  Clock::time_point pressed = Clock::now();
  game.x.keyDown({"Right"});
  std::this_thread::sleep_for(500ms);
  game.x.keyUp({"Right"});
  Clock::duration held = Clock::now() - pressed;

  int most = passesWithin(held);
  std::optional<Found> stopped = game.waitForMatoToStop(data, Point{MATO_START.x + most, MATO_START.y}, most + 5);
  ASSERT_TRUE(stopped) << "the worm was not found standing still up to " << 2 * most << " pixels right of its start";
  int moved = stopped->at.x - MATO_START.x;
  int frames = static_cast<int>(held / FRAME);
  EXPECT_EQ(stopped->at.y, MATO_START.y);
  EXPECT_GE(moved, frames / 2) << "held for " << frames << " frames";
  EXPECT_LE(moved, most) << "held for " << frames << " frames";
}

TEST_F(EndToEnd, TheWormStaysInsideTheLeftAndBottomEdges)
{
  GameData data(projectRoot() + "/data");
  RunningGame game(projectRoot());
  Shot first;
  Clock::time_point notBefore;
  ASSERT_TRUE(game.waitForFirstFrame(data, first, notBefore));

  const Point corner{0, MATO_MAX_Y};
  game.x.keyDown({"Left", "Down"});
  Shot atCorner;
  ASSERT_TRUE(waitForScreen(game.x, showsMatoAt(data, corner, Point{25, 350}, 50), 4s, &atCorner));
  std::optional<Found> start = findMato(atCorner.image, data, corner, 0);
  ASSERT_TRUE(start);

  EXPECT_TRUE(staysForTwoAnimationSteps(game, data, *start)) << "pushed on against the edges";
  game.x.keyUp({"Left", "Down"});
}

TEST_F(EndToEnd, SpaceLaysUpToThreeMinesBesideTheWormAndCountsThemDown)
{
  GameData committed(projectRoot() + "/data");
  TempDir root;
  copyData(root.path());
  ASSERT_NO_FATAL_FAILURE(hideChickens(root.path("data"), committed));
  GameData data(root.path("data"));
  RunningGame game(root.path());
  Shot first;
  Clock::time_point notBefore;
  ASSERT_TRUE(game.waitForFirstFrame(data, first, notBefore));

  auto scene = [&](int minesLeft, const std::vector<Point>& mines, Point mato) {
    Scene expected{data.scoreLine(0, minesLeft), {}, {}, {{&data.mato, mato}}};
    for (Point mine : mines) {
      expected.below.push_back(Placement{&data.miina, mine});
    }
    return expected;
  };

  const Point firstMine = MATO_START + MIINA_OFFSET;
  game.x.key("space");
  ASSERT_TRUE(waitForScreen(game.x, showsScene(scene(27, {firstMine}, MATO_START)), SHOW_LIMIT));

  const Point corner{0, MATO_MAX_Y};
  game.x.keyDown({"Left", "Down"});
  ASSERT_TRUE(waitForScreen(game.x, showsMatoAt(data, corner, Point{25, 350}, 50), 4s));
  game.x.keyUp({"Left", "Down"});
  const Point cornerMine = corner + MIINA_OFFSET;
  game.x.key("space");
  ASSERT_TRUE(waitForScreen(game.x, showsScene(scene(26, {firstMine, cornerMine}, corner)), SHOW_LIMIT));
  game.x.key("space");
  ASSERT_TRUE(
    waitForScreen(game.x, showsScene(scene(25, {firstMine, cornerMine, cornerMine}, corner)), SHOW_LIMIT));

  // The fourth mine is asked for a mine's width above the others, where it would show.
  ScreenCheck wentUp = showsMato(
    data, Point{0, 330}, 50, [&](Point at) { return at.y <= corner.y - MINE_WIDTH; }, "a mine's width up");
  game.x.keyDown({"Up"});
  ASSERT_TRUE(waitForScreen(game.x, wentUp, 3s));
  game.x.keyUp({"Up"});
  game.x.key("space");
  // Right is pressed after space, so once the worm has stepped right the game has taken the space press.
  ScreenCheck steppedRight = showsMato(data, Point{20, 330}, 50, [](Point at) { return at.x > 0; }, "off the edge");
  game.x.keyDown({"Right"});
  ASSERT_TRUE(waitForScreen(game.x, steppedRight, SHOW_LIMIT));
  game.x.keyUp({"Right"});
  std::optional<Found> stopped = game.waitForMatoToStop(data, Point{20, 330}, 50);
  ASSERT_TRUE(stopped);
  EXPECT_TRUE(waitForScreen(game.x, showsScene(scene(25, {firstMine, cornerMine, cornerMine}, stopped->at)), 1s));
}

TEST_F(EndToEnd, EscShowsTheSignAndStopsTheWormEnterStartsANewGameEscEscQuits)
{
  GameData data(projectRoot() + "/data");
  RunningGame game(projectRoot());
  Shot first;
  Clock::time_point notBefore;
  ASSERT_TRUE(game.waitForFirstFrame(data, first, notBefore));

  // A mine and a worm off its start, for the new game to clear away.
  const Point mine = MATO_START + MIINA_OFFSET;
  ScreenCheck mineLaid = [&](const Shot& shot) {
    return shows(shot.image, Scene{data.scoreLine(0, 27),
                                   {{&data.miina, mine}},
                                   {chickenZone(passesWithin(shot.after - notBefore), data)},
                                   {{&data.mato, MATO_START}}});
  };
  game.x.key("space");
  ASSERT_TRUE(waitForScreen(game.x, mineLaid, SHOW_LIMIT));
  ScreenCheck wentRight = showsMato(
    data, Point{MATO_START.x + 30, MATO_START.y}, 30, [](Point at) { return at.x >= MATO_START.x + 20; },
    "20 pixels right of its start");
  game.x.keyDown({"Right"});
  ASSERT_TRUE(waitForScreen(game.x, wentRight, SHOW_LIMIT));
  game.x.keyUp({"Right"});

  game.x.key("Escape");
  // Once the game is over the chickens stand where they were when it took Esc.
  int passes = passesWithin(Clock::now() - notBefore);
  Found mato{};
  ScreenCheck gameOverShown = [&](const Shot& shot) -> testing::AssertionResult {
    std::optional<Found> found = findMato(shot.image, data, Point{MATO_START.x + 40, MATO_START.y}, 40);
    if (!found) {
      return testing::AssertionFailure() << "no worm";
    }
    mato = *found;
    return shows(shot.image, Scene{data.scoreLine(0, 27),
                                   {{&data.miina, mine}},
                                   {chickenZone(passes, data)},
                                   {{&data.mato, mato.at}, {&data.sign, SIGN_AT}}});
  };
  Shot over;
  ASSERT_TRUE(waitForScreen(game.x, gameOverShown, SHOW_LIMIT, &over));
  std::optional<Point> green = findColour(over.image, PURE_GREEN);
  EXPECT_FALSE(green) << "pure green at " << *green;

  game.x.keyDown({"Right", "Up"});
  EXPECT_TRUE(staysForTwoAnimationSteps(game, data, mato)) << "with Right and Up held after Esc";
  game.x.keyUp({"Right", "Up"});

  Clock::time_point newGame = Clock::now();
  std::string lastDifference = "no screenshot in time";
  ScreenCheck newGameShown = [&](const Shot& shot) -> testing::AssertionResult {
    int sinceNewGame = passesWithin(shot.after - newGame);
    if (chickenZone(sinceNewGame, data).overlaps(data.scoreLineArea())) {
      return testing::AssertionFailure() << "after up to " << sinceNewGame
                                         << " passes chickens may hide the score line; before: " << lastDifference;
    }
    testing::AssertionResult result = shows(shot.image, newGameScene(data, sinceNewGame));
    lastDifference = result.message();
    return result;
  };
  game.x.key("Return");
  EXPECT_TRUE(waitForScreen(game.x, newGameShown, SHOW_LIMIT));

  game.x.key("Escape");
  ASSERT_TRUE(waitForScreen(game.x, showsSign(data), SHOW_LIMIT));
  game.x.key("Escape");
  ASSERT_TRUE(exitsWith(game.process, 0, "after Esc, Esc"));
  EXPECT_EQ(game.process.output(), "");
}

struct QuitMoment
{
  const char* name;
  bool gameOver;
};

class QuitRequest : public EndToEnd, public testing::WithParamInterface<QuitMoment>
{
};

TEST_P(QuitRequest, EndsTheProgramWithStatus0)
{
  GameData data(projectRoot() + "/data");
  RunningGame game(projectRoot());
  Shot first;
  Clock::time_point notBefore;
  ASSERT_TRUE(game.waitForFirstFrame(data, first, notBefore));
  if (GetParam().gameOver) {
    game.x.key("Escape");
    ASSERT_TRUE(waitForScreen(game.x, showsSign(data), SHOW_LIMIT));
  }

  game.process.signal(SIGTERM);
  EXPECT_TRUE(exitsWith(game.process, 0, "after SIGTERM"));
}

INSTANTIATE_TEST_SUITE_P(, QuitRequest, testing::Values(QuitMoment{"DuringPlay", false}, QuitMoment{"AtGameOver", true}),
                         caseName<QuitMoment>);

// A display number no X server here uses.
std::string unusedDisplay()
{
  for (int number = 9999;; ++number) {
    std::string text = std::to_string(number);
    if (!std::filesystem::exists("/tmp/.X11-unix/X" + text) && !std::filesystem::exists("/tmp/.X" + text + "-lock")) {
      return ":" + text;
    }
  }
}

enum class Display
{
  UNSET,
  EMPTY,
  UNUSED
};

struct Unreachable
{
  const char* name;
  Display display;
};

class NoDisplay : public EndToEnd, public testing::WithParamInterface<Unreachable>
{
};

TEST_P(NoDisplay, StartUpFailsWithAMessageAndStatus1)
{
  std::optional<std::string> display;
  if (GetParam().display == Display::EMPTY) {
    display = "";
  } else if (GetParam().display == Display::UNUSED) {
    display = unusedDisplay();
  }
  ChildProcess game({KANAMIINA}, {{"DISPLAY", display}, {"SDL_VIDEODRIVER", "x11"}, {"SDL_AUDIODRIVER", "dummy"}},
                    projectRoot());
  ASSERT_TRUE(exitsWith(game, 1, "without a display"));
  EXPECT_TRUE(
    std::regex_match(game.output(), std::regex("(Unable to init SDL: |Unable to set 640x480 video: )[^\n]*\n")))
    << game.output();
}

INSTANTIATE_TEST_SUITE_P(, NoDisplay,
                         testing::Values(Unreachable{"Unset", Display::UNSET}, Unreachable{"Empty", Display::EMPTY},
                                         Unreachable{"UnusedNumber", Display::UNUSED}),
                         caseName<Unreachable>);

struct MissingItem
{
  const char* name;
  std::string item;  // under data/; empty for no data directory at all
  std::string messages;
};

class MissingData : public EndToEnd, public testing::WithParamInterface<MissingItem>
{
};

TEST_P(MissingData, IsReportedAndEscEscStillQuitsWithStatus0)
{
  const MissingItem& missing = GetParam();
  GameData data(projectRoot() + "/data");
  TempDir root;
  if (!missing.item.empty()) {
    copyData(root.path());
    std::filesystem::remove_all(root.path("data/" + missing.item));
  }
  bool hasBackground = !missing.item.empty() && missing.item != "bg.bmp";
  bool hasSign = !missing.item.empty() && missing.item != "peliohi.bmp";
  RunningGame game(root.path());

  if (hasBackground) {
    Shot first;
    Clock::time_point notBefore;
    ASSERT_TRUE(game.waitForFirstFrame(data, first, notBefore));
  } else {
    // The game's black screen has taken the place of the server's white root window.
    ScreenCheck blackCorners = [](const Shot& shot) -> testing::AssertionResult {
      if (shot.image.at(0, 0) == 0 && shot.image.at(SCREEN_WIDTH - 1, SCREEN_HEIGHT - 1) == 0) {
        return testing::AssertionSuccess();
      }
      return testing::AssertionFailure() << "the corners are not black";
    };
    ASSERT_TRUE(waitForScreen(game.x, blackCorners, 20s));
    ASSERT_TRUE(game.waitForFrameLoop());
  }
  game.x.key("Escape");
  if (hasSign) {
    ASSERT_TRUE(waitForScreen(game.x, showsSign(data), SHOW_LIMIT));
  }
  game.x.key("Escape");
  ASSERT_TRUE(exitsWith(game.process, 0, "after Esc, Esc"));
  EXPECT_EQ(game.process.output(), missing.messages);
}

std::string notOpened(const std::string& path)
{
  return "ERROR opening file " + path + "\n\n";
}

INSTANTIATE_TEST_SUITE_P(
  , MissingData,
  testing::Values(MissingItem{"AllOfIt", "",
                              notOpened("data/bg.bmp") + notOpened("data/peliohi.bmp") + notOpened("data/mato/info") +
                                notOpened("data/kana/info") + notOpened("data/miina/info")},
                  MissingItem{"Background", "bg.bmp", notOpened("data/bg.bmp")},
                  MissingItem{"GameOverSign", "peliohi.bmp", notOpened("data/peliohi.bmp")},
                  MissingItem{"Worm", "mato", notOpened("data/mato/info")},
                  MissingItem{"Chickens", "kana", notOpened("data/kana/info")},
                  MissingItem{"Mines", "miina", notOpened("data/miina/info")}, MissingItem{"Font", "fontti", ""}),
  caseName<MissingItem>);

}
