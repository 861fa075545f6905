#include "fuzz_support.h"
#include "sound.h"

#include <algorithm>

// The input is an effect file. It loads as the game loads its effects; one that loads plays twice,
// overlapping, and is mixed to its end.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static bool started = false;
  const std::string& dir = startOnce();
  if (!started) {
    // The game says which files it cannot open: most inputs are no effect.
    FUZZ_CHECK(freopen("/dev/null", "w", stdout) != NULL);
    started = true;
  }
  placeFiles(dir, {"effect.wav"}, data, size);
  ResetSound();
  if (LoadEffect(EFFECT_MINE_LAID, (dir + "/effect.wav").c_str())) {
    Sint16 mixed[SOUND_BUFFER_SAMPLES];
    PlayEffect(EFFECT_MINE_LAID);
    MixSound(nullptr, reinterpret_cast<uint8_t*>(mixed), sizeof mixed);
    PlayEffect(EFFECT_MINE_LAID);
    for (int pass = 0; pass <= MAX_EFFECT_SAMPLES / SOUND_BUFFER_SAMPLES + 1; ++pass) {
      MixSound(nullptr, reinterpret_cast<uint8_t*>(mixed), sizeof mixed);
    }
    FUZZ_CHECK(std::all_of(mixed, mixed + SOUND_BUFFER_SAMPLES, [](Sint16 sample) { return sample == 0; }));
  }
  return 0;
}
