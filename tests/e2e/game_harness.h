#ifndef E2E_GAME_HARNESS_H
#define E2E_GAME_HARNESS_H

#include "image.h"
#include "process.h"
#include "scene.h"
#include "x_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct SDLFont;
struct SDL_Surface;

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Where things stand in the game.
const Point MATO_START{50, 320};
const Point MIINA_OFFSET{35, 30};
const Point SIGN_AT{165, 100};
const int MATO_MAX_X = 590;
const int MATO_MAX_Y = 380;
const int MIINAT_PER_GAME = 28;

// The pictures of a data directory as the game shows them, and its score
// line drawn by the game's own font module.
class GameData
{
public:
  explicit GameData(const std::string& dataDir);
  ~GameData();
  GameData(const GameData&) = delete;
  GameData& operator=(const GameData&) = delete;

  Image background;
  std::vector<Picture> sign;  // the game-over picture, see-through where pure green
  std::vector<Picture> mato;  // each sprite set's distinct frame pictures
  std::vector<Picture> kana;
  std::vector<Picture> miina;

  // The background with "Pisteet:", the points, "Miinat:" and the mines left.
  Image scoreLine(int points, int minesLeft) const;
  // The band the score line's glyphs take.
  Rect scoreLineArea() const;

private:
  SDL_Surface* backgroundSurface;
  SDLFont* font;
};

// The most passes of the frame loop that fit in an interval (each takes at
// least 17 SDL ticks, so more than 16 ms), counting the one that drew first.
int passesWithin(Clock::duration interval);

// Where chickens may be drawn when at most `passes` passes ran since a game
// set them up: placed at x 250..599, y 90..109, they move at most 2 pixels
// a pass along each axis, and only 1 downwards.
Rect chickenZone(int passes, const GameData& data);

// A game's first frames: the score line at 0 and 28, the worm at its start,
// the chickens near theirs.
Scene newGameScene(const GameData& data, int passes);

// A screenshot and the times just before and after it was taken.
struct Shot
{
  Image image;
  Clock::time_point before;
  Clock::time_point after;
};

Shot takeShot(const XServer& x);

using ScreenCheck = std::function<testing::AssertionResult(const Shot&)>;

// Takes screenshots until one passes the check; fails with the last one's
// reason once the limit has passed, and saves that screenshot as a PNG
// beside the test for a look.
testing::AssertionResult waitForScreen(const XServer& x, const ScreenCheck& check, Clock::duration limit,
                                       Shot* passed = nullptr);

// The real game in an X server of its own, started from a working directory.
class RunningGame
{
public:
  explicit RunningGame(const std::string& workDir);

  // Waits for the first frame that shows the background. notBefore is a time
  // at which the game had not yet drawn a frame.
  testing::AssertionResult waitForFirstFrame(const GameData& data, Shot& first, Clock::time_point& notBefore);

  // Waits until the game sleeps between two frames: its window is up and
  // holds the keyboard, and its frame loop runs.
  testing::AssertionResult waitForFrameLoop();

  // Waits until the worm, searched within reach of a place, stands still.
  std::optional<Found> waitForMatoToStop(const GameData& data, Point near, int reach);

  XServer x;
  Clock::time_point launched;
  ChildProcess process;
};

// The worm within `reach` pixels of a place.
std::optional<Found> findMato(const Image& screen, const GameData& data, Point near, int reach);

// The committed data, or a copy of it in a directory of its own.
std::string projectRoot();
void copyData(const std::string& toRoot);

#endif
