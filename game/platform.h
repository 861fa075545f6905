#ifndef PLATFORM_H
#define PLATFORM_H

#include <SDL.h>

// Where the desktop and the browser build differ: the frame loop, the places of
// the arrows among the held keys, and the SDL calls the browser's SDL lacks.

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

// Runs passes with the held keys until one says the player quit, each held to
// the pace of a 60 Hz display.
void RunFrameLoop();

#endif
