// Synthesises the game's four sound effects into WAV files: mono, 16-bit, 22050 Hz, as the
// game plays them. Everything after the sine table is integer arithmetic, and the table is
// rounded once from double, so the bytes are the same on every run and every C library.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "sound.h"

namespace {

using Samples = std::vector<int32_t>;

const int RATE = SOUND_RATE;
// Sine over one whole turn: the oscillators take the top 12 bits of a 32-bit phase.
const int SINE_STEPS = 4096;
const int FULL_SCALE = 32768;
// The first and last 8 ms rise from and fall to silence, so no effect clicks.
const int FADE_SAMPLES = RATE * 8 / 1000;

const std::vector<int32_t>& sineTable()
{
  static std::vector<int32_t> table = [] {
    std::vector<int32_t> values(SINE_STEPS);
    for (int i = 0; i < SINE_STEPS; ++i) {
      values[i] = static_cast<int32_t>(std::lround(32767.0 * std::sin(2.0 * M_PI * i / SINE_STEPS)));
    }
    return values;
  }();
  return table;
}

int samplesOf(int milliseconds)
{
  return RATE * milliseconds / 1000;
}

// The phase step of a tone of the given pitch, in thousandths of a hertz.
uint32_t phaseStep(int64_t milliHertz)
{
  return static_cast<uint32_t>((milliHertz << 32) / (int64_t{RATE} * 1000));
}

int32_t sine(uint32_t phase)
{
  return sineTable()[phase >> 20];
}

// A tone gliding from one pitch to another, with a short rise and a decay: each sample keeps
// decay/65536 of the loudness before it. Its harmonic, an octave or a fifth up, colours it.
struct Tone
{
  int startMs;
  int lengthMs;
  int fromHertz;
  int toHertz;
  int peak;      // of FULL_SCALE
  int decay;     // of 65536 a sample
  int harmonic;  // times the pitch: 2 an octave, 3 an octave and a fifth
  int harmonicShare;  // of 256
};

void addTone(Samples& samples, const Tone& tone)
{
  const int start = samplesOf(tone.startMs), length = samplesOf(tone.lengthMs);
  const int rise = samplesOf(4), fall = samplesOf(15);
  uint32_t phase = 0, overtone = 0;
  int64_t loudness = tone.peak;
  for (int i = 0; i < length && start + i < static_cast<int>(samples.size()); ++i) {
    int64_t milliHertz = 1000 * (tone.fromHertz + int64_t{tone.toHertz - tone.fromHertz} * i / length);
    int64_t wave = sine(phase) * (256 - tone.harmonicShare) + sine(overtone) * tone.harmonicShare;
    int64_t shape = loudness;
    if (i < rise) {
      shape = shape * i / rise;
    }
    if (length - 1 - i < fall) {
      shape = shape * (length - 1 - i) / fall;
    }
    samples[start + i] += static_cast<int32_t>(wave * shape / (256 * int64_t{FULL_SCALE}));
    phase += phaseStep(milliHertz);
    overtone += phaseStep(milliHertz * tone.harmonic);
    loudness = loudness * tone.decay >> 16;
  }
}

// Rumbling noise: a fixed pseudo-random sequence through a low-pass that closes as it dies away.
void addRumble(Samples& samples, int lengthMs, int peak)
{
  const int length = std::min(samplesOf(lengthMs), static_cast<int>(samples.size()));
  uint32_t state = 0x4B414E41;  // the same noise every time
  int64_t filtered = 0, loudness = peak;
  for (int i = 0; i < length; ++i) {
    state = state * 1664525u + 1013904223u;
    int64_t noise = static_cast<int64_t>(state >> 16) - 32768;
    int64_t opening = 96 - 80 * int64_t{i} / length;  // of 256
    filtered += (noise - filtered) * opening / 256;
    samples[i] += static_cast<int32_t>(filtered * loudness / FULL_SCALE);
    loudness = loudness * 65526 >> 16;
  }
}

// The mine settles into the grass: a soft, quick drop in pitch.
Samples mineLaid()
{
  Samples samples(samplesOf(140));
  addTone(samples, {0, 140, 540, 150, 15000, 65510, 2, 40});
  return samples;
}

// The mine goes off under a chicken: a low thump inside a rumbling burst, then a bright
// little chime for the points.
Samples chickenBlownUp()
{
  Samples samples(samplesOf(450));
  addRumble(samples, 420, 22000);
  addTone(samples, {0, 300, 110, 45, 12000, 65520, 2, 64});
  addTone(samples, {240, 200, 1568, 1568, 5000, 65500, 2, 48});
  return samples;
}

// A chicken catches the worm: three falling notes, each lower and longer, the last one sagging.
Samples wormCaught()
{
  Samples samples(samplesOf(600));
  addTone(samples, {0, 170, 392, 392, 12000, 65530, 3, 70});
  addTone(samples, {170, 170, 311, 311, 12000, 65530, 3, 70});
  addTone(samples, {340, 260, 262, 220, 13000, 65528, 3, 70});
  return samples;
}

// A new game: a quick rising arpeggio of bell-like notes, C E G C.
Samples newGame()
{
  Samples samples(samplesOf(380));
  const int notes[] = {523, 659, 784, 1047};
  for (int n = 0; n < 4; ++n) {
    addTone(samples, {80 * n, n < 3 ? 130 : 140, notes[n], notes[n], 9000, 65490, 2, 60});
  }
  return samples;
}

// The first and last samples fade from and to silence; the result fits in 16 bits or the effect
// is refused: a synthesised sound may not clip.
std::vector<int16_t> finished(Samples samples)
{
  const int count = static_cast<int>(samples.size());
  std::vector<int16_t> result(count);
  for (int i = 0; i < count; ++i) {
    int64_t edge = std::min({int64_t{i}, int64_t{count - 1 - i}, int64_t{FADE_SAMPLES}});
    int64_t value = samples[i] * edge / FADE_SAMPLES;
    if (value < -32767 || value > 32767) {
      throw std::runtime_error("an effect clips at sample " + std::to_string(i));
    }
    result[i] = static_cast<int16_t>(value);
  }
  return result;
}

void putLittleEndian(std::string& bytes, uint32_t value, int size)
{
  for (int i = 0; i < size; ++i) {
    bytes += static_cast<char>(value >> (8 * i) & 0xFF);
  }
}

void writeWav(const std::filesystem::path& path, const std::vector<int16_t>& samples)
{
  const uint32_t dataBytes = 2 * samples.size();
  std::string bytes = "RIFF";
  putLittleEndian(bytes, 36 + dataBytes, 4);
  bytes += "WAVEfmt ";
  putLittleEndian(bytes, 16, 4);
  putLittleEndian(bytes, 1, 2);  // PCM
  putLittleEndian(bytes, 1, 2);  // mono
  putLittleEndian(bytes, RATE, 4);
  putLittleEndian(bytes, 2 * RATE, 4);
  putLittleEndian(bytes, 2, 2);
  putLittleEndian(bytes, 16, 2);
  bytes += "data";
  putLittleEndian(bytes, dataBytes, 4);
  for (int16_t sample : samples) {
    putLittleEndian(bytes, static_cast<uint16_t>(sample), 2);
  }
  std::ofstream file(path, std::ios::binary);
  if (!(file << bytes)) {
    throw std::runtime_error("cannot write " + path.string());
  }
}

void writeSounds(const std::filesystem::path& dataDirectory)
{
  std::filesystem::create_directories(dataDirectory / SOUND_DIRECTORY);
  const std::pair<Effect, Samples> effects[] = {
    {EFFECT_MINE_LAID, mineLaid()},
    {EFFECT_CHICKEN_BLOWN_UP, chickenBlownUp()},
    {EFFECT_WORM_CAUGHT, wormCaught()},
    {EFFECT_NEW_GAME, newGame()},
  };
  for (const auto& [effect, samples] : effects) {
    writeWav(dataDirectory / SOUND_DIRECTORY / EFFECT_FILES[effect], finished(samples));
  }
}

}

int main(int argc, char** argv)
{
  if (argc != 2) {
    std::cerr << "usage: makesounds <datadir>\n";
    return 1;
  }
  try {
    writeSounds(argv[1]);
  } catch (const std::exception& error) {
    std::cerr << "makesounds: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
