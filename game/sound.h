#ifndef SOUND_H
#define SOUND_H

#include <cstdint>

// The game's sound effects and the small mixer that plays them over SDL's audio. Effects that
// overlap are summed, each from its start to its end; a muted or held game plays nothing.

enum Effect
{
  EFFECT_MINE_LAID,
  EFFECT_CHICKEN_BLOWN_UP,
  EFFECT_WORM_CAUGHT,
  EFFECT_NEW_GAME,
  EFFECT_COUNT
};

// Where the effects lie under data/, and the only format they are read in: mono, 16-bit, 22050 Hz.
const char* const SOUND_DIRECTORY = "aanet";
const char* const EFFECT_FILES[EFFECT_COUNT] = {"pudotus.wav", "pamaus.wav", "kiinni.wav", "alku.wav"};
const int SOUND_RATE = 22050;
// No effect is longer than 0.6 s.
const int MAX_EFFECT_SAMPLES = SOUND_RATE * 6 / 10;
// SDL asks the mixer for this many samples at a time: 23 ms, which bounds the wait from the pass
// that plays an effect to its first sample.
const int SOUND_BUFFER_SAMPLES = 512;
// At most this many effects sound at once; one more is left out rather than cutting one off.
const int VOICES = 8;

// At start-up: loads every effect from data/aanet, saying which file it cannot open, and opens the
// audio. Without an audio device it says once why and the game plays silently. In the browser the
// page opens the audio at the player's first click, tap or key, as browsers want.
void OpenSound();
void PlayEffect(Effect effect);
// M: sound off or on again; whatever sounds stops at once. Nothing is kept between runs.
void ToggleMute();
// While held (the game paused) nothing sounds and the effects wait where they are.
void HoldSound(bool held);

// The parts below run without a device, for tests and the fuzz target.
// Reads one effect file; false, with the game's message, when it is not an effect in the game's format.
bool LoadEffect(Effect effect, const char* path);
// SDL's audio callback: mixes the sounding effects into the next bytes of 16-bit samples.
void MixSound(void* unused, uint8_t* stream, int bytes);
// Forgets every effect and every sounding voice, and unmutes.
void ResetSound();

#endif
