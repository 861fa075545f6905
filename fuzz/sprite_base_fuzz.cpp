#include "CSprite.h"
#include "CSpriteBase.h"
#include "fuzz_support.h"

// The input is a sprite set's directory: its "info" file, then pictures "a.bmp" and "b.bmp".
namespace {

Uint32 ticks;

}

extern "C" Uint32 SDL_GetTicks(void)
{
  return ticks += 37;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const std::string& dir = startOnce();
  placeFiles(dir, {"info", "a.bmp", "b.bmp"}, data, size);
  ticks = 0;
  CSpriteBase set;
  int result = set.init(dir.c_str());
  FUZZ_CHECK(result == 0 || (result == -1 && (set.built == 0 || set.built == 1)));
  FUZZ_CHECK(set.frameCount >= 0 && set.frameCount <= 1024);
  // A sprite of the set walks across every edge of a small target, long enough to animate.
  SDL_Surface* target = SDL_CreateRGBSurface(SDL_SWSURFACE, 80, 60, 32, 0xFF0000, 0xFF00, 0xFF, 0);
  CSprite sprite;
  sprite.init(&set, target);
  sprite.setSpeed(size % 2 == 0 ? 0.0f : 2.0f);
  const int POSITIONS[][2] = {{0, 0}, {-5, -7}, {70, 50}, {-100, 20}, {30, -100}, {200, 200}, {-40000, 40000}};
  for (int step = 0; step < 40; ++step) {
    sprite.set(POSITIONS[step % 7][0], POSITIONS[step % 7][1]);
    sprite.updateBG();
    sprite.draw();
    sprite.clearBG();
    FUZZ_CHECK(sprite.frameIndex == 0 || sprite.frameIndex < set.frameCount);
  }
  SDL_FreeSurface(sprite.background);
  SDL_FreeSurface(target);
  for (int i = 0; set.built == 1 && i < set.frameCount; ++i) {
    SDL_FreeSurface(set.frames[i].image);
  }
  delete[] set.frames;
  return 0;
}
