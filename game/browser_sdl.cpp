// The browser build's stand-ins for three SDL 1.2 calls that the browser's SDL lacks or
// ignores. They replace SDL's own for every caller, the sprite and font libraries included;
// the desktop builds leave this file out, and would get nothing from it.

#ifdef __EMSCRIPTEN__

#include <SDL.h>

#include <cstring>

// Every surface of the browser's SDL has the display's format, so a copy is the conversion.
SDL_Surface* SDL_DisplayFormat(SDL_Surface* surface)
{
  return SDL_DisplayFormatAlpha(surface);
}

// The browser's SDL copies pixels handed to it one byte at a time in script; a locked surface
// of the same format takes them in one copy a row, and shows them once unlocked. Unlike SDL's
// own, the surface has its own copy of the pixels: the one caller, the font, converts it at once.
SDL_Surface* SDL_CreateRGBSurfaceFrom(void* pixels, int width, int height, int depth, int pitch, Uint32 rmask,
                                      Uint32 gmask, Uint32 bmask, Uint32 amask)
{
  SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, depth, rmask, gmask, bmask, amask);
  if (surface == NULL) {
    return NULL;
  }
  size_t rowBytes = static_cast<size_t>(width) * surface->format->BytesPerPixel;
  SDL_LockSurface(surface);
  for (int y = 0; y < height; ++y) {
    memcpy(static_cast<Uint8*>(surface->pixels) + y * surface->pitch, static_cast<Uint8*>(pixels) + y * pitch, rowBytes);
  }
  SDL_UnlockSurface(surface);
  return surface;
}

// The browser's SDL ignores colour keys. Keyed pixels become see-through in the
// picture itself instead, as SDL compares them: by their colour bits alone. They
// stay so when the key is taken off, which only the copy under a sprite does.
int SDL_SetColorKey(SDL_Surface* surface, int flag, Uint32 key)
{
  if ((flag & SDL_SRCCOLORKEY) == 0) {
    return 0;
  }
  SDL_PixelFormat* format = surface->format;
  Uint32 colourBits = format->Rmask | format->Gmask | format->Bmask;
  SDL_LockSurface(surface);
  for (int y = 0; y < surface->h; ++y) {
    Uint32* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(surface->pixels) + y * surface->pitch);
    for (int x = 0; x < surface->w; ++x) {
      if ((row[x] & colourBits) == (key & colourBits)) {
        row[x] = 0;
      }
    }
  }
  SDL_UnlockSurface(surface);
  return 0;
}

#endif
