#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

const char PART_SEPARATOR[] = "\n--8<--\n";

namespace {

const Uint32 TICKS_PER_READING = 37;

Uint32 ticks = 0;

}

extern "C" Uint32 SDL_GetTicks(void)
{
  Uint32 reading = ticks;
  ticks += TICKS_PER_READING;
  return reading;
}

void resetClock()
{
  ticks = 0;
}

std::vector<std::string> splitInput(const uint8_t* data, size_t size, size_t maxParts)
{
  std::string input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> parts;
  size_t start = 0;
  while (parts.size() < maxParts) {
    size_t end = input.find(PART_SEPARATOR, start);
    if (end == std::string::npos) {
      parts.push_back(input.substr(start));
      break;
    }
    parts.push_back(input.substr(start, end - start));
    start = end + strlen(PART_SEPARATOR);
  }
  return parts;
}

void startVideo()
{
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  if (SDL_Init(SDL_INIT_VIDEO) < 0 || SDL_SetVideoMode(64, 48, 32, 0) == NULL) {
    fprintf(stderr, "cannot start SDL: %s\n", SDL_GetError());
    abort();
  }
}

SDL_Surface* makeTarget(int width, int height)
{
  SDL_PixelFormat* format = SDL_GetVideoSurface()->format;
  return SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 32, format->Rmask, format->Gmask, format->Bmask, 0);
}

ScratchDir::ScratchDir()
{
  std::string pattern = (std::filesystem::temp_directory_path() / "kanamiina-fuzz-XXXXXX").string();
  if (mkdtemp(pattern.data()) == NULL) {
    perror("mkdtemp");
    abort();
  }
  root = pattern;
}

ScratchDir::~ScratchDir()
{
  std::error_code ignored;
  std::filesystem::remove_all(root, ignored);
}

void ScratchDir::place(const std::string& name, const std::vector<std::string>& parts, size_t index) const
{
  std::string file = root + "/" + name;
  if (index < parts.size()) {
    std::ofstream(file, std::ios::binary) << parts[index];
  } else {
    unlink(file.c_str());
  }
}
