#ifndef CSPRITE_H
#define CSPRITE_H

#include <SDL.h>

#include "CSpriteBase.h"

// One thing on screen: a position, the frame of its set shown now and the
// clock of its animation. It draws itself onto its target surface.
class CSprite
{
public:
  int init(CSpriteBase* base, SDL_Surface* target);
  void draw();
  void clearBG();
  void updateBG();

  void set(int x, int y) { this->x = x; this->y = y; }
  void xset(int x) { this->x = x; }
  void yset(int y) { this->y = y; }
  void xadd(int step) { x += step; }
  void yadd(int step) { y += step; }
  int getx() { return x; }
  int gety() { return y; }
  int getw();
  int geth();
  void setSpeed(float speed) { this->speed = speed; }

  int frameIndex = 0;
  int x = 0;
  int y = 0;
  int savedX = 0;
  int savedY = 0;
  int animating = 0;
  int drawn = 0;
  float speed = 0.0f;
  int lastTicks = 0;
  CSpriteBase* base = nullptr;
  SDL_Surface* background = nullptr;
  SDL_Surface* target = nullptr;
};

// Blits the whole of source onto destination with its top-left corner at (x, y).
void blitAt(SDL_Surface* source, SDL_Surface* destination, int x, int y);

#endif
