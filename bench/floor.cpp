// The least a frame of the game can cost: clear the screen, blit the background
// and flip, at the game's pace, on the same full-screen mode and with the same
// choice of drawing. The benchmark compares the running game with it.

#include "layout.h"
#include "platform.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

namespace {

SDL_Surface* screen;
SDL_Surface* back;

int FloorPass(const Uint8*)
{
  int quit = 0;
  for (SDL_Event event; SDL_PollEvent(&event);) {
    quit = quit || event.type == SDL_QUIT;
  }
  SDL_FillRect(screen, NULL, 0);
  SDL_BlitSurface(back, NULL, screen, NULL);
  SDL_Flip(screen);
  return quit;
}

}

int main(int, char**)
{
  ChooseDrawing();
  if (SDL_Init(SDL_INIT_VIDEO) < 0) {
    printf("Unable to init SDL: %s\n", SDL_GetError());
    return 1;
  }
  atexit(SDL_Quit);
  screen = SDL_SetVideoMode(SCREEN_WIDTH, SCREEN_HEIGHT, 32, SDL_FULLSCREEN);
  SDL_Surface* file = SDL_LoadBMP("data/bg.bmp");
  if (screen == NULL || file == NULL) {
    printf("No screen or background: %s\n", SDL_GetError());
    return 1;
  }
  back = SDL_DisplayFormat(file);
  SDL_FreeSurface(file);
  RunFrameLoop(FloorPass);
  return 0;
}
