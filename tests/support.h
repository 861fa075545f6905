#ifndef SUPPORT_H
#define SUPPORT_H

#include <SDL.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

// Colours as 0xRRGGBB.
const Uint32 BLACK = 0x000000, WHITE = 0xFFFFFF, RED = 0xFF0000, GREEN = 0x00FF00, BLUE = 0x0000FF,
             MAGENTA = 0xFF00FF, NO_KEY = 0xFFFFFFFF;
const std::string DATA = std::string(SOURCE_DIR) + "/data/";

// A 32-bit surface in the display's format, filled with one colour.
SDL_Surface* makeSurface(int width, int height, Uint32 rgb);
Uint32 rgbAt(SDL_Surface* surface, int x, int y);
// How many files this process has open.
long openFiles();
// Blits the part of the source, or all of it, with its top-left corner at (x, y).
void blit(SDL_Surface* source, SDL_Surface* target, int x, int y, SDL_Rect* part = nullptr);
// Draws a text with its top-left corner at (x, y) of the target.
using DrawText = std::function<void(SDL_Surface* target, int x, int y, const std::string& text)>;
// The score line as the game draws it along the top, each text drawn by drawText.
void drawScoreLine(SDL_Surface* target, const DrawText& drawText, int points, int miinat);
// A picture the plain way: in the display's format, keyed unless key is NO_KEY, never run-length coded.
SDL_Surface* plainPicture(const std::string& path, Uint32 key = NO_KEY);
// The frames of a committed set in the order its info file shows them, as plain pictures.
const std::vector<SDL_Surface*>& plainFrames(const std::string& set);

// The rectangle is the same on both surfaces, or all of one colour; else the first (x, y) that is not.
testing::AssertionResult sameRegion(SDL_Surface* actual, SDL_Surface* expected, int x, int y, int w, int h);
testing::AssertionResult regionIs(SDL_Surface* surface, int x, int y, int w, int h, Uint32 rgb);

std::string readFile(const std::string& path);
// A WAV file of 16-bit samples, given as their bytes, with the given channels and rate: the header of a
// committed effect with those fields changed.
std::string waveFile(Uint16 channels, Uint32 rate, const std::string& sampleBytes);

// A fresh directory, removed with everything in it at the end of its scope.
class TempDir
{
public:
  TempDir();
  ~TempDir();
  std::string path(const std::string& name = "") const;
  // Writes a file, making the directories on its way.
  void write(const std::string& name, const std::string& content) const;
  void replaceWithDirectory(const std::string& name) const;

private:
  std::string root;
};

// Unit tests link their own SDL_GetTicks and SDL_Delay over SDL's: time moves
// only when a test moves it or the code under test waits.
struct FakeClock
{
  Uint32 now = 0;
  Uint32 stepPerReading = 0;  // added after every reading, to tell readings apart
  int readings = 0;
  Uint32 delayedMs = 0;

  void reset(Uint32 start, Uint32 step = 0) { *this = FakeClock{start, step, 0, 0}; }
};
extern FakeClock fakeClock;

#endif
