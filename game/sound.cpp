#include "sound.h"

#include "CSpriteBase.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

namespace {

// An effect file is its samples and a header, with room for a few chunks of text: a file any
// bigger is not one of the game's effects and is not read further.
const size_t MAX_FILE_BYTES = 2 * MAX_EFFECT_SAMPLES + 4096;

// A sounding effect: its samples and the next one to play; no samples when the voice is free.
struct Voice
{
  const std::vector<Sint16>* samples = nullptr;
  size_t next = 0;
};

std::vector<Sint16> effects[EFFECT_COUNT];
Voice voices[VOICES];
bool muted = false;
bool held = false;
bool audioOpen = false;
bool audioTried = false;

// Keeps SDL's audio thread out of the voices while it lives; without an open device there is none.
class VoicesLock
{
public:
  VoicesLock()
  {
    if (audioOpen) {
      SDL_LockAudio();
    }
  }
  ~VoicesLock()
  {
    if (audioOpen) {
      SDL_UnlockAudio();
    }
  }
};

void silenceVoices()
{
  for (Voice& voice : voices) {
    voice = Voice();
  }
}

Uint32 littleEndian(const std::string& bytes, size_t at, int size)
{
  Uint32 value = 0;
  for (int i = size - 1; i >= 0; --i) {
    value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  }
  return value;
}

// The whole of a regular file of at most MAX_FILE_BYTES; false when it is none.
bool readSmallFile(const char* path, std::string& bytes)
{
  FILE* file = openRegularFile(path, "rb");
  if (file == NULL) {
    return false;
  }
  bytes.resize(MAX_FILE_BYTES + 1);
  bytes.resize(fread(&bytes[0], 1, bytes.size(), file));
  bool whole = ferror(file) == 0 && bytes.size() <= MAX_FILE_BYTES;
  fclose(file);
  return whole;
}

// Whether a "fmt " chunk describes the game's format: PCM, mono, 16-bit, SOUND_RATE.
bool isGameFormat(const std::string& bytes, size_t at, Uint32 size)
{
  return size >= 16 && littleEndian(bytes, at, 2) == 1 && littleEndian(bytes, at + 2, 2) == 1 &&
         littleEndian(bytes, at + 4, 4) == SOUND_RATE && littleEndian(bytes, at + 12, 2) == 2 &&
         littleEndian(bytes, at + 14, 2) == 16;
}

// The samples of a RIFF WAVE file in the game's format: its "fmt " chunk comes before a "data"
// chunk of 1 to MAX_EFFECT_SAMPLES samples; other chunks are passed over. False for anything else.
bool parseWave(const std::string& bytes, std::vector<Sint16>& samples)
{
  if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0) {
    return false;
  }
  bool formatFits = false;
  for (size_t at = 12; bytes.size() - at >= 8;) {
    const std::string id = bytes.substr(at, 4);
    const Uint32 size = littleEndian(bytes, at + 4, 4);
    const size_t body = at + 8;
    if (size > bytes.size() - body) {
      return false;
    }
    if (id == "fmt ") {
      formatFits = isGameFormat(bytes, body, size);
    } else if (id == "data") {
      if (!formatFits || size == 0 || size % 2 != 0 || size / 2 > MAX_EFFECT_SAMPLES) {
        return false;
      }
      samples.resize(size / 2);
      for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<Sint16>(littleEndian(bytes, body + 2 * i, 2));
      }
      return true;
    }
    // A chunk of an odd size is padded to an even one.
    at = body + size + (size & 1);
    if (at > bytes.size()) {
      return false;
    }
  }
  return false;
}

// Opens SDL's audio in the game's own format, which SDL converts to the device's as it needs.
// Without it the game plays silently, having said why once.
void StartSound()
{
  if (audioTried) {
    return;
  }
  audioTried = true;
  SDL_AudioSpec wanted = {};
  wanted.freq = SOUND_RATE;
  wanted.format = AUDIO_S16SYS;
  wanted.channels = 1;
  wanted.samples = SOUND_BUFFER_SAMPLES;
  wanted.callback = MixSound;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0 || SDL_OpenAudio(&wanted, NULL) < 0) {
    printf("No sound: %s\n", SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return;
  }
  audioOpen = true;
#ifdef __EMSCRIPTEN__
  // The browser's SDL plays every buffer 50 ms late unless told so before it starts. With 2 ms, and
  // the one buffer of 23 ms that the page has it queue ahead, it holds between about 15 and 45 ms
  // of sound in hand, and an effect starts at most 2 + 2 x 23 = 48 ms after its pass.
  EM_ASM(SDL.audio.bufferingDelay = 0.002);
#endif
  SDL_PauseAudio(0);
}

}

bool LoadEffect(Effect effect, const char* path)
{
  std::string bytes;
  std::vector<Sint16> samples;
  if (!readSmallFile(path, bytes) || !parseWave(bytes, samples)) {
    printf("ERROR opening file %s\n\n", path);
    return false;
  }
  VoicesLock lock;
  effects[effect].swap(samples);
  return true;
}

void OpenSound()
{
  for (int effect = 0; effect < EFFECT_COUNT; ++effect) {
    std::string path = std::string("data/") + SOUND_DIRECTORY + "/" + EFFECT_FILES[effect];
    LoadEffect(static_cast<Effect>(effect), path.c_str());
  }
#ifndef __EMSCRIPTEN__
  StartSound();
#endif
}

#ifdef __EMSCRIPTEN__
// The page calls this at the player's first click, tap or key: a browser lets a page's audio
// start only after a gesture, and warns of any that tries before.
extern "C" EMSCRIPTEN_KEEPALIVE void StartSoundAfterGesture()
{
  StartSound();
}

// Whether effects are heard now: the audio has opened and M has not muted it. For the page's tests.
extern "C" EMSCRIPTEN_KEEPALIVE int SoundIsHeard()
{
  return audioOpen && !muted;
}
#endif

// A new effect takes a free voice; with every voice sounding it is left out.
void PlayEffect(Effect effect)
{
  VoicesLock lock;
  if (muted || held || effects[effect].empty()) {
    return;
  }
  for (Voice& voice : voices) {
    if (voice.samples == nullptr) {
      voice.samples = &effects[effect];
      voice.next = 0;
      return;
    }
  }
}

void ToggleMute()
{
  VoicesLock lock;
  muted = !muted;
  silenceVoices();
}

void HoldSound(bool hold)
{
  VoicesLock lock;
  held = hold;
}

// Each output sample is the sum of the voices' samples, held within 16 bits.
void MixSound(void*, uint8_t* stream, int bytes)
{
  for (int at = 0; at + 1 < bytes; at += 2) {
    Sint32 sum = 0;
    for (Voice& voice : voices) {
      if (held || voice.samples == nullptr) {
        continue;
      }
      sum += (*voice.samples)[voice.next];
      voice.next += 1;
      if (voice.next == voice.samples->size()) {
        voice = Voice();
      }
    }
    Sint16 sample = static_cast<Sint16>(sum < -32768 ? -32768 : sum > 32767 ? 32767 : sum);
    memcpy(stream + at, &sample, 2);
  }
}

void ResetSound()
{
  VoicesLock lock;
  silenceVoices();
  for (std::vector<Sint16>& samples : effects) {
    samples.clear();
  }
  muted = false;
  held = false;
}
