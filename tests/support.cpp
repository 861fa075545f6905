#include "support.h"

#include "layout.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

SDL_Surface* makeSurface(int width, int height, Uint32 rgb)
{
  SDL_PixelFormat* format = SDL_GetVideoSurface()->format;
  SDL_Surface* surface =
    SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 32, format->Rmask, format->Gmask, format->Bmask, 0);
  SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, rgb >> 16, (rgb >> 8) & 255, rgb & 255));
  return surface;
}

Uint32 rgbAt(SDL_Surface* surface, int x, int y)
{
  Uint32 pixel = 0;
  memcpy(&pixel, static_cast<Uint8*>(surface->pixels) + y * surface->pitch + x * surface->format->BytesPerPixel,
         surface->format->BytesPerPixel);
  Uint8 r, g, b;
  SDL_GetRGB(pixel, surface->format, &r, &g, &b);
  return (r << 16) | (g << 8) | b;
}

long openFiles()
{
  return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
}

void blit(SDL_Surface* source, SDL_Surface* target, int x, int y, SDL_Rect* part)
{
  SDL_Rect where = {static_cast<Sint16>(x), static_cast<Sint16>(y), 0, 0};
  SDL_BlitSurface(source, part, target, &where);
}

void drawScoreLine(SDL_Surface* target, const DrawText& drawText, int points, int miinat)
{
  drawText(target, PISTEET_X, SCORE_Y, "Pisteet:");
  drawText(target, SCORE_X, SCORE_Y, std::to_string(points));
  drawText(target, MIINAT_LABEL_X, SCORE_Y, "Miinat:");
  drawText(target, MIINAT_X, SCORE_Y, std::to_string(miinat));
}

SDL_Surface* plainPicture(const std::string& path, Uint32 key)
{
  SDL_Surface* file = SDL_LoadBMP(path.c_str());
  SDL_Surface* picture = SDL_DisplayFormat(file);
  SDL_FreeSurface(file);
  if (key != NO_KEY) {
    SDL_SetColorKey(picture, SDL_SRCCOLORKEY, SDL_MapRGB(picture->format, key >> 16, (key >> 8) & 255, key & 255));
  }
  return picture;
}

const std::vector<SDL_Surface*>& plainFrames(const std::string& set)
{
  // Each set is loaded once a program and kept to its end.
  static auto& loaded = *new std::map<std::string, std::vector<SDL_Surface*>>;
  std::vector<SDL_Surface*>& frames = loaded[set];
  if (frames.empty()) {
    std::ifstream info(DATA + set + "/info");
    std::string line;
    for (std::getline(info, line); std::getline(info, line);) {
      if (!line.empty() && line[0] != '#') {
        frames.push_back(plainPicture(DATA + set + "/" + line.substr(0, line.find(' ')), MAGENTA));
      }
    }
  }
  return frames;
}

testing::AssertionResult sameRegion(SDL_Surface* actual, SDL_Surface* expected, int x, int y, int w, int h)
{
  for (int row = y; row < y + h; ++row) {
    for (int column = x; column < x + w; ++column) {
      if (rgbAt(actual, column, row) != rgbAt(expected, column, row)) {
        // Each piece streamed into an AssertionResult is formatted afresh: the colours are put in hex here.
        std::ostringstream colours;
        colours << std::hex << rgbAt(actual, column, row) << ", expected " << rgbAt(expected, column, row);
        return testing::AssertionFailure() << "pixel (" << column << ", " << row << ") is " << colours.str();
      }
    }
  }
  return testing::AssertionSuccess();
}

testing::AssertionResult regionIs(SDL_Surface* surface, int x, int y, int w, int h, Uint32 rgb)
{
  SDL_Surface* expected = makeSurface(surface->w, surface->h, rgb);
  testing::AssertionResult same = sameRegion(surface, expected, x, y, w, h);
  SDL_FreeSurface(expected);
  return same;
}

std::string readFile(const std::string& path)
{
  std::ostringstream content;
  content << std::ifstream(path, std::ios::binary).rdbuf();
  return content.str();
}

TempDir::TempDir() : root((std::filesystem::temp_directory_path() / "kanamiina-test-XXXXXX").string())
{
  mkdtemp(root.data());
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
  std::filesystem::create_directories(std::filesystem::path(path(name)).parent_path());
  std::ofstream(path(name), std::ios::binary) << content;
}

void TempDir::replaceWithDirectory(const std::string& name) const
{
  std::filesystem::remove_all(path(name));
  std::filesystem::create_directories(path(name));
}

std::string waveFile(Uint16 channels, Uint32 rate, const std::string& sampleBytes)
{
  std::string header = readFile(DATA + "aanet/pudotus.wav").substr(0, 44);
  for (auto field : {std::pair<int, Uint32>{4, 36 + sampleBytes.size()}, {24, rate}, {40, sampleBytes.size()}}) {
    memcpy(&header[field.first], &field.second, 4);
  }
  memcpy(&header[22], &channels, 2);
  return header + sampleBytes;
}
