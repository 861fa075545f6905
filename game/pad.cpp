#include "pad.h"

#include "platform.h"

#include <cctype>
#include <initializer_list>
#include <string>

namespace {

enum Direction
{
  UP,
  DOWN,
  LEFT,
  RIGHT,
  DIRECTIONS
};
// The arrow keys, as a key event names them.
const SDLKey ARROWS[DIRECTIONS] = {static_cast<SDLKey>(KEY_UP), static_cast<SDLKey>(KEY_DOWN), static_cast<SDLKey>(KEY_LEFT),
                                   static_cast<SDLKey>(KEY_RIGHT)};

// What each pad holds, by each of the ways it steers.
struct Pad
{
  PadLayout layout;
  bool stick[DIRECTIONS];
  bool hat[DIRECTIONS];
  bool dpad[DIRECTIONS];
};
Pad pads[MAX_PADS];
SDL_Joystick* opened[MAX_PADS];

PadLayout UnnamedLayout()
{
#ifdef __EMSCRIPTEN__
  return BROWSER_LAYOUT;
#else
  return LayoutFor(NULL, OnSdl12Compat());
#endif
}

bool IsPlayStation(const char* name)
{
  std::string lower(name);
  for (char& c : lower) {
    c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  }
  for (const char* part : {"playstation", "sony", "dualshock", "dualsense", "wireless controller"}) {
    if (lower.find(part) != std::string::npos) {
      return true;
    }
  }
  return false;
}

// Returns the arrow a steer newly holds, or SDLK_UNKNOWN.
SDLKey Hold(bool (&held)[DIRECTIONS], Direction direction, bool down)
{
  bool newly = down && !held[direction];
  held[direction] = down;
  return newly ? ARROWS[direction] : SDLK_UNKNOWN;
}

SDLKey StickMoved(Pad& pad, const SDL_JoyAxisEvent& motion)
{
  if (motion.axis > 1) {
    return SDLK_UNKNOWN;
  }
  Direction less = motion.axis == 0 ? LEFT : UP;
  Direction more = motion.axis == 0 ? RIGHT : DOWN;
  SDLKey toLess = Hold(pad.stick, less, motion.value < -STICK_DEAD_ZONE);
  SDLKey toMore = Hold(pad.stick, more, motion.value > STICK_DEAD_ZONE);
  return toLess != SDLK_UNKNOWN ? toLess : toMore;
}

SDLKey HatMoved(Pad& pad, const SDL_JoyHatEvent& motion)
{
  SDLKey newly = SDLK_UNKNOWN;
  const Uint8 bits[DIRECTIONS] = {SDL_HAT_UP, SDL_HAT_DOWN, SDL_HAT_LEFT, SDL_HAT_RIGHT};
  for (int direction = UP; direction < DIRECTIONS; ++direction) {
    SDLKey key = Hold(pad.hat, static_cast<Direction>(direction), (motion.value & bits[direction]) != 0);
    newly = newly != SDLK_UNKNOWN ? newly : key;
  }
  return newly;
}

SDLKey ButtonMoved(Pad& pad, const SDL_JoyButtonEvent& press, bool atSign)
{
  bool down = press.type == SDL_JOYBUTTONDOWN;
  int dpad = press.button - pad.layout.dpadUp;
  if (pad.layout.dpadUp >= 0 && dpad >= 0 && dpad < DIRECTIONS) {
    return Hold(pad.dpad, static_cast<Direction>(dpad), down);
  }
  if (!down) {
    return SDLK_UNKNOWN;
  }
  if (press.button == pad.layout.south) {
    return SDLK_SPACE;
  }
  if (press.button == pad.layout.back) {
    return SDLK_ESCAPE;
  }
  if (press.button == pad.layout.start) {
    return atSign ? SDLK_RETURN : SDLK_p;
  }
  return SDLK_UNKNOWN;
}

}

PadLayout LayoutFor(const char* name, bool sdl12Compat)
{
  if (sdl12Compat) {
    return CONTROLLER_LAYOUT;
  }
  if (name == NULL || !IsPlayStation(name)) {
    return XBOX_LAYOUT;
  }
#ifdef _WIN32
  return PLAYSTATION_WINDOWS_LAYOUT;
#else
  return PLAYSTATION_LAYOUT;
#endif
}

void InitPads()
{
  ResetPads();
  if (SDL_WasInit(SDL_INIT_JOYSTICK) == 0 && SDL_InitSubSystem(SDL_INIT_JOYSTICK) < 0) {
    return;
  }
  SDL_JoystickEventState(SDL_ENABLE);
  OpenNewPads();
}

// Classic SDL 1.2 counts its pads once, as it starts; sdl12-compat and the browser count them anew.
void OpenNewPads()
{
  int count = SDL_NumJoysticks();
  for (int which = 0; which < count && which < MAX_PADS; ++which) {
    if (opened[which] == NULL && (opened[which] = SDL_JoystickOpen(which)) != NULL) {
#ifndef __EMSCRIPTEN__
      SetPadLayout(which, LayoutFor(SDL_JoystickName(which), OnSdl12Compat()));
#endif
    }
  }
}

void SetPadLayout(int which, const PadLayout& layout)
{
  if (which >= 0 && which < MAX_PADS) {
    pads[which].layout = layout;
  }
}

void ResetPads()
{
  for (Pad& pad : pads) {
    pad = Pad{UnnamedLayout(), {}, {}, {}};
  }
}

Steering HeldDirections(const Uint8* keys)
{
  const int keyOf[DIRECTIONS] = {KEY_UP, KEY_DOWN, KEY_LEFT, KEY_RIGHT};
  bool held[DIRECTIONS];
  for (int direction = UP; direction < DIRECTIONS; ++direction) {
    held[direction] = keys[keyOf[direction]] != 0;
    for (const Pad& pad : pads) {
      held[direction] = held[direction] || pad.stick[direction] || pad.hat[direction] || pad.dpad[direction];
    }
  }
  return Steering{held[UP], held[DOWN], held[LEFT], held[RIGHT]};
}

SDLKey PadKey(const SDL_Event& event, bool atSign)
{
  switch (event.type) {
  case SDL_JOYAXISMOTION:
    return event.jaxis.which < MAX_PADS ? StickMoved(pads[event.jaxis.which], event.jaxis) : SDLK_UNKNOWN;
  case SDL_JOYHATMOTION:
    return event.jhat.which < MAX_PADS ? HatMoved(pads[event.jhat.which], event.jhat) : SDLK_UNKNOWN;
  case SDL_JOYBUTTONDOWN:
  case SDL_JOYBUTTONUP:
    return event.jbutton.which < MAX_PADS ? ButtonMoved(pads[event.jbutton.which], event.jbutton, atSign) : SDLK_UNKNOWN;
  default:
    return SDLK_UNKNOWN;
  }
}
