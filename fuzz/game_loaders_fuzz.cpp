#include "fuzz_support.h"
#include "lesson3.h"

#include <unistd.h>

#include <filesystem>

// The input is the game's pictures: "data/bg.bmp", "data/peliohi.bmp" and "data/kuvake.bmp". They load
// as the game loads them, without sprite sets or font, and are drawn in a frame of play and one of game over.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static bool started = false;
  if (!started) {
    const std::string& dir = startOnce();
    std::filesystem::create_directories(dir + "/data");
    FUZZ_CHECK(chdir(dir.c_str()) == 0 && (screen = SDL_SetVideoMode(640, 480, 32, 0)) != NULL);
    // The game says which files it cannot open: every run misses the sprite sets and the font.
    FUZZ_CHECK(freopen("/dev/null", "w", stdout) != NULL);
    started = true;
  }
  placeFiles("data", {"bg.bmp", "peliohi.bmp", "kuvake.bmp"}, data, size);
  SetWindowLook();
  LoadGame();
  FUZZ_CHECK(back == NULL || (back->w <= 4096 && back->h <= 4096));
  for (gameover = 0; gameover <= 1; ++gameover) {
    DrawScene();
  }
  SDL_FreeSurface(back);
  SDL_FreeSurface(gameoverimg);
  back = gameoverimg = NULL;
  return 0;
}
