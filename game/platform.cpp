#include "platform.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

bool OnSdl12Compat()
{
  const SDL_version* linked = SDL_Linked_Version();
  return SDL_VERSIONNUM(linked->major, linked->minor, linked->patch) >= SDL_VERSIONNUM(1, 2, 50);
}

namespace {

// Sets an environment variable for SDL, unless the player has set it already.
void setUnlessSet(const char* name, const char* value)
{
#ifdef _WIN32
  if (getenv(name) == NULL) {
    _putenv_s(name, value);
  }
#else
  setenv(name, value, 0);
#endif
}

}

// Without a GPU, sdl12-compat's default puts each frame through OpenGL in
// software, at five times the processor time and six times the memory of
// SDL 2's software renderer drawing straight into the window.
void ChooseDrawing(bool sdl12Compat, bool softwareOpenGL)
{
  if (!sdl12Compat) {
    return;
  }
  setUnlessSet("SDL12COMPAT_SCALE_METHOD", "nearest");
  if (softwareOpenGL) {
    setUnlessSet("SDL_RENDER_DRIVER", "software");
    setUnlessSet("SDL_FRAMEBUFFER_ACCELERATION", "0");
  }
}

void ChooseDrawing()
{
  bool sdl12Compat = OnSdl12Compat();
  ChooseDrawing(sdl12Compat, sdl12Compat && OpenGLIsSoftware());
}

bool OpenGLIsSoftware(const char* deviceDir)
{
  // Mesa's own switch, as Mesa reads it.
  const char* forced = getenv("LIBGL_ALWAYS_SOFTWARE");
  if (forced != NULL) {
    for (const char* yes : {"1", "true", "y", "yes"}) {
      if (strcasecmp(forced, yes) == 0) {
        return true;
      }
    }
  }
  // A GPU that OpenGL can draw with gives this user a render node.
  DIR* devices = opendir(deviceDir);
  if (devices == NULL) {
    return true;
  }
  bool gpu = false;
  while (dirent* entry = readdir(devices)) {
    std::string node = std::string(deviceDir) + "/" + entry->d_name;
    if (strncmp(entry->d_name, "renderD", 7) == 0 && access(node.c_str(), R_OK | W_OK) == 0) {
      gpu = true;
    }
  }
  closedir(devices);
  return !gpu;
}

void PaceFrame(PassClock& pace)
{
  // A whole second on, the deadlines count from the next one, so the count stays small.
  pace.passes += 1;
  if (pace.passes == PASSES_A_SECOND) {
    pace.start += 1000;
    pace.passes = 0;
  }
  Uint32 due = pace.start + pace.passes * 1000 / PASSES_A_SECOND;
  Uint32 now = SDL_GetTicks();
  Sint32 early = static_cast<Sint32>(due - now);
  if (early > 0) {
    SDL_Delay(static_cast<Uint32>(early));
  } else if (-early > STALL_MS) {
    pace = PassClock{now, 0};
  }
}

#ifdef __EMSCRIPTEN__

#include <emscripten.h>

namespace {

// A browser calls back once a display frame, at 60 Hz or faster: at most one pass
// runs each 1/60 s, and a frame this early still gets its pass, so that a 60 Hz
// display's unsteady frames all get one.
const double EARLY_MS = 4.0;

Pass browserPass = NULL;
double passDue = 0.0;
int passes = 0;
bool signShown = false;

void BrowserFrame()
{
  double now = emscripten_get_now();
  if (now < passDue - EARLY_MS) {
    return;
  }
  // After a stall, a hidden page for one, the pace starts afresh instead of catching up.
  passDue = now - passDue > PASS_MS ? now + PASS_MS : passDue + PASS_MS;
  int done = browserPass(SDL_GetKeyboardState(NULL));
  passes += 1;
  if (done == PASS_QUIT) {
    emscripten_cancel_main_loop();
    EM_ASM(Module.onGameEnd());
  }
}

}

// The passes run so far, for the page's tests to wait on.
extern "C" EMSCRIPTEN_KEEPALIVE int PassCount()
{
  return passes;
}

// The browser's own loop calls back; a pass must not block it. The first pass runs at once,
// so that the first frame shows with the next display frame.
void RunFrameLoop(Pass pass)
{
  browserPass = pass;
  BrowserFrame();
  emscripten_set_main_loop(BrowserFrame, 0, 1);
}

void ShowingSign(bool shown)
{
  if (shown != signShown) {
    signShown = shown;
    EM_ASM(Module.onSign($0), shown ? 1 : 0);
  }
}

#else

// A paused game sleeps between looks at the event queue: a player coming back waits no longer than this.
const Uint32 PAUSED_LOOK_MS = 20;

void WaitForEvent()
{
  SDL_Event pending;
  for (SDL_PumpEvents(); SDL_PeepEvents(&pending, 1, SDL_PEEKEVENT, SDL_ALLEVENTS) == 0; SDL_PumpEvents()) {
    SDL_Delay(PAUSED_LOOK_MS);
  }
}

// The pass after a pause comes as an event comes; the pace then starts afresh as after any stall.
void RunFrameLoop(Pass pass)
{
  PassClock pace = {SDL_GetTicks(), 0};
  for (int result = PASS_GOES_ON; result != PASS_QUIT;) {
    result = pass(SDL_GetKeyState(NULL));
    // The game's millisecond after each pass: it gives the processor up once a pass even when
    // passes run late and the pace has no time left to wait.
    SDL_Delay(1);
    if (result == PASS_PAUSED) {
      WaitForEvent();
    }
    PaceFrame(pace);
  }
}

void ShowingSign(bool)
{
}

#endif
