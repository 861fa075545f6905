#ifndef TEST_SUPPORT_H
#define TEST_SUPPORT_H

#include <SDL.h>
#include <gtest/gtest.h>

#include "CSpriteBase.h"

#include <array>
#include <functional>
#include <initializer_list>
#include <string>

// Colours as 0xRRGGBB.
const Uint32 BLACK = 0x000000;
const Uint32 WHITE = 0xFFFFFF;
const Uint32 RED = 0xFF0000;
const Uint32 GREEN = 0x00FF00;
const Uint32 BLUE = 0x0000FF;
const Uint32 MAGENTA = 0xFF00FF;

// A 32-bit surface in the display's format, filled with one colour.
SDL_Surface* makeSurface(int width, int height, Uint32 rgb);
void fill(SDL_Surface* surface, Uint32 rgb);
Uint32 rgbAt(SDL_Surface* surface, int x, int y);

// Every pixel of the rectangle has the colour; else the first (x, y) that has not.
testing::AssertionResult regionIs(SDL_Surface* surface, int x, int y, int w, int h, Uint32 rgb);
// The rectangle is the same on both surfaces; else the first (x, y) that differs.
testing::AssertionResult sameRegion(SDL_Surface* actual, SDL_Surface* expected, int x, int y, int w, int h);

// Writes a 24-bit BMP whose pixel colours come from colourAt(x, y).
void writeBMP(const std::string& path, int width, int height, const std::function<Uint32(int, int)>& colourAt);
void writeBMP(const std::string& path, int width, int height, Uint32 rgb);

// Keyboard state as SDL_GetKeyState gives it, and key presses as the event queue delivers them.
using Keys = std::array<Uint8, SDLK_LAST>;
Keys held(std::initializer_list<SDLKey> keys);
void press(SDLKey key);
void quitRequest();

// The game never frees its sets; tests give theirs back.
void freeSet(CSpriteBase& set);

// A fresh directory, removed with everything in it at the end of its scope.
class TempDir
{
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  std::string path(const std::string& name = "") const;
  // Writes a file, making the directories on its way.
  void write(const std::string& name, const std::string& content) const;
  void makeDir(const std::string& name) const;

private:
  std::string root;
};

#endif
