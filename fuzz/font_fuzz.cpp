#include "font.h"
#include "fuzz_support.h"

#include <cstring>

// The input is a font's directory: "font.ini", "font.raw" and "font.dat", then, when 16 bytes
// follow, the red, green, blue and alpha factors as four floats.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const std::string& dir = startOnce();
  std::string rest = placeFiles(dir, {"font.ini", "font.raw", "font.dat"}, data, size);
  float factors[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  if (rest.size() >= sizeof factors) {
    memcpy(factors, rest.data(), sizeof factors);
  }
  SDLFont* font = initFont(dir.c_str(), factors[0], factors[1], factors[2], factors[3]);
  std::string everyCharacter;
  int width = 0;
  for (int c = 1; c < 256; ++c) {
    everyCharacter += static_cast<char>(c);
    width += font != NULL ? font->widths[c] : 0;
  }
  FUZZ_CHECK(font == NULL || (font->size <= 512 && font->cellSize == font->size / 16 && font->image != NULL));
  FUZZ_CHECK(stringWidth(font, "%s", everyCharacter.c_str()) == width);
  // Every character and the score line, inside and across every edge of a small target.
  SDL_Surface* target = SDL_CreateRGBSurface(SDL_SWSURFACE, 80, 60, 32, 0xFF0000, 0xFF00, 0xFF, 0);
  const int POSITIONS[][2] = {{0, 0}, {-5, -7}, {70, 50}, {-100, 20}, {30, -100}, {-40000, 40000}};
  for (const auto& position : POSITIONS) {
    drawString(target, font, position[0], position[1], "%s", everyCharacter.c_str());
    drawString(target, font, position[0], position[1], "Pisteet: %d Miinat: %d", 125, 28);
  }
  SDL_FreeSurface(target);
  freeFont(font);
  return 0;
}
