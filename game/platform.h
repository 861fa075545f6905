#ifndef PLATFORM_H
#define PLATFORM_H

#include <SDL.h>

// Where the desktop and the browser build differ: the frame loop, the arrows' codes,
// and the SDL calls the browser's SDL lacks.

// The arrows' places among the held keys, which are also their keys' codes in a key event.
#ifdef __EMSCRIPTEN__
// The browser's SDL keeps a key without a character at 1024 plus its scancode.
const int KEY_UP = 1024 + SDL_SCANCODE_UP;
const int KEY_DOWN = 1024 + SDL_SCANCODE_DOWN;
const int KEY_LEFT = 1024 + SDL_SCANCODE_LEFT;
const int KEY_RIGHT = 1024 + SDL_SCANCODE_RIGHT;
#else
const int KEY_UP = SDLK_UP;
const int KEY_DOWN = SDLK_DOWN;
const int KEY_LEFT = SDLK_LEFT;
const int KEY_RIGHT = SDLK_RIGHT;
#endif

// What SDL_Init starts. The browser's SDL reads pads only when they are asked for here; the
// desktop starts them on their own, so that a machine whose pads cannot start still plays.
#ifdef __EMSCRIPTEN__
const Uint32 SDL_SUBSYSTEMS = SDL_INIT_VIDEO | SDL_INIT_JOYSTICK;
#else
const Uint32 SDL_SUBSYSTEMS = SDL_INIT_VIDEO;
#endif

// Passes keep to the frames of a 60 Hz display.
const int PASSES_A_SECOND = 60;
const double PASS_MS = 1000.0 / PASSES_A_SECOND;
const double STALL_MS = 4 * PASS_MS;

// One pass of a game's loop with the keys held now. It says whether the game goes on, the player
// quit, or the game is paused and the next pass may wait for an event.
const int PASS_GOES_ON = 0;
const int PASS_QUIT = 1;
const int PASS_PAUSED = 2;
typedef int (*Pass)(const Uint8* keys);
// Runs passes until one says the player quit, at the pace below. While paused, the desktop sleeps
// until an event comes, and the browser runs a pass each display frame.
void RunFrameLoop(Pass pass);
// Told after each pass whether the game-over sign is up: a page offers the sign's
// keys to a player without a keyboard.
void ShowingSign(bool shown);

// Passes run to running deadlines: the n-th pass after start is due n/60 s after it.
struct PassClock
{
  Uint32 start;
  Uint32 passes;
};
// Waits until the next pass is due. Passes that came late are made up, as long
// as the lag is a few frames at most; after a stall, a longer lag, the pace
// starts afresh from now instead of hurrying the passes after it.
void PaceFrame(PassClock& pace);

// sdl12-compat reports 1.2.50 or later, as does the browser's SDL (1.3.0);
// classic SDL 1.2 ended at 1.2.15.
bool OnSdl12Compat();
// Asks sdl12-compat, before SDL_Init, to scale the field with crisp pixels and,
// where OpenGL would run in software, to draw with SDL 2's plain software path.
// Settings the player made in the environment stay. Classic SDL is left as it is.
void ChooseDrawing();
void ChooseDrawing(bool sdl12Compat, bool softwareOpenGL);
// True where OpenGL can only run in software: Mesa is told to, or no DRI render
// node in deviceDir can be opened.
bool OpenGLIsSoftware(const char* deviceDir = "/dev/dri");

#endif
