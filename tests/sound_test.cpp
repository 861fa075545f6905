// The mixer without a device: the tests call SDL's audio callback themselves.
#include "sound.h"
#include "support.h"

#include <algorithm>
#include <cstring>

namespace {

using Samples = std::vector<Sint16>;

// Effects of steady samples, loaded from files as the game loads its own.
class Sound : public testing::Test
{
protected:
  void SetUp() override { ResetSound(); }
  void TearDown() override { ResetSound(); }

  void load(Effect effect, int count, Sint16 value)
  {
    std::string bytes(2 * count, '\0');
    for (int i = 0; i < count; ++i) {
      memcpy(&bytes[2 * i], &value, 2);
    }
    dir.write("effect.wav", waveFile(1, SOUND_RATE, bytes));
    ASSERT_TRUE(LoadEffect(effect, dir.path("effect.wav").c_str()));
  }

  // The next count samples the mixer gives SDL.
  static Samples mix(int count)
  {
    Samples samples(count, 12345);
    MixSound(nullptr, reinterpret_cast<uint8_t*>(samples.data()), 2 * count);
    return samples;
  }

  TempDir dir;
};

// Runs of one value, as expected of the mixer: easier to read in a failure than a sample list.
Samples runs(std::initializer_list<std::pair<int, Sint16>> parts)
{
  Samples samples;
  for (const auto& [count, value] : parts) {
    samples.insert(samples.end(), count, value);
  }
  return samples;
}

testing::AssertionResult sameSamples(const Samples& actual, const Samples& expected)
{
  if (actual.size() != expected.size()) {
    return testing::AssertionFailure() << actual.size() << " samples, expected " << expected.size();
  }
  for (size_t i = 0; i < std::min(actual.size(), expected.size()); ++i) {
    if (actual[i] != expected[i]) {
      return testing::AssertionFailure() << "sample " << i << " is " << actual[i] << ", expected " << expected[i];
    }
  }
  return testing::AssertionSuccess();
}

// Overlapping effects sum, held within 16 bits both ways, each from its first sample to its last;
// after the last the mixer gives silence, and a voice that ended takes the next effect. With every
// voice sounding, one more effect is left out.
TEST_F(Sound, OverlappingEffectsSumWithinSixteenBitsAndEachEndsCleanly)
{
  load(EFFECT_MINE_LAID, 100, 20000);
  load(EFFECT_CHICKEN_BLOWN_UP, 50, 20000);
  load(EFFECT_WORM_CAUGHT, 30, -30000);
  load(EFFECT_NEW_GAME, 20, 1000);
  PlayEffect(EFFECT_MINE_LAID);
  Samples first = mix(10);
  PlayEffect(EFFECT_CHICKEN_BLOWN_UP);
  Samples second = mix(120);
  EXPECT_TRUE(sameSamples(first, runs({{10, 20000}})));
  EXPECT_TRUE(sameSamples(second, runs({{50, 32767}, {40, 20000}, {30, 0}})));
  PlayEffect(EFFECT_WORM_CAUGHT);
  PlayEffect(EFFECT_WORM_CAUGHT);
  PlayEffect(EFFECT_NEW_GAME);
  EXPECT_TRUE(sameSamples(mix(40), runs({{20, -32768}, {10, -32768}, {10, 0}})));
  for (int i = 0; i <= VOICES; ++i) {
    PlayEffect(EFFECT_NEW_GAME);
  }
  EXPECT_TRUE(sameSamples(mix(30), runs({{20, VOICES * 1000}, {10, 0}})));
}

// A held game plays nothing, and its effects go on from where they were once it plays again; a reset
// forgets what sounds. (M, which silences what sounds and what follows, is heard in the real game's
// recording: tests/e2e_test.cpp.)
TEST_F(Sound, HoldingKeepsEffectsWhereTheyWere)
{
  load(EFFECT_MINE_LAID, 30, 500);
  PlayEffect(EFFECT_MINE_LAID);
  Samples before = mix(10);
  HoldSound(true);
  PlayEffect(EFFECT_MINE_LAID);
  Samples held = mix(10);
  HoldSound(false);
  Samples released = mix(30);
  EXPECT_TRUE(sameSamples(before, runs({{10, 500}})));
  EXPECT_TRUE(sameSamples(held, runs({{10, 0}})));
  EXPECT_TRUE(sameSamples(released, runs({{20, 500}, {10, 0}})));
  PlayEffect(EFFECT_MINE_LAID);
  ResetSound();
  EXPECT_TRUE(sameSamples(mix(10), runs({{10, 0}}))) << "after a reset";
}

}
