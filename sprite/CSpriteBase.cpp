#include "CSpriteBase.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Joined paths, picture names and info lines all fit in this many bytes.
const int TEXT_SIZE = 256;
// An info file announcing more frames than this is taken as damaged.
const int MAX_FRAMES = 1024;
// The game's own pictures are at most 640 x 480. A picture may be up to 4096 pixels a side,
// but of no more than 1024 x 1024 pixels: 4 MB in the display's format.
const long long MAX_SIDE = 4096;
const long long MAX_PIXELS = 1024 * 1024;
// Every sprite keeps a copy of its set's first frame, and the game has 54 sprites: the frames
// of a set hold no more than 256 x 256 pixels together, 256 kB, the first among them.
const long long MAX_SET_PIXELS = 256 * 256;

bool sizeFits(long long width, long long height)
{
  return width >= 1 && height >= 1 && width <= MAX_SIDE && height <= MAX_SIDE && width * height <= MAX_PIXELS;
}

#ifndef __EMSCRIPTEN__
// SDL reads a BMP's size from its first 26 bytes.
const int BMP_HEADER_SIZE = 26;

// SDL makes room for a picture's pixels as its header says before it reads one: a header
// whose size does not fit is refused first. A negative height is a picture stored top row first.
bool headerFits(SDL_RWops* file)
{
  Uint8 header[BMP_HEADER_SIZE];
  if (SDL_RWread(file, header, 1, BMP_HEADER_SIZE) != BMP_HEADER_SIZE || SDL_RWseek(file, 0, RW_SEEK_SET) != 0) {
    return false;
  }
  auto number = [&](int at, int bytes) {
    Uint32 value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
      value = value << 8 | header[at + i];
    }
    return value;
  };
  // The OS/2 header of 12 bytes has 16-bit sizes; the others, signed 32-bit ones.
  if (number(14, 4) == 12) {
    return sizeFits(number(18, 2), number(20, 2));
  }
  return sizeFits(llabs(static_cast<Sint32>(number(18, 4))), llabs(static_cast<Sint32>(number(22, 4))));
}
#endif

// What SDL made of a file is a picture it can draw: a size that fits, pixels covering it and,
// at 8 bits a pixel or fewer, its colours.
bool isSoundPicture(const SDL_Surface* picture)
{
  const SDL_PixelFormat* format = picture->format;
  return sizeFits(picture->w, picture->h) && picture->pixels != NULL &&
         picture->pitch >= picture->w * format->BytesPerPixel && (format->BitsPerPixel > 8 || format->palette != NULL);
}

// A frame's picture lies in its set's directory or below it: its name is not absolute and
// has no ".." on the way.
bool staysInSet(const char* name)
{
  if (name[0] == '/') {
    return false;
  }
  for (const char* part = name;; part += strcspn(part, "/") + 1) {
    size_t length = strcspn(part, "/");
    if (length == 2 && strncmp(part, "..", 2) == 0) {
      return false;
    }
    if (part[length] == '\0') {
      return true;
    }
  }
}

bool isSkippedLine(const char* line)
{
  return line[0] == '#' || line[0] == '\r' || line[0] == '\n' || line[0] == '\0';
}

// Loads one frame picture in the display's format, with its colour key when
// red is not negative. Null when the picture cannot be read.
SDL_Surface* loadFrame(const char* path, int red, int green, int blue)
{
  SDL_Surface* picture = readPicture(path);
  if (picture == NULL) {
    return NULL;
  }
  // Keyed frames are run-length coded, so that drawing them skips the transparent runs. The
  // browser build replaces SDL_SetColorKey and SDL_DisplayFormat (game/browser_sdl.cpp): there
  // keyed pixels become see-through in the picture itself.
  if (red >= 0) {
    SDL_SetColorKey(picture, SDL_SRCCOLORKEY | SDL_RLEACCEL,
                    SDL_MapRGB(picture->format, red & 255, green & 255, blue & 255));
  }
  SDL_Surface* image = SDL_DisplayFormat(picture);
  SDL_FreeSurface(picture);
  return image;
}

}

#ifdef _WIN32
// No path names a pipe or a terminal on Windows, so a plain open cannot wait; bytes are read as they are.
const int READ_WITHOUT_WAITING = O_RDONLY | O_BINARY;
#else
const int READ_WITHOUT_WAITING = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
#endif

FILE* openRegularFile(const char* path, const char* mode)
{
  int descriptor = open(path, READ_WITHOUT_WAITING);
  if (descriptor < 0) {
    return NULL;
  }
  struct stat status;
  FILE* file = fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) ? fdopen(descriptor, mode) : NULL;
  if (file == NULL) {
    close(descriptor);
  }
  return file;
}

SDL_Surface* readPicture(const char* path)
{
#ifdef __EMSCRIPTEN__
  // The page decoded every picture of its data as it loaded: SDL takes them by name.
  SDL_Surface* picture = SDL_LoadBMP_RW(SDL_RWFromFile(path, "rb"), 1);
#else
  FILE* opened = openRegularFile(path, "rb");
  SDL_RWops* file = opened != NULL ? SDL_RWFromFP(opened, 1) : NULL;
  if (file == NULL) {
    if (opened != NULL) {
      fclose(opened);
    }
    return NULL;
  }
  SDL_Surface* picture = headerFits(file) ? SDL_LoadBMP_RW(file, 0) : NULL;
  SDL_RWclose(file);
#endif
  if (picture != NULL && !isSoundPicture(picture)) {
    SDL_FreeSurface(picture);
    picture = NULL;
  }
  return picture;
}

namespace {

// The fields of a frame line. A line may leave fields out: they keep the values of the line before.
struct FrameLine
{
  char name[TEXT_SIZE];
  int pause = 0;
  int red = 0;
  int green = 0;
  int blue = 0;
};

// Reads the next frame line into fields and loads the picture it names from dir. Null when the
// line names no picture of the set, or the picture cannot be read.
SDL_Surface* loadFrameLine(const char* dir, const char* line, FrameLine& fields)
{
  char path[TEXT_SIZE];
  if (sscanf(line, "%255s %d %d %d %d", fields.name, &fields.pause, &fields.red, &fields.green, &fields.blue) < 1 ||
      !staysInSet(fields.name) || snprintf(path, sizeof path, "%s/%s", dir, fields.name) >= TEXT_SIZE) {
    return NULL;
  }
  return loadFrame(path, fields.red, fields.green, fields.blue);
}

// Loads the frames the rest of the info file names, up to the set's count; -1 at the first
// frame that cannot be loaded or would take the set over its pixels. The frames before it stay.
int loadFrames(CSpriteBase& set, const char* dir, FILE* info)
{
  char line[TEXT_SIZE];
  FrameLine fields;
  long long pixels = 0;
  for (int i = 0; i < set.frameCount && fgets(line, sizeof line, info) != NULL;) {
    if (isSkippedLine(line)) {
      continue;
    }
    SDL_Surface* image = loadFrameLine(dir, line, fields);
    if (image == NULL) {
      return -1;
    }
    pixels += image->w * image->h;
    if (pixels > MAX_SET_PIXELS) {
      SDL_FreeSurface(image);
      return -1;
    }
    set.frames[i].image = image;
    set.frames[i].pause = fields.pause;
    if (set.width == 0) {
      set.width = image->w;
    }
    if (set.height == 0) {
      set.height = image->h;
    }
    i += 1;
  }
  return 0;
}

}

int CSpriteBase::init(const char* dir)
{
  char path[TEXT_SIZE];
  int pathLength = snprintf(path, sizeof path, "%s/info", dir);
  FILE* info = pathLength < TEXT_SIZE ? openRegularFile(path, "r") : NULL;
  if (info == NULL) {
    printf("ERROR opening file %s/info\n\n", dir);
    return -1;
  }
  // A count line without a count keeps the count the set had.
  char line[TEXT_SIZE];
  int count = frameCount;
  if (fgets(line, sizeof line, info) != NULL) {
    sscanf(line, "FILES: %d", &count);
  }
  if (count < 0 || count > MAX_FRAMES) {
    fclose(info);
    return -1;
  }
  frameCount = count;
  frames = new CSpriteFrame[frameCount]();
  built = 1;
  int result = loadFrames(*this, dir, info);
  fclose(info);
  return result;
}
