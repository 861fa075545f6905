#include "game_harness.h"

#include "font.h"

#include <SDL.h>
#include <sys/syscall.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <stdexcept>
#include <thread>

namespace {

const int SCORE_Y = 37;
const int PISTEET_X = 5;
const int POINTS_X = 60;
const int MIINAT_LABEL_X = 570;
const int MIINAT_X = 610;

const int KANA_MIN_X = 250;
const int KANA_MIN_Y = 90;
const int KANA_MAX_Y = 109;

const auto MIN_PASS = 16ms;
const auto START_LIMIT = 20s;
const auto STOP_LIMIT = 3s;
// A healthy game draws several frames in this time.
const auto STILL_GAP = 60ms;

// The test's own display in SDL's dummy driver, in the format the game's screen has.
// Every game it starts is told its own video driver.
SDL_Surface* referenceDisplay()
{
  static SDL_Surface* display = [] {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
      throw std::runtime_error(std::string("SDL dummy video: ") + SDL_GetError());
    }
    SDL_Surface* surface = SDL_SetVideoMode(SCREEN_WIDTH, SCREEN_HEIGHT, 32, SDL_SWSURFACE);
    if (surface == nullptr) {
      throw std::runtime_error(std::string("SDL dummy video mode: ") + SDL_GetError());
    }
    return surface;
  }();
  return display;
}

Image imageOf(SDL_Surface* surface)
{
  Image image(surface->w, surface->h);
  SDL_LockSurface(surface);
  for (int y = 0; y < surface->h; ++y) {
    const Uint32* row = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(surface->pixels) + y * surface->pitch);
    for (int x = 0; x < surface->w; ++x) {
      Uint8 r, g, b;
      SDL_GetRGB(row[x], surface->format, &r, &g, &b);
      image.at(x, y) = (r << 16) | (g << 8) | b;
    }
  }
  SDL_UnlockSurface(surface);
  return image;
}

// The distinct pictures a sprite set's info file names, each with its key colour.
std::vector<Picture> loadSpriteSet(const std::string& dir)
{
  std::ifstream info(dir + "/info");
  std::string line;
  int count = 0;
  if (!std::getline(info, line) || sscanf(line.c_str(), "FILES: %d", &count) != 1) {
    throw std::runtime_error("no frame count in " + dir + "/info");
  }
  std::vector<Picture> pictures;
  std::set<std::string> seen;
  int frames = 0;
  while (frames < count && std::getline(info, line)) {
    if (line.empty() || line[0] == '#' || line[0] == '\r') {
      continue;
    }
    char name[256];
    int pause, red, green, blue;
    if (sscanf(line.c_str(), "%255s %d %d %d %d", name, &pause, &red, &green, &blue) != 5) {
      throw std::runtime_error("unexpected frame line in " + dir + "/info: " + line);
    }
    ++frames;
    if (seen.insert(name).second) {
      std::optional<Rgb> key;
      if (red >= 0) {
        key = static_cast<Rgb>(((red & 255) << 16) | ((green & 255) << 8) | (blue & 255));
      }
      pictures.push_back(loadPicture(dir + "/" + name, key));
    }
  }
  if (pictures.empty()) {
    throw std::runtime_error("no frames in " + dir + "/info");
  }
  return pictures;
}

// The game talks to the server and plays no sound.
EnvironmentChanges gameEnvironment(const XServer& x)
{
  EnvironmentChanges environment = x.clientEnvironment();
  environment.push_back({"SDL_VIDEODRIVER", "x11"});
  environment.push_back({"SDL_AUDIODRIVER", "dummy"});
  return environment;
}

// Beside the test's other output, named after the test; none outside a test.
std::optional<std::string> failureShotPath()
{
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  if (test == nullptr) {
    return std::nullopt;
  }
  std::string name = std::string(test->test_suite_name()) + "." + test->name();
  std::replace(name.begin(), name.end(), '/', '_');
  return "failed-" + name + ".png";
}

}

GameData::GameData(const std::string& dataDir)
{
  referenceDisplay();
  background = loadBmp(dataDir + "/bg.bmp");
  SDL_Surface* loaded = SDL_LoadBMP((dataDir + "/bg.bmp").c_str());
  backgroundSurface = SDL_DisplayFormat(loaded);
  SDL_FreeSurface(loaded);
  sign.push_back(loadPicture(dataDir + "/peliohi.bmp", PURE_GREEN));
  mato = loadSpriteSet(dataDir + "/mato");
  kana = loadSpriteSet(dataDir + "/kana");
  miina = loadSpriteSet(dataDir + "/miina");
  font = initFont((dataDir + "/fontti").c_str());
  if (font == nullptr) {
    throw std::runtime_error("cannot load the font in " + dataDir + "/fontti");
  }
}

GameData::~GameData()
{
  freeFont(font);
  SDL_FreeSurface(backgroundSurface);
}

// Drawn the way the game draws a frame: black, the background, then the four items.
Image GameData::scoreLine(int points, int minesLeft) const
{
  SDL_Surface* display = referenceDisplay();
  SDL_FillRect(display, nullptr, 0);
  SDL_BlitSurface(backgroundSurface, nullptr, display, nullptr);
  drawString(display, font, PISTEET_X, SCORE_Y, "Pisteet:");
  drawString(display, font, POINTS_X, SCORE_Y, "%d", points);
  drawString(display, font, MIINAT_LABEL_X, SCORE_Y, "Miinat:");
  drawString(display, font, MIINAT_X, SCORE_Y, "%d", minesLeft);
  return imageOf(display);
}

Rect GameData::scoreLineArea() const
{
  return Rect{0, SCORE_Y, SCREEN_WIDTH, font->cellSize};
}

int passesWithin(Clock::duration interval)
{
  return static_cast<int>(interval / MIN_PASS) + 2;
}

Rect chickenZone(int passes, const GameData& data)
{
  int width = 0;
  int height = 0;
  for (const Picture& picture : data.kana) {
    width = std::max(width, picture.image.width);
    height = std::max(height, picture.image.height);
  }
  int left = KANA_MIN_X - 2 * passes;
  int top = KANA_MIN_Y - 2 * passes;
  int bottom = KANA_MAX_Y + passes + height;
  return Rect{left, top, SCREEN_WIDTH - left + width, bottom - top};
}

Scene newGameScene(const GameData& data, int passes)
{
  return Scene{data.scoreLine(0, MIINAT_PER_GAME), {}, {chickenZone(passes, data)}, {{&data.mato, MATO_START}}};
}

Shot takeShot(const XServer& x)
{
  Shot shot;
  shot.before = Clock::now();
  shot.image = x.capture();
  shot.after = Clock::now();
  return shot;
}

testing::AssertionResult waitForScreen(const XServer& x, const ScreenCheck& check, Clock::duration limit, Shot* passed)
{
  auto deadline = Clock::now() + limit;
  while (true) {
    Shot shot = takeShot(x);
    testing::AssertionResult result = check(shot);
    if (result) {
      if (passed != nullptr) {
        *passed = std::move(shot);
      }
      return result;
    }
    if (shot.after >= deadline) {
      std::optional<std::string> path = failureShotPath();
      if (!path) {
        return result;
      }
      writePng(*path, shot.image);
      return testing::AssertionFailure() << result.message() << " (screen saved as " << *path << ")";
    }
  }
}

RunningGame::RunningGame(const std::string& workDir)
  : launched(Clock::now()), process({KANAMIINA}, gameEnvironment(x), workDir)
{
}

testing::AssertionResult RunningGame::waitForFirstFrame(const GameData& data, Shot& first,
                                                        Clock::time_point& notBefore)
{
  // Below the worm and the chickens only the background shows in a game's first seconds.
  const Rect ground{110, 430, SCREEN_WIDTH - 110, SCREEN_HEIGHT - 430};
  notBefore = launched;
  auto deadline = Clock::now() + START_LIMIT;
  while (Clock::now() < deadline) {
    if (!process.running()) {
      return testing::AssertionFailure() << "the game ended before its first frame; it wrote:\n" << process.output();
    }
    Shot shot = takeShot(x);
    if (sameIn(shot.image, data.background, ground)) {
      first = std::move(shot);
      return testing::AssertionSuccess();
    }
    notBefore = shot.before;
  }
  return testing::AssertionFailure() << "no frame of the game showed within " << START_LIMIT.count() << " s";
}

testing::AssertionResult RunningGame::waitForFrameLoop()
{
  // The game sleeps nowhere before its frame loop, and there most of each pass.
  auto deadline = Clock::now() + START_LIMIT;
  while (Clock::now() < deadline) {
    if (!process.running()) {
      return testing::AssertionFailure() << "the game ended before its frame loop; it wrote:\n" << process.output();
    }
    std::optional<long> waiting = process.waitingIn();
    if (waiting && *waiting == SYS_clock_nanosleep) {
      return testing::AssertionSuccess();
    }
    std::this_thread::sleep_for(1ms);
  }
  return testing::AssertionFailure() << "the game did not reach its frame loop within " << START_LIMIT.count()
                                     << " s";
}

std::optional<Found> findMato(const Image& screen, const GameData& data, Point near, int reach)
{
  return findPicture(screen, data.mato, Rect{near.x - reach, near.y - reach, 2 * reach + 1, 2 * reach + 1});
}

std::optional<Found> RunningGame::waitForMatoToStop(const GameData& data, Point near, int reach)
{
  auto deadline = Clock::now() + STOP_LIMIT;
  std::optional<Found> last;
  Clock::time_point lastTaken;
  while (Clock::now() < deadline) {
    Shot shot = takeShot(x);
    std::optional<Found> now = findMato(shot.image, data, near, reach);
    if (!now) {
      return std::nullopt;
    }
    if (last && last->at == now->at && shot.before - lastTaken >= STILL_GAP) {
      return now;
    }
    if (!last || !(last->at == now->at)) {
      last = now;
      lastTaken = shot.after;
    }
  }
  return std::nullopt;
}

std::string projectRoot()
{
  return SOURCE_DIR;
}

void copyData(const std::string& toRoot)
{
  std::filesystem::copy(projectRoot() + "/data", toRoot + "/data", std::filesystem::copy_options::recursive);
}
