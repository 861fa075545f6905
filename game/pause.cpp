#include "pause.h"

#include "platform.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

namespace {

bool paused = false;
bool frameDue = false;
// The window lost the keys, or was minimised, and has not had them back since.
bool away = false;
SDL_Surface* heldField = NULL;

bool ResumesThePause(SDLKey key)
{
  switch (key) {
  case SDLK_p:
  case SDLK_SPACE:
  case SDLK_RETURN:
  case SDLK_ESCAPE:
  case KEY_UP:
  case KEY_DOWN:
  case KEY_LEFT:
  case KEY_RIGHT:
    return true;
  default:
    return false;
  }
}

void NoteWindow(const SDL_Event& event)
{
  if (event.type == SDL_ACTIVEEVENT && (event.active.state & (SDL_APPINPUTFOCUS | SDL_APPACTIVE)) != 0) {
    away = event.active.gain == 0;
  }
}

void SetPaused(bool pause)
{
  paused = pause;
  frameDue = pause;
  SDL_FreeSurface(heldField);
  heldField = NULL;
#ifdef __EMSCRIPTEN__
  EM_ASM(Module.onPause($0), pause ? 1 : 0);
#endif
}

}

bool Paused()
{
  return paused;
}

void Pause()
{
  SetPaused(true);
}

void Resume()
{
  if (paused) {
    SetPaused(false);
  }
}

bool PauseTakes(const SDL_Event& event, SDLKey key, bool running)
{
  NoteWindow(event);
  if (paused) {
    frameDue = true;
    if (ResumesThePause(key)) {
      Resume();
      return true;
    }
    return false;
  }
  if (running && key == SDLK_p) {
    Pause();
    return true;
  }
  return false;
}

void PauseIfAway(bool running)
{
  if (away && running && !paused) {
    Pause();
  }
  away = false;
}

bool PausedFrameDue()
{
  bool due = frameDue;
  frameDue = false;
  return due;
}

void ShowPausedField(SDL_Surface* screen, void (*drawFrame)())
{
  if (heldField == NULL) {
    drawFrame();
    heldField = SDL_DisplayFormat(screen);
    return;
  }
  SDL_BlitSurface(heldField, NULL, screen, NULL);
  SDL_Flip(screen);
}

#ifdef __EMSCRIPTEN__

// The page pauses a running game as a window losing the keys does, and resumes it on a click.
extern "C" EMSCRIPTEN_KEEPALIVE void PauseGame()
{
  SDL_Event lost = {};
  lost.type = SDL_ACTIVEEVENT;
  lost.active.gain = 0;
  lost.active.state = SDL_APPINPUTFOCUS;
  SDL_PushEvent(&lost);
}

extern "C" EMSCRIPTEN_KEEPALIVE void ResumeGame()
{
  Resume();
}

#endif
