#ifndef FUZZ_SUPPORT_H
#define FUZZ_SUPPORT_H

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// A property every run must keep; breaking it is a finding like a crash.
#define FUZZ_CHECK(condition) \
  do { \
    if (!(condition)) { \
      fprintf(stderr, "check failed: %s\n", #condition); \
      abort(); \
    } \
  } while (0)

// An input holds the files of one directory one after the other, with this
// line between two files. Parts past the files a target knows are ignored.
extern const char PART_SEPARATOR[];

std::vector<std::string> splitInput(const uint8_t* data, size_t size, size_t maxParts);

// SDL on the dummy driver with a small video mode, started once per process.
void startVideo();

// A surface in the display's format to draw on.
SDL_Surface* makeTarget(int width, int height);

// The clock the code under test reads: it starts at 0 with every input and
// moves a fixed step at each reading, so every run of an input is the same.
void resetClock();

// One directory for the whole run, its files rewritten for every input.
class ScratchDir
{
public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return root; }
  // Writes the file when the input has that part, and removes it otherwise.
  void place(const std::string& name, const std::vector<std::string>& parts, size_t index) const;

private:
  std::string root;
};

#endif
