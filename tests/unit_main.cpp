#include "support.h"

#include <cstdlib>

FakeClock fakeClock;

extern "C" Uint32 SDL_GetTicks(void)
{
  Uint32 reading = fakeClock.now;
  fakeClock.now += fakeClock.stepPerReading;
  fakeClock.readings += 1;
  return reading;
}

extern "C" void SDL_Delay(Uint32 ms)
{
  fakeClock.now += ms;
  fakeClock.delayedMs += ms;
}

// SDL runs once for the whole test program, on the dummy video driver.
int main(int argc, char** argv)
{
  testing::InitGoogleTest(&argc, argv);
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  if (SDL_Init(SDL_INIT_VIDEO) != 0 || SDL_SetVideoMode(640, 480, 32, 0) == nullptr) {
    fprintf(stderr, "no video: %s\n", SDL_GetError());
    return 1;
  }
  int failed = RUN_ALL_TESTS();
  SDL_Quit();
  return failed;
}
