#include "fake_clock.h"

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
