#include "CSpriteBase.h"

#include <cstdio>

namespace {

// Joined paths, picture names and info lines all fit in this many bytes.
const int TEXT_SIZE = 256;
// An info file announcing more frames than this is taken as damaged.
const int MAX_FRAMES = 1024;

bool isSkippedLine(const char* line)
{
  return line[0] == '#' || line[0] == '\r' || line[0] == '\n' || line[0] == '\0';
}

// Loads one frame picture in the display's format, with its colour key when
// red is not negative. Null when the picture cannot be read.
SDL_Surface* loadFrame(const char* path, int red, int green, int blue)
{
  SDL_Surface* picture = SDL_LoadBMP_RW(SDL_RWFromFile(path, "rb"), 1);
  // A damaged header can make SDL read a picture of 8 bits a pixel without its
  // colours, which SDL cannot convert: that picture cannot be read either.
  if (picture != NULL && picture->format->BitsPerPixel <= 8 && picture->format->palette == NULL) {
    SDL_FreeSurface(picture);
    picture = NULL;
  }
  if (picture == NULL) {
    return NULL;
  }
  // Keyed frames are run-length coded, so that drawing them skips the transparent runs.
  if (red >= 0) {
    SDL_SetColorKey(picture, SDL_SRCCOLORKEY | SDL_RLEACCEL,
                    SDL_MapRGB(picture->format, red & 255, green & 255, blue & 255));
  }
  SDL_Surface* image = SDL_DisplayFormat(picture);
  SDL_FreeSurface(picture);
  return image;
}

}

int CSpriteBase::init(const char* dir)
{
  char path[TEXT_SIZE];
  char line[TEXT_SIZE];
  int pathLength = snprintf(path, sizeof path, "%s/info", dir);
  FILE* info = pathLength < TEXT_SIZE ? fopen(path, "r") : NULL;
  bool firstLineRead = info != NULL && fgets(line, sizeof line, info) != NULL;
  // A directory named "info" opens but cannot be read: it is no info file either.
  if (info == NULL || (!firstLineRead && ferror(info))) {
    if (info != NULL) {
      fclose(info);
    }
    printf("ERROR opening file %s/info\n\n", dir);
    return -1;
  }

  int count = frameCount;
  if (firstLineRead) {
    sscanf(line, "FILES: %d", &count);
  }
  if (count < 0 || count > MAX_FRAMES) {
    fclose(info);
    return -1;
  }
  frameCount = count;
  frames = new CSpriteFrame[frameCount]();
  built = 1;

  // Fields missing from a frame line keep the values of the line before.
  char name[TEXT_SIZE];
  int pause = 0;
  int red = 0;
  int green = 0;
  int blue = 0;
  int result = 0;
  for (int i = 0; i < frameCount && fgets(line, sizeof line, info) != NULL;) {
    if (isSkippedLine(line)) {
      continue;
    }
    if (sscanf(line, "%255s %d %d %d %d", name, &pause, &red, &green, &blue) < 1 ||
        snprintf(path, sizeof path, "%s/%s", dir, name) >= TEXT_SIZE ||
        (frames[i].image = loadFrame(path, red, green, blue)) == NULL) {
      result = -1;
      break;
    }
    frames[i].pause = pause;
    if (width == 0) {
      width = frames[i].image->w;
    }
    if (height == 0) {
      height = frames[i].image->h;
    }
    i += 1;
  }
  fclose(info);
  return result;
}
