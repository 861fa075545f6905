#ifndef FONT_H
#define FONT_H

#include <SDL.h>

// A bitmap font: a square sheet of 16 x 16 character cells whose coverage
// became the alpha of one colour, and the advance width of every character.
struct SDLFont
{
  SDL_Surface* image;
  int size;
  int cellSize;
  int* widths;
  unsigned char* pixels;
};

// Loads "font.ini", "font.raw" and "font.dat" from dir, coloured by the
// factors r, g, b and with coverage scaled by a. Null when it cannot load.
SDLFont* initFont(const char* dir, float r, float g, float b, float a);
SDLFont* initFont(const char* dir);

// Draws printf-formatted text with its top-left corner at (x, y).
void drawString(SDL_Surface* dst, SDLFont* font, int x, int y, const char* fmt, ...)
  __attribute__((format(printf, 5, 6)));

// The advance drawString would make for the same text.
int stringWidth(SDLFont* font, const char* fmt, ...) __attribute__((format(printf, 2, 3)));

void freeFont(SDLFont* font);

// Blits the rectangle (sx, sy, w, h) of img onto dst at (x, y).
void fontDrawIMG(SDL_Surface* dst, SDL_Surface* img, int x, int y, int w, int h, int sx, int sy);

#endif
