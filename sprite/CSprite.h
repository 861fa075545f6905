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

  int frameIndex;
  int x;
  int y;
  int savedX;
  int savedY;
  int animating;
  int drawn;
  float speed;
  int lastTicks;
  CSpriteBase* base;
  SDL_Surface* background;
  SDL_Surface* target;
};

#endif
