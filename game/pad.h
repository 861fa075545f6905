#ifndef PAD_H
#define PAD_H

#include <SDL.h>

// Gamepads play as the keys do: the D-pad, a hat or the left stick steer like the held arrows,
// and the buttons press the game's keys.

// Where a layout puts the buttons the game reads; -1 for none. A D-pad of buttons has up,
// down, left and right from dpadUp on.
struct PadLayout
{
  int south;
  int back;
  int start;
  int dpadUp;
};

// sdl12-compat shows every pad in SDL 2's game controller layout.
const PadLayout CONTROLLER_LAYOUT = {0, 4, 6, 11};
// Classic SDL 1.2 numbers an Xbox pad's buttons A, B, X, Y, LB, RB, Back, Start, on Linux and on Windows alike.
const PadLayout XBOX_LAYOUT = {0, 6, 7, -1};
// Linux numbers a PlayStation pad's buttons Cross, Circle, Triangle, Square, L1, R1, L2, R2, Share, Options.
const PadLayout PLAYSTATION_LAYOUT = {0, 8, 9, -1};
// Windows has the same pad's Square first, then Cross.
const PadLayout PLAYSTATION_WINDOWS_LAYOUT = {1, 8, 9, -1};
// A browser's standard gamepad: A, B, X, Y, LB, RB, LT, RT, Back, Start, the sticks, then the D-pad.
const PadLayout BROWSER_LAYOUT = {0, 8, 9, 12};

// A stick pushed less than this far from its centre steers nowhere.
const int STICK_DEAD_ZONE = 12000;
const int MAX_PADS = 4;

// The layout of a pad by the name its SDL reports.
PadLayout LayoutFor(const char* name, bool sdl12Compat);

// Starts SDL's pads without making a game that has none fail; pads attached later join as SDL sees them.
void InitPads();
void OpenNewPads();
// Gives pad `which` its layout; every pad starts in the layout of an unnamed pad.
void SetPadLayout(int which, const PadLayout& layout);
// Forgets what every pad held, and their layouts.
void ResetPads();

// The directions held on the keyboard or any pad.
struct Steering
{
  bool up;
  bool down;
  bool left;
  bool right;
};
Steering HeldDirections(const Uint8* keys);

// Takes a pad's event: a steer is kept for HeldDirections; a button gives the key it presses,
// Start giving Enter at the game-over sign and P during play. Everything else gives SDLK_UNKNOWN.
SDLKey PadKey(const SDL_Event& event, bool atSign);

#endif
