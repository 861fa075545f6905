// Plays a few seconds of the real game with the committed data and writes a
// screenshot with chickens, mines and the score line in view as a PNG.

#include "game_harness.h"

#include <cstdio>
#include <exception>
#include <map>

namespace {

const int ATTEMPTS = 5;
const auto WATCH = 2500ms;
const int POINTS_PER_KANA = 125;

struct Walk
{
  std::vector<std::string> keys;
  std::function<bool(Point)> until;
  bool layMineAfter;
};

// The worm steps up and right, lays two mines in the chickens' way, and
// steps back down and left to watch them come. Returns where the mines lie
// and where the worm stands, or nullopt when a walk did not arrive.
std::optional<Point> layMines(RunningGame& game, const GameData& data, std::vector<Point>& mines)
{
  const Walk walks[] = {
    {{"Up", "Right"}, [](Point at) { return at.y <= MATO_START.y - 30; }, true},
    {{"Right"}, [](Point at) { return at.x >= MATO_START.x + 70; }, true},
    {{"Down", "Left"}, [](Point at) { return at.y >= MATO_START.y + 10; }, false},
  };
  std::optional<Found> mato = findMato(takeShot(game.x).image, data, MATO_START, 0);
  for (const Walk& walk : walks) {
    if (!mato) {
      return std::nullopt;
    }
    Point from = mato->at;
    ScreenCheck arrived = [&](const Shot& shot) -> testing::AssertionResult {
      mato = findMato(shot.image, data, from, 80);
      if (mato && walk.until(mato->at)) {
        return testing::AssertionSuccess();
      }
      return testing::AssertionFailure();
    };
    game.x.keyDown(walk.keys);
    bool there = waitForScreen(game.x, arrived, 3s);
    game.x.keyUp(walk.keys);
    if (!there) {
      return std::nullopt;
    }
    mato = game.waitForMatoToStop(data, mato->at, 10);
    if (mato && walk.layMineAfter) {
      game.x.key("space");
      mines.push_back(mato->at + MIINA_OFFSET);
    }
  }
  return mato ? std::optional<Point>(mato->at) : std::nullopt;
}

// A screen worth showing: the game on, the worm and a mine in full view, the
// two numbers of the score line readable. The worth is the points shown.
std::optional<int> worth(const Image& screen, const GameData& data, Point mato, const std::vector<Point>& mines,
                         const std::map<int, Image>& scoreLines)
{
  if (findPicture(screen, data.sign, Rect{SIGN_AT.x, SIGN_AT.y, 1, 1}) || !findMato(screen, data, mato, 0)) {
    return std::nullopt;
  }
  bool mineInView = false;
  for (Point mine : mines) {
    mineInView = mineInView || findPicture(screen, data.miina, Rect{mine.x, mine.y, 1, 1});
  }
  if (!mineInView) {
    return std::nullopt;
  }
  // Between the two labelled numbers lies only the background.
  Rect band = data.scoreLineArea();
  const Rect points{0, band.y, 100, band.h};
  const Rect minesLeft{SCREEN_WIDTH - 80, band.y, 80, band.h};
  for (const auto& [value, line] : scoreLines) {
    if (sameIn(screen, line, points) && sameIn(screen, line, minesLeft)) {
      return value;
    }
  }
  return std::nullopt;
}

std::optional<Image> playAndShoot(const GameData& data)
{
  RunningGame game(projectRoot());
  Shot first;
  Clock::time_point notBefore;
  if (!game.waitForFirstFrame(data, first, notBefore)) {
    return std::nullopt;
  }
  std::vector<Point> mines;
  std::optional<Point> mato = layMines(game, data, mines);
  if (!mato) {
    return std::nullopt;
  }
  std::map<int, Image> scoreLines;
  for (size_t hits = 0; hits <= mines.size(); ++hits) {
    int points = static_cast<int>(hits) * POINTS_PER_KANA;
    scoreLines[points] = data.scoreLine(points, MIINAT_PER_GAME - static_cast<int>(mines.size()));
  }

  std::optional<Image> best;
  int bestPoints = -1;
  auto deadline = Clock::now() + WATCH;
  while (Clock::now() < deadline) {
    Shot shot = takeShot(game.x);
    std::optional<int> points = worth(shot.image, data, *mato, mines, scoreLines);
    if (points && *points > bestPoints) {
      best = shot.image;
      bestPoints = *points;
    }
  }
  return best;
}

}

int main(int argc, char** argv)
{
  if (argc != 2) {
    fprintf(stderr, "usage: %s <picture.png>\n", argv[0]);
    return 2;
  }
  try {
    GameData data(projectRoot() + "/data");
    for (int attempt = 1; attempt <= ATTEMPTS; ++attempt) {
      if (std::optional<Image> picture = playAndShoot(data)) {
        writePng(argv[1], *picture);
        return 0;
      }
      fprintf(stderr, "take_screenshot: no screen worth showing in attempt %d\n", attempt);
    }
  } catch (const std::exception& error) {
    fprintf(stderr, "take_screenshot: %s\n", error.what());
  }
  return 1;
}
