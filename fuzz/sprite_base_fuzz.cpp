#include "CSprite.h"
#include "CSpriteBase.h"
#include "fuzz_support.h"

#include <cstring>

// The input is a sprite set's directory: its "info" file, then pictures "a.bmp" and "b.bmp".
namespace {

Uint32 ticks;

// SDL sizes a picture from its header before it reads a pixel: inputs with a picture header of over
// 64 pixels a side only make each run slow, so they are skipped.
bool isSmallPicture(const uint8_t* data, size_t size)
{
  for (auto at = data; (at = static_cast<const uint8_t*>(memmem(at, data + size - at, "BM", 2))) != NULL; at += 2) {
    int32_t width = 0, height = 0;
    if (data + size - at < 26) {
      return false;
    }
    memcpy(&width, at + 18, 4);
    memcpy(&height, at + 22, 4);
    if (width < 0 || width > 64 || height < -64 || height > 64) {
      return false;
    }
  }
  return true;
}

}

extern "C" Uint32 SDL_GetTicks(void)
{
  return ticks += 37;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const std::string& dir = startOnce();
  if (!isSmallPicture(data, size)) {
    return 0;
  }
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
