#include "font.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

const int CHARACTERS = 256;
const int CELLS_PER_ROW = 16;
// Room for a directory name of 200 characters joined to a file name.
const int PATH_SIZE = 256;
// Formatted text is cut to fit this many bytes with its terminating zero.
const int TEXT_SIZE = 1024;
// Cells of 32 pixels at most, twice the game's own: a damaged "font.ini" must not make the game
// hold more than 2 MB of sheet.
const int MAX_SIZE = 512;
// "font.raw" is read this many bytes at a time.
const int CHUNK_SIZE = 4096;

#ifdef _WIN32
// No path names a pipe or a terminal on Windows, so a plain open cannot wait; bytes are read as they are.
const int READ_WITHOUT_WAITING = O_RDONLY | O_BINARY;
#else
const int READ_WITHOUT_WAITING = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
#endif

FILE* openFontFile(const char* dir, const char* name)
{
  char path[PATH_SIZE];
  int length = snprintf(path, sizeof path, "%s/%s", dir, name);
  if (length < 0 || length >= PATH_SIZE) {
    return NULL;
  }
  // Only a regular file, or a link to one, is read: a pipe, device, socket or directory is
  // not, and nothing waits on it.
  int descriptor = open(path, READ_WITHOUT_WAITING);
  struct stat status;
  FILE* file = descriptor >= 0 && fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode)
                 ? fdopen(descriptor, "rb") : NULL;
  if (file == NULL && descriptor >= 0) {
    close(descriptor);
  }
  return file;
}

// Rounds toward zero into a 16-bit signed integer; out of range gives 0.
int truncateToShort(float value)
{
  float whole = std::trunc(value);
  return whole >= -32768.0f && whole <= 32767.0f ? static_cast<int>(whole) : 0;
}

// Bytes missing at the end of a file read as 255, the end-of-file value.
// False when reading the file fails.
bool readPadded(FILE* file, unsigned char* bytes, size_t count)
{
  size_t got = fread(bytes, 1, count, file);
  memset(bytes + got, 255, count - got);
  return ferror(file) == 0;
}

void releaseFont(SDLFont* font)
{
  delete[] font->widths;
  delete[] font->pixels;
  SDL_FreeSurface(font->image);
  delete font;
}

// Reads the coverage bytes of the sheet into pixels of one colour; false when they cannot be read.
bool fillSheet(SDLFont* font, FILE* raw, float r, float g, float b, float a)
{
  // Deliberately 255 times the factor cut to a whole number, not the factor times 255: callers
  // rely on 1.0 giving 255, and a factor under 1 gives no colour at all.
  Uint8 red = static_cast<Uint8>(255 * truncateToShort(r));
  Uint8 green = static_cast<Uint8>(255 * truncateToShort(g));
  Uint8 blue = static_cast<Uint8>(255 * truncateToShort(b));
  Uint8 alphaOf[256];
  for (int coverage = 0; coverage < 256; ++coverage) {
    alphaOf[coverage] = static_cast<Uint8>(truncateToShort(coverage * a));
  }

  unsigned char chunk[CHUNK_SIZE];
  int pixelCount = font->size * font->size;
  for (int first = 0; first < pixelCount; first += CHUNK_SIZE) {
    int count = std::min(CHUNK_SIZE, pixelCount - first);
    if (!readPadded(raw, chunk, count)) {
      return false;
    }
    for (int i = 0; i < count; ++i) {
      unsigned char* pixel = font->pixels + 4 * (first + i);
      pixel[0] = red;
      pixel[1] = green;
      pixel[2] = blue;
      pixel[3] = alphaOf[chunk[i]];
    }
  }
  return true;
}

// Turns the pixel buffer into a sheet in the display's format with alpha. (The browser build
// gives the sheet a copy of the buffer at once: game/browser_sdl.cpp.)
SDL_Surface* convertSheet(SDLFont* font)
{
  SDL_Surface* sheet = SDL_CreateRGBSurfaceFrom(font->pixels, font->size, font->size, 32, font->size * 4,
                                                0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000);
  if (sheet == NULL) {
    return NULL;
  }
  SDL_Surface* image = SDL_DisplayFormatAlpha(sheet);
  SDL_FreeSurface(sheet);
  return image;
}

// Widths come from "font.dat"; without a readable one every character takes half a cell.
void readWidths(SDLFont* font, FILE* dat)
{
  unsigned char bytes[CHARACTERS];
  if (dat == NULL || !readPadded(dat, bytes, sizeof bytes)) {
    memset(bytes, font->cellSize / 2, sizeof bytes);
  }
  for (int c = 0; c < CHARACTERS; ++c) {
    font->widths[c] = bytes[c];
  }
}

void formatText(char (&text)[TEXT_SIZE], const char* fmt, va_list args)
{
  if (vsnprintf(text, sizeof text, fmt, args) < 0) {
    text[0] = '\0';
  }
}

}

SDLFont* initFont(const char* dir, float r, float g, float b, float a)
{
  FILE* ini = openFontFile(dir, "font.ini");
  if (ini == NULL) {
    return NULL;
  }
  int size = 0;
  int fields = fscanf(ini, "%d", &size);
  fclose(ini);
  if (fields != 1 || size <= 0 || size > MAX_SIZE) {
    return NULL;
  }

  SDLFont* font = new (std::nothrow) SDLFont();
  if (font == NULL) {
    return NULL;
  }
  font->size = size;
  font->cellSize = size / CELLS_PER_ROW;
  font->pixels = new (std::nothrow) unsigned char[static_cast<size_t>(size) * size * 4];
  font->widths = new (std::nothrow) int[CHARACTERS];
  FILE* raw = openFontFile(dir, "font.raw");
  if (font->pixels == NULL || font->widths == NULL || raw == NULL) {
    if (raw != NULL) {
      fclose(raw);
    }
    releaseFont(font);
    return NULL;
  }
  bool sheetRead = fillSheet(font, raw, r, g, b, a);
  fclose(raw);
  font->image = sheetRead ? convertSheet(font) : NULL;
  if (font->image == NULL) {
    releaseFont(font);
    return NULL;
  }

  FILE* dat = openFontFile(dir, "font.dat");
  readWidths(font, dat);
  if (dat != NULL) {
    fclose(dat);
  }
  return font;
}

SDLFont* initFont(const char* dir)
{
  return initFont(dir, 1.0f, 1.0f, 1.0f, 1.0f);
}

void drawString(SDL_Surface* dst, SDLFont* font, int x, int y, const char* fmt, ...)
{
  if (font == NULL) {
    return;
  }
  char text[TEXT_SIZE];
  va_list args;
  va_start(args, fmt);
  formatText(text, fmt, args);
  va_end(args);

  int cell = font->cellSize;
  int advance = 0;
  for (const char* character = text; *character != '\0'; ++character) {
    int c = static_cast<unsigned char>(*character);
    int width = font->widths[c];
    int sourceX = (c % CELLS_PER_ROW) * cell + cell / 2 - width / 2;
    int sourceY = (c / CELLS_PER_ROW) * cell;
    fontDrawIMG(dst, font->image, x + advance, y, width + 2, cell, sourceX, sourceY);
    advance += width;
  }
}

int stringWidth(SDLFont* font, const char* fmt, ...)
{
  if (font == NULL) {
    return 0;
  }
  char text[TEXT_SIZE];
  va_list args;
  va_start(args, fmt);
  formatText(text, fmt, args);
  va_end(args);

  int width = 0;
  for (const char* character = text; *character != '\0'; ++character) {
    width += font->widths[static_cast<unsigned char>(*character)];
  }
  return width;
}

void freeFont(SDLFont* font)
{
  if (font != NULL) {
    releaseFont(font);
  }
}

void fontDrawIMG(SDL_Surface* dst, SDL_Surface* img, int x, int y, int w, int h, int sx, int sy)
{
  SDL_Rect source;
  source.x = static_cast<Sint16>(sx);
  source.y = static_cast<Sint16>(sy);
  source.w = static_cast<Uint16>(w);
  source.h = static_cast<Uint16>(h);
  SDL_Rect where;
  where.x = static_cast<Sint16>(x);
  where.y = static_cast<Sint16>(y);
  SDL_BlitSurface(img, &source, dst, &where);
}
