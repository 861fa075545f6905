#include "test_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

std::string hex(Uint32 rgb)
{
  char text[16];
  snprintf(text, sizeof text, "%06X", rgb);
  return text;
}

}

SDL_Surface* makeSurface(int width, int height, Uint32 rgb)
{
  SDL_PixelFormat* format = SDL_GetVideoSurface()->format;
  SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 32, format->Rmask, format->Gmask,
                                              format->Bmask, 0);
  fill(surface, rgb);
  return surface;
}

void fill(SDL_Surface* surface, Uint32 rgb)
{
  SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, rgb >> 16, (rgb >> 8) & 255, rgb & 255));
}

Uint32 rgbAt(SDL_Surface* surface, int x, int y)
{
  SDL_LockSurface(surface);
  Uint8* row = static_cast<Uint8*>(surface->pixels) + y * surface->pitch;
  Uint32 pixel = 0;
  memcpy(&pixel, row + x * surface->format->BytesPerPixel, surface->format->BytesPerPixel);
  SDL_UnlockSurface(surface);
  Uint8 r, g, b;
  SDL_GetRGB(pixel, surface->format, &r, &g, &b);
  return (r << 16) | (g << 8) | b;
}

testing::AssertionResult regionIs(SDL_Surface* surface, int x, int y, int w, int h, Uint32 rgb)
{
  for (int row = y; row < y + h; ++row) {
    for (int column = x; column < x + w; ++column) {
      Uint32 found = rgbAt(surface, column, row);
      if (found != rgb) {
        return testing::AssertionFailure() << "pixel (" << column << ", " << row << ") is " << hex(found)
                                           << ", expected " << hex(rgb);
      }
    }
  }
  return testing::AssertionSuccess();
}

testing::AssertionResult sameRegion(SDL_Surface* actual, SDL_Surface* expected, int x, int y, int w, int h)
{
  for (int row = y; row < y + h; ++row) {
    for (int column = x; column < x + w; ++column) {
      Uint32 found = rgbAt(actual, column, row);
      Uint32 wanted = rgbAt(expected, column, row);
      if (found != wanted) {
        return testing::AssertionFailure() << "pixel (" << column << ", " << row << ") is " << hex(found)
                                           << ", expected " << hex(wanted);
      }
    }
  }
  return testing::AssertionSuccess();
}

void writeBMP(const std::string& path, int width, int height, const std::function<Uint32(int, int)>& colourAt)
{
  SDL_Surface* picture =
    SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 24, 0x0000FF, 0x00FF00, 0xFF0000, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      Uint32 rgb = colourAt(x, y);
      Uint8* pixel = static_cast<Uint8*>(picture->pixels) + y * picture->pitch + x * 3;
      pixel[0] = rgb >> 16;
      pixel[1] = (rgb >> 8) & 255;
      pixel[2] = rgb & 255;
    }
  }
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  SDL_SaveBMP(picture, path.c_str());
  SDL_FreeSurface(picture);
}

void writeBMP(const std::string& path, int width, int height, Uint32 rgb)
{
  writeBMP(path, width, height, [rgb](int, int) { return rgb; });
}

Keys held(std::initializer_list<SDLKey> keys)
{
  Keys state{};
  for (SDLKey key : keys) {
    state[key] = 1;
  }
  return state;
}

void press(SDLKey key)
{
  SDL_Event event{};
  event.type = SDL_KEYDOWN;
  event.key.state = SDL_PRESSED;
  event.key.keysym.sym = key;
  SDL_PushEvent(&event);
}

void quitRequest()
{
  SDL_Event event{};
  event.type = SDL_QUIT;
  SDL_PushEvent(&event);
}

void freeSet(CSpriteBase& set)
{
  for (int i = 0; set.built == 1 && i < set.frameCount; ++i) {
    SDL_FreeSurface(set.frames[i].image);
  }
  delete[] set.frames;
  set = CSpriteBase{};
}

TempDir::TempDir()
{
  std::string pattern = (std::filesystem::temp_directory_path() / "kanamiina-test-XXXXXX").string();
  root = mkdtemp(pattern.data());
}

TempDir::~TempDir()
{
  std::filesystem::remove_all(root);
}

std::string TempDir::path(const std::string& name) const
{
  return name.empty() ? root : root + "/" + name;
}

void TempDir::write(const std::string& name, const std::string& content) const
{
  std::filesystem::path file = path(name);
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << content;
}

void TempDir::makeDir(const std::string& name) const
{
  std::filesystem::create_directories(path(name));
}
