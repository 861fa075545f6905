#ifndef FAKE_CLOCK_H
#define FAKE_CLOCK_H

#include <SDL.h>

// The tests link their own SDL_GetTicks and SDL_Delay over SDL's: time
// moves only when a test moves it or the code under test waits.
struct FakeClock
{
  Uint32 now;
  Uint32 stepPerReading;  // added after every reading, to tell readings apart
  int readings;
  Uint32 delayedMs;

  void reset(Uint32 start, Uint32 step = 0)
  {
    now = start;
    stepPerReading = step;
    readings = 0;
    delayedMs = 0;
  }
};

extern FakeClock fakeClock;

#endif
