#include "layout.h"
#include "platform.h"
#include "sound.h"
#include "support.h"

#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;
// The unpacked Windows zip, when its kanamiina.exe is to be tested under Wine instead of the Linux game.
const char* const WINDOWS_GAME = getenv("KANAMIINA_WINDOWS");

// An X server as big as the game's picture, so that full screen shows it unscaled over the whole
// screen with every SDL, and the committed pictures to compare with.
const std::string SCREEN_SIZE = std::to_string(SCREEN_WIDTH) + "x" + std::to_string(SCREEN_HEIGHT) + "x24";
struct Server
{
  pid_t xvfb = 0;
  std::string display = ":";
  Display* x = nullptr;
  SDL_Surface* background = plainPicture(DATA + "bg.bmp");
  SDL_Surface* pauseSign = plainPicture(DATA + "tauko.bmp", GREEN);
  SDL_Surface* shot = makeSurface(SCREEN_WIDTH, SCREEN_HEIGHT, BLACK);
  SDL_Surface* expected = makeSurface(SCREEN_WIDTH, SCREEN_HEIGHT, BLACK);

  Server()
  {
    int ready[2];
    if (pipe(ready) == 0 && (xvfb = fork()) == 0) {
      // Whatever ends the tests ends their X server and game too, which would otherwise hold CTest's output open.
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      execlp("Xvfb", "Xvfb", "-displayfd", std::to_string(ready[1]).c_str(), "-screen", "0", SCREEN_SIZE.c_str(),
             "-nolisten", "tcp", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(ready[1]);
    // Xvfb writes its display number once it accepts connections.
    for (char digit = 0; read(ready[0], &digit, 1) == 1 && digit != '\n';) {
      display += digit;
    }
    close(ready[0]);
    x = XOpenDisplay(display.c_str());
    // A window that has just gone is no reason to stop the tests.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  }
  ~Server()
  {
    kill(xvfb, SIGTERM);
    waitpid(xvfb, nullptr, 0);
  }
};

// The Windows game runs on the classic SDL 1.2.15 in its zip, whatever SDL this process has: the
// white letters are blended here as that SDL blends a picture with alpha over the display.
void blendAsClassicSdl(SDL_Surface* sheet, SDL_Surface* target, int x, int y, const SDL_Rect& part)
{
  for (int row = 0; row < part.h && y + row < target->h; ++row) {
    for (int column = 0; column < part.w && x + column < target->w; ++column) {
      int alpha = static_cast<Uint32*>(sheet->pixels)[(part.y + row) * sheet->pitch / 4 + part.x + column] >> 24;
      Uint32* at = static_cast<Uint32*>(target->pixels) + (y + row) * target->pitch / 4 + x + column;
      Uint8 r, g, b;
      SDL_GetRGB(*at, target->format, &r, &g, &b);
      auto mix = [alpha](int d) { return alpha == 255 ? 255 : d + ((255 - d) * alpha >> 8); };
      *at = SDL_MapRGB(target->format, mix(r), mix(g), mix(b));
    }
  }
}

// Text from the committed font as its files lay it out, without the font's code: "font.raw" holds
// the coverage of 16 x 16 cells of FONT_CELL pixels, character by character row by row, and "font.dat"
// each character's width. A glyph is cut two pixels wider than its width around the middle of its
// cell and drawn in white with its coverage as alpha; the next starts its width further on.
void drawPlainText(SDL_Surface* target, int x, int y, const std::string& text)
{
  const int SHEET = 16 * FONT_CELL;
  static const std::string widths = readFile(DATA + "fontti/font.dat");
  static SDL_Surface* sheet = [] {
    std::string coverage = readFile(DATA + "fontti/font.raw");
    SDL_Surface* white = SDL_CreateRGBSurface(SDL_SWSURFACE, SHEET, SHEET, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000);
    for (size_t i = 0; i < coverage.size(); ++i) {
      static_cast<Uint32*>(white->pixels)[i] = static_cast<Uint8>(coverage[i]) << 24 | WHITE;
    }
    return white;
  }();
  for (unsigned char c : text) {
    int width = static_cast<Uint8>(widths[c]);
    SDL_Rect glyph = {static_cast<Sint16>(c % 16 * FONT_CELL + FONT_CELL / 2 - width / 2),
                      static_cast<Sint16>(c / 16 * FONT_CELL), static_cast<Uint16>(width + 2), FONT_CELL};
    if (WINDOWS_GAME != nullptr) {
      blendAsClassicSdl(sheet, target, x, y, glyph);
    } else {
      blit(sheet, target, x, y, &glyph);
    }
    x += width;
  }
}

// One server for all the tests of a program, started with the first.
Server& sharedServer()
{
  static Server server;
  return server;
}

// The game started full screen with the committed data, looked at and sent keys as a player would.
class EndToEnd : public testing::Test
{
protected:
  void SetUp() override
  {
    skipWithoutTheWindowsGame();
    if (!IsSkipped()) {
      start(WINDOWS_GAME != nullptr ? WINDOWS_GAME : SOURCE_DIR);
    }
  }
  static void skipWithoutTheWindowsGame()
  {
    if (WINDOWS_GAME != nullptr && !std::filesystem::exists(std::string(WINDOWS_GAME) + "/kanamiina.exe")) {
      GTEST_SKIP() << "no Windows game in " << WINDOWS_GAME << ": make test-windows unpacks it there";
    }
  }
  // Starts the game in the directory and waits for its first frame: the worm at its start.
  void start(const std::string& directory)
  {
    ASSERT_NE(server.x, nullptr) << "no X server";
    lookStarted = Clock::now();
    if ((game = fork()) == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      setenv("DISPLAY", server.display.c_str(), 1);
      // What the game plays goes to a file, a buffer at a time at the pace it plays; Wine finds it through Z:.
      setenv("SDL_AUDIODRIVER", "disk", 1);
      setenv("SDL_DISKAUDIOFILE", ((WINDOWS_GAME != nullptr ? "Z:" : "") + sound.path("played")).c_str(), 1);
      setenv("SDL_DISKAUDIODELAY", std::to_string(SOUND_BUFFER_SAMPLES * 1000 / SOUND_RATE).c_str(), 1);
      // Not the tests' own dummy driver: X for the Linux game, the Windows game's choice under Wine.
      if (chdir(directory.c_str()) == 0 && WINDOWS_GAME != nullptr) {
        unsetenv("SDL_VIDEODRIVER");
        execlp("wine", "wine", "kanamiina.exe", static_cast<char*>(nullptr));
      } else if (WINDOWS_GAME == nullptr) {
        setenv("SDL_VIDEODRIVER", "x11", 1);
        execl(KANAMIINA, KANAMIINA, static_cast<char*>(nullptr));
      }
      _exit(127);
    }
    ASSERT_TRUE(waitFor([&] { return look() && wormAtItsStart(); }));
    // The first frame came after the look before the one that saw it began.
    started = lookBefore;
  }
  // A test that never started the game has no process to end, and kill(0) would end the test's own group.
  void TearDown() override
  {
    if (game > 0) {
      kill(game, SIGKILL);
      waitpid(game, nullptr, 0);
    }
  }

  // Takes the screen, all of it the game's, as the X server shows it now; the checks below read it.
  bool look()
  {
    lookBefore = std::exchange(lookStarted, Clock::now());
    XImage* image = XGetImage(server.x, DefaultRootWindow(server.x), 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, AllPlanes, ZPixmap);
    if (image == nullptr) {
      return false;
    }
    SDL_Surface* seen = SDL_CreateRGBSurfaceFrom(image->data, SCREEN_WIDTH, SCREEN_HEIGHT, image->bits_per_pixel, image->bytes_per_line,
                                                 image->red_mask, image->green_mask, image->blue_mask, 0);
    blit(seen, server.shot, 0, 0);
    SDL_FreeSurface(seen);
    XDestroyImage(image);
    return true;
  }

  // Whether the region shows the background with what draw adds to it.
  testing::AssertionResult shows(int left, int top, int w, int h, const std::function<void(SDL_Surface*)>& draw)
  {
    blit(server.background, server.expected, 0, 0);
    draw(server.expected);
    return sameRegion(server.shot, server.expected, left, top, w, h);
  }
  // Whether the worm stands at its start, in any frame of its set.
  bool wormAtItsStart()
  {
    return std::any_of(plainFrames("mato").begin(), plainFrames("mato").end(), [&](SDL_Surface* frame) {
      return shows(MATO_START_X, MATO_START_Y, frame->w, frame->h, [&](SDL_Surface* on) { blit(frame, on, MATO_START_X, MATO_START_Y); });
    });
  }
  bool pauseSignShows()
  {
    // Chickens may walk under the sign's see-through edge: its middle is opaque.
    return look() && shows(TAUKO_X + 50, TAUKO_Y + 50, TAUKO_WIDTH - 100, TAUKO_HEIGHT - 100,
                           [&](SDL_Surface* on) { blit(server.pauseSign, on, TAUKO_X, TAUKO_Y); });
  }

  // Chickens start some rows below the score line and climb a row a pass at most, so for a pass
  // fewer after the first frame it shows whole; a check that came later than that cannot tell.
  void expectScoreLine(int points, int miinat)
  {
    testing::AssertionResult reads =
      shows(0, SCORE_Y, SCREEN_WIDTH, FONT_CELL, [&](SDL_Surface* on) { drawScoreLine(on, drawPlainText, points, miinat); });
    if (Clock::now() - started >= std::chrono::milliseconds(static_cast<int>((KANA_START_TOP - SCORE_Y - FONT_CELL - 1) * PASS_MS))) {
      GTEST_SKIP() << "the check came too late to see the score line whole";
    }
    EXPECT_TRUE(reads) << "score line " << points << ", " << miinat;
  }

  void key(KeySym symbol, bool down)
  {
    XTestFakeKeyEvent(server.x, XKeysymToKeycode(server.x, symbol), down, CurrentTime);
    XFlush(server.x);
  }
  void tap(KeySym symbol)
  {
    key(symbol, true);
    key(symbol, false);
  }

  static bool waitFor(const std::function<bool()>& condition)
  {
    // Wine takes several seconds to start a program in a fresh prefix.
    for (auto deadline = Clock::now() + std::chrono::seconds(60); Clock::now() < deadline;) {
      if (condition()) {
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  Server& server = sharedServer();
  TempDir sound;
  pid_t game = 0;
  Clock::time_point started, lookStarted, lookBefore;
};

TEST_F(EndToEnd, FirstFrameShowsTheWormAtItsStartAndTheScoreLine)
{
  expectScoreLine(0, 28);
}

// What the game has played so far, as 16-bit samples: sdl12-compat records them through SDL 2 at
// the rate and channels it chooses, so that only lengths and loudness compare between runs.
using Samples = std::vector<Sint16>;
Samples samplesOf(const std::string& bytes)
{
  Samples samples(bytes.size() / 2);
  // An empty recording has no samples to copy, and no pointer memcpy may be given.
  if (!samples.empty()) {
    memcpy(samples.data(), bytes.data(), 2 * samples.size());
  }
  return samples;
}

// The first stretch of sound from a sample on, up to a silence as long as quiet.
struct Stretch
{
  size_t first, end;
};
Stretch soundFrom(const Samples& samples, size_t from, size_t quiet)
{
  auto sounds = [](Sint16 sample) { return sample != 0; };
  size_t first = std::find_if(samples.begin() + from, samples.end(), sounds) - samples.begin();
  Stretch stretch{first, first};
  for (size_t i = stretch.first; i < samples.size() && i < stretch.end + quiet; ++i) {
    stretch.end = samples[i] != 0 ? i + 1 : stretch.end;
  }
  return stretch;
}

// Positions in the recording come from its length when a key went, never from the clock: what the game
// had played by then cannot hold what the key made. A mine laid by Space sounds after the key, not
// before; after M the next mine is silent for as long as a mine sounds and more; after M again the
// next sounds.
TEST_F(EndToEnd, MineIsHeardAfterSpaceAndMSilencesTheNext)
{
  const std::string played = sound.path("played");
  // Longer than any gap inside an effect, at any rate and with any channels.
  const size_t quiet = 2 * SOUND_BUFFER_SAMPLES;
  const struct
  {
    const char* name;
    std::vector<KeySym> keys;
    bool heard;
  } rounds[] = {{"Space", {XK_space}, true}, {"M, Space", {XK_m, XK_space}, false}, {"M again, Space", {XK_m, XK_space}, true}};
  Stretch mines[3];
  size_t silentTo = 0;
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(rounds[round].name);
    size_t beforeKeys = samplesOf(readFile(played)).size();
    for (KeySym symbol : rounds[round].keys) {
      tap(symbol);
    }
    Samples heard;
    ASSERT_TRUE(waitFor([&] {
      heard = samplesOf(readFile(played));
      mines[round] = soundFrom(heard, beforeKeys, quiet);
      return rounds[round].heard ? mines[round].end > mines[round].first && heard.size() >= mines[round].end + quiet
                                 : heard.size() >= beforeKeys + (mines[0].end - mines[0].first) + quiet;
    }));
    EXPECT_EQ(soundFrom(heard, silentTo, quiet).first, rounds[round].heard ? mines[round].first : heard.size())
      << "a sound before the keys or from a silenced mine";
    EXPECT_EQ(soundFrom(heard, mines[round].end, quiet).first, heard.size()) << "a sound after the mine's";
    silentTo = std::max(mines[round].end, beforeKeys);
  }
}

// Whether the window's icon shows through at a pixel. Classic SDL gives the window manager a
// bitmap mask; sdl12-compat, through SDL 2, an icon with an alpha channel in _NET_WM_ICON.
bool iconOpaqueAt(Display* x, Window window, int column, int row)
{
  const SDL_version* linked = SDL_Linked_Version();
  if (SDL_VERSIONNUM(linked->major, linked->minor, linked->patch) < SDL_VERSIONNUM(1, 2, 50)) {
    XWMHints* hints = XGetWMHints(x, window);
    XImage* mask = hints != nullptr && (hints->flags & IconMaskHint)
                     ? XGetImage(x, hints->icon_mask, 0, 0, 32, 32, 1, XYPixmap)
                     : nullptr;
    bool opaque = mask != nullptr && XGetPixel(mask, column, row) != 0;
    if (mask != nullptr) {
      XDestroyImage(mask);
    }
    XFree(hints);
    return opaque;
  }
  Atom type = None;
  int format = 0;
  unsigned long count = 0, left = 0;
  unsigned char* data = nullptr;
  XGetWindowProperty(x, window, XInternAtom(x, "_NET_WM_ICON", False), 0, 2 + 32 * 32, False, XA_CARDINAL, &type,
                     &format, &count, &left, &data);
  // Xlib hands 32-bit items over as longs: width, height, then ARGB pixels row by row.
  const long* icon = reinterpret_cast<const long*>(data);
  bool opaque = count >= 2 + 32 * 32 && icon[0] == 32 && icon[1] == 32 && (icon[2 + row * 32 + column] >> 24 & 255) == 255;
  XFree(data);
  return opaque;
}

// The game's own top-level window, titled "Kanamiina", or None.
Window gameWindow(Display* x)
{
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count);
  Window game = None;
  for (unsigned i = 0; i < count && game == None; ++i) {
    char* name = nullptr;
    if (XFetchName(x, children[i], &name) && std::string(name) == "Kanamiina") {
      game = children[i];
    }
    XFree(name);
  }
  XFree(children);
  return game;
}

// The game's own window on X, which Wine would make a window of its own making.
class GameWindow : public EndToEnd
{
};

// The window is titled "Kanamiina", and its icon is the game's 32 x 32 one, its magenta corners
// see-through and its middle drawn.
TEST_F(GameWindow, HasTheGamesTitleAndIcon)
{
  Window game = gameWindow(server.x);
  ASSERT_NE(game, None) << "no window is titled Kanamiina";
  EXPECT_FALSE(iconOpaqueAt(server.x, game, 0, 0)) << "corner";
  EXPECT_TRUE(iconOpaqueAt(server.x, game, 16, 16)) << "middle";
}

// P stops the field under the pause sign: nothing on it moves until P resumes the game.
TEST_F(EndToEnd, PStopsTheFieldUnderThePauseSignAndPResumesIt)
{
  tap(XK_p);
  ASSERT_TRUE(waitFor([&] { return pauseSignShows(); }));
  SDL_Surface* paused = makeSurface(SCREEN_WIDTH, SCREEN_HEIGHT, BLACK);
  blit(server.shot, paused, 0, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  look();
  EXPECT_TRUE(sameRegion(server.shot, paused, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT)) << "the paused field";
  tap(XK_p);
  EXPECT_TRUE(waitFor([&] { return !pauseSignShows() && !sameRegion(server.shot, paused, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT); }));
  SDL_FreeSurface(paused);
}

// In a window, the game pauses when another window takes the keys.
TEST_F(GameWindow, AnotherWindowTakingTheKeysPausesTheWindowedGame)
{
  key(XK_Alt_L, true);
  tap(XK_Return);
  key(XK_Alt_L, false);
  // The switch takes the server a moment, and shows nothing to wait for on a screen the window fills.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  Window game = gameWindow(server.x);
  ASSERT_NE(game, None);
  XSetInputFocus(server.x, game, RevertToParent, CurrentTime);
  Window other = XCreateSimpleWindow(server.x, DefaultRootWindow(server.x), 600, 440, 40, 40, 0, 0, 0);
  XMapWindow(server.x, other);
  XSync(server.x, False);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(pauseSignShows()) << "paused before the other window took the keys";
  XSetInputFocus(server.x, other, RevertToParent, CurrentTime);
  XFlush(server.x);
  EXPECT_TRUE(waitFor([&] { return pauseSignShows(); }));
  XDestroyWindow(server.x, other);
  XFlush(server.x);
}

// SDL's Windows start-up sends standard output to stdout.txt beside the program, and there the
// game says which picture it could not open, and plays without it.
class WithoutTheSign : public EndToEnd
{
protected:
  void SetUp() override
  {
    if (WINDOWS_GAME == nullptr) {
      GTEST_SKIP() << "only the Windows game writes stdout.txt";
    }
    skipWithoutTheWindowsGame();
    if (IsSkipped()) {
      return;
    }
    std::filesystem::copy(WINDOWS_GAME, copy.path(), std::filesystem::copy_options::recursive);
    std::filesystem::remove(copy.path("data/peliohi.bmp"));
    start(copy.path());
  }
  TempDir copy;
};

TEST_F(WithoutTheSign, WindowsGameSaysSoInStdoutTxtAndPlays)
{
  // Nothing shows that the first Esc ended the game: Esc until it has gone.
  int status = -1;
  EXPECT_TRUE(waitFor([&] { return tap(XK_Escape), waitpid(game, &status, WNOHANG) == game; }));
  EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0);
  EXPECT_EQ(readFile(copy.path("stdout.txt")), "ERROR opening file data/peliohi.bmp\r\n\r\n");
}

}
