#include "CSprite.h"

namespace {

// The picture of frame `index`, or null when the set has none to show:
// not loaded, no frames, or a frame that was announced but never read.
SDL_Surface* frameImage(const CSpriteBase* base, int index)
{
  if (base == NULL || base->built != 1 || index < 0 || index >= base->frameCount) {
    return NULL;
  }
  return base->frames[index].image;
}

}

void blitAt(SDL_Surface* source, SDL_Surface* destination, int x, int y)
{
  SDL_Rect where;
  where.x = static_cast<Sint16>(x);
  where.y = static_cast<Sint16>(y);
  SDL_BlitSurface(source, NULL, destination, &where);
}

int CSprite::init(CSpriteBase* base, SDL_Surface* target)
{
  this->base = base;
  if (base->built == 1) {
    if (base->frameCount > 1) {
      animating = 1;
    }
    SDL_Surface* first = frameImage(base, 0);
    if (first != NULL) {
      background = SDL_DisplayFormat(first);
    }
    // The copy inherits the frame's colour key; a saved patch must restore every pixel. (In the
    // browser the keyed pixels are see-through in the copy itself: game/browser_sdl.cpp.)
    if (background != NULL) {
      SDL_SetColorKey(background, 0, 0);
    }
  }
  this->target = target;
  return 0;
}

void CSprite::draw()
{
  if (animating == 1) {
    // Rounded to a float on purpose: with long run times the deadline lands on the float's
    // coarser steps, and animations keep exactly that pace.
    float deadline = static_cast<float>(lastTicks + base->frames[frameIndex].pause * static_cast<double>(speed));
    if (static_cast<double>(SDL_GetTicks()) > deadline) {
      frameIndex += 1;
      if (frameIndex > base->frameCount - 1) {
        frameIndex = 0;
      }
      lastTicks = static_cast<int>(SDL_GetTicks());
    }
  }
  if (drawn == 0) {
    drawn = 1;
  }
  SDL_Surface* image = frameImage(base, frameIndex);
  if (image != NULL) {
    blitAt(image, target, x, y);
  }
}

void CSprite::clearBG()
{
  if (drawn == 1 && background != NULL) {
    blitAt(background, target, savedX, savedY);
  }
}

void CSprite::updateBG()
{
  savedX = x;
  savedY = y;
  if (background == NULL) {
    return;
  }
  SDL_Rect under;
  under.x = static_cast<Sint16>(x);
  under.y = static_cast<Sint16>(y);
  under.w = static_cast<Uint16>(base->width);
  under.h = static_cast<Uint16>(base->height);
  SDL_BlitSurface(target, &under, background, NULL);
}

int CSprite::getw()
{
  SDL_Surface* first = frameImage(base, 0);
  return first != NULL ? first->w : 0;
}

int CSprite::geth()
{
  SDL_Surface* first = frameImage(base, 0);
  return first != NULL ? first->h : 0;
}
