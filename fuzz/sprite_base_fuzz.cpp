#include "CSprite.h"
#include "CSpriteBase.h"
#include "fuzz_support.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

// The input is a sprite set's directory: its "info" file, then two pictures
// the info file may name, "a.bmp" and "b.bmp".
namespace {

const char* const FILE_NAMES[] = {"info", "a.bmp", "b.bmp"};
const size_t FILE_COUNT = sizeof FILE_NAMES / sizeof FILE_NAMES[0];
const int MAX_FRAMES = 1024;
// SDL sizes a picture from its header before it reads a pixel: bigger
// pictures only make each run slow, and a cut header makes SDL read its
// sizes from nowhere.
const long MAX_PICTURE_SIDE = 64;
const int TARGET_WIDTH = 80;
const int TARGET_HEIGHT = 60;
// Every spot where a sprite may stand: inside, across each edge, far out.
const int POSITIONS[][2] = {{0, 0}, {-5, -7}, {70, 50}, {-100, 20}, {30, -100}, {75, 10}, {200, 200}, {-40000, 40000}};
const size_t POSITION_COUNT = sizeof POSITIONS / sizeof POSITIONS[0];

ScratchDir* scratch;
SDL_Surface* target;

long readLittleEndian(const std::string& file, size_t offset, size_t bytes)
{
  unsigned long value = 0;
  for (size_t i = 0; i < bytes; ++i) {
    value |= static_cast<unsigned long>(static_cast<unsigned char>(file[offset + i])) << (8 * i);
  }
  return value;
}

bool isSmallPicture(const std::string& file)
{
  if (file.compare(0, 2, "BM") != 0) {
    return true;
  }
  const size_t INFO_SIZE_AT = 14;
  const size_t WIDTH_AT = 18;
  if (file.size() < INFO_SIZE_AT + 4) {
    return false;
  }
  long width;
  long height;
  if (readLittleEndian(file, INFO_SIZE_AT, 4) == 12) {
    if (file.size() < WIDTH_AT + 4) {
      return false;
    }
    width = readLittleEndian(file, WIDTH_AT, 2);
    height = readLittleEndian(file, WIDTH_AT + 2, 2);
  } else {
    if (file.size() < WIDTH_AT + 8) {
      return false;
    }
    width = static_cast<int32_t>(readLittleEndian(file, WIDTH_AT, 4));
    height = static_cast<int32_t>(readLittleEndian(file, WIDTH_AT + 4, 4));
  }
  return width >= 0 && width <= MAX_PICTURE_SIDE && height >= -MAX_PICTURE_SIDE && height <= MAX_PICTURE_SIDE;
}

void checkLoadedSet(const CSpriteBase& set, int result)
{
  FUZZ_CHECK(result == 0 || result == -1);
  FUZZ_CHECK(set.built == 0 || set.built == 1);
  if (set.built == 0) {
    FUZZ_CHECK(result == -1);
    FUZZ_CHECK(set.frames == NULL);
    return;
  }
  FUZZ_CHECK(set.frameCount >= 0 && set.frameCount <= MAX_FRAMES);
  // Loading stops at the first frame that fails: no picture after a gap.
  bool gap = false;
  for (int i = 0; i < set.frameCount; ++i) {
    SDL_Surface* image = set.frames[i].image;
    FUZZ_CHECK(!(gap && image != NULL));
    if (image == NULL) {
      gap = true;
      FUZZ_CHECK(set.frames[i].pause == 0);
    } else {
      FUZZ_CHECK(image->w <= MAX_PICTURE_SIDE && image->h <= MAX_PICTURE_SIDE);
    }
  }
}

void checkSize(CSprite& sprite, const CSpriteBase& set)
{
  SDL_Surface* first = set.built == 1 && set.frameCount > 0 ? set.frames[0].image : NULL;
  FUZZ_CHECK(sprite.getw() == (first != NULL ? first->w : 0));
  FUZZ_CHECK(sprite.geth() == (first != NULL ? first->h : 0));
}

void freeSet(CSpriteBase& set)
{
  for (int i = 0; set.built == 1 && i < set.frameCount; ++i) {
    SDL_FreeSurface(set.frames[i].image);
  }
  delete[] set.frames;
}

// Two sprites of the set walk over the target, saving, restoring and drawing,
// long enough for their animations to come round.
void exerciseSprites(CSpriteBase& set)
{
  const float SPEEDS[] = {0.0f, 2.0f};
  CSprite sprites[2] = {};
  for (int i = 0; i < 2; ++i) {
    FUZZ_CHECK(sprites[i].init(&set, target) == 0);
    sprites[i].setSpeed(SPEEDS[i]);
  }
  int steps = static_cast<int>(POSITION_COUNT) + (set.built == 1 ? std::min(set.frameCount, 40) : 0);
  for (int step = 0; step < steps; ++step) {
    for (int i = 0; i < 2; ++i) {
      const int* position = POSITIONS[(step + i) % POSITION_COUNT];
      sprites[i].set(position[0], position[1]);
      sprites[i].updateBG();
      sprites[i].draw();
      sprites[i].clearBG();
      FUZZ_CHECK(sprites[i].frameIndex >= 0 && (sprites[i].frameIndex == 0 || sprites[i].frameIndex < set.frameCount));
      checkSize(sprites[i], set);
    }
  }
  for (CSprite& sprite : sprites) {
    SDL_FreeSurface(sprite.background);
  }
}

}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
  startVideo();
  static ScratchDir dir;
  scratch = &dir;
  target = makeTarget(TARGET_WIDTH, TARGET_HEIGHT);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  std::vector<std::string> parts = splitInput(data, size, FILE_COUNT);
  // Picture names are joined to the set's directory: none may lead out of it.
  if (parts[0].find("../") != std::string::npos) {
    return -1;
  }
  for (const std::string& part : parts) {
    if (!isSmallPicture(part)) {
      return -1;
    }
  }
  for (size_t i = 0; i < FILE_COUNT; ++i) {
    scratch->place(FILE_NAMES[i], parts, i);
  }
  resetClock();

  CSpriteBase set{};
  int result = set.init(scratch->path().c_str());
  checkLoadedSet(set, result);
  exerciseSprites(set);
  freeSet(set);
  return 0;
}
