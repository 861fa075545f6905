#include "font.h"
#include "fuzz_support.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// The input is a font's directory: "font.ini", "font.raw" and "font.dat",
// then, when a fourth part has 16 bytes, the red, green, blue and alpha
// factors as four floats.
namespace {

const char* const FILE_NAMES[] = {"font.ini", "font.raw", "font.dat"};
const size_t FILE_COUNT = sizeof FILE_NAMES / sizeof FILE_NAMES[0];
const size_t FACTORS_PART = FILE_COUNT;
const size_t FACTOR_COUNT = 4;
// Sheets up to 16383 pixels a side load, but one that big takes a gigabyte
// and seconds a run: the fuzzer keeps to sheets this big.
const int MAX_FUZZED_SIZE = 1024;
const int MAX_LOADED_SIZE = 65535 / 4;
const int TARGET_WIDTH = 80;
const int TARGET_HEIGHT = 60;
const int POSITIONS[][2] = {{0, 0}, {-5, -7}, {70, 50}, {-100, 20}, {30, -100}, {-40000, 40000}};

ScratchDir* scratch;
SDL_Surface* target;
std::string everyCharacter;

SDLFont* load(const std::vector<std::string>& parts)
{
  const char* dir = scratch->path().c_str();
  if (parts.size() <= FACTORS_PART || parts[FACTORS_PART].size() < FACTOR_COUNT * sizeof(float)) {
    return initFont(dir);
  }
  float factors[FACTOR_COUNT];
  memcpy(factors, parts[FACTORS_PART].data(), sizeof factors);
  return initFont(dir, factors[0], factors[1], factors[2], factors[3]);
}

void checkLoadedFont(const SDLFont* font)
{
  FUZZ_CHECK(font->size > 0 && font->size <= MAX_LOADED_SIZE);
  FUZZ_CHECK(font->cellSize == font->size / 16);
  FUZZ_CHECK(font->image != NULL && font->pixels != NULL && font->widths != NULL);
  for (int c = 0; c < 256; ++c) {
    FUZZ_CHECK(font->widths[c] >= 0 && font->widths[c] <= 255);
  }
}

// Every character, the score line's words and numbers, at every spot.
void exerciseFont(SDLFont* font)
{
  int expectedWidth = 0;
  for (char c : everyCharacter) {
    expectedWidth += font != NULL ? font->widths[static_cast<unsigned char>(c)] : 0;
  }
  FUZZ_CHECK(stringWidth(font, "%s", everyCharacter.c_str()) == expectedWidth);
  for (const auto& position : POSITIONS) {
    drawString(target, font, position[0], position[1], "%s", everyCharacter.c_str());
    drawString(target, font, position[0], position[1], "Pisteet: %d Miinat: %d", 125, 28);
  }
  FUZZ_CHECK(stringWidth(font, "%s", "") == 0);
}

}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
  startVideo();
  static ScratchDir dir;
  scratch = &dir;
  target = makeTarget(TARGET_WIDTH, TARGET_HEIGHT);
  for (int c = 1; c < 256; ++c) {
    everyCharacter += static_cast<char>(c);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  std::vector<std::string> parts = splitInput(data, size, FILE_COUNT + 1);
  int announcedSize = 0;
  if (sscanf(parts[0].c_str(), "%d", &announcedSize) == 1 && announcedSize > MAX_FUZZED_SIZE) {
    return -1;
  }
  for (size_t i = 0; i < FILE_COUNT; ++i) {
    scratch->place(FILE_NAMES[i], parts, i);
  }

  SDLFont* font = load(parts);
  if (font != NULL) {
    checkLoadedFont(font);
  }
  exerciseFont(font);
  freeFont(font);
  return 0;
}
