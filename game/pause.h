#ifndef PAUSE_H
#define PAUSE_H

#include <SDL.h>

// The pause holds a running game while the player looks away: P, a pad's Start, or the window
// losing the keys or being minimised pause it; P or any key of the game resumes it, and that
// key does nothing else. Nothing moves or animates while paused.

bool Paused();
void Pause();
void Resume();

// Takes the event, with the key it presses or SDLK_UNKNOWN, when it pauses or resumes; true when
// the game must not also play it. A game over is never paused.
bool PauseTakes(const SDL_Event& event, SDLKey key, bool running);
// After the events of a pass: pauses when the window lost the keys or was minimised and did not
// have them back among the same events, as a window does whose keys only pass through another.
void PauseIfAway(bool running);

// Whether the paused field must be shown: once as the pause begins, and again after any event
// while paused, since the window may have been shown, uncovered or switched. Asking clears it.
bool PausedFrameDue();
// Shows the paused field: drawn by drawFrame as the pause begins, then kept, so that nothing on
// it moves or animates however often it is shown again.
void ShowPausedField(SDL_Surface* screen, void (*drawFrame)());

#endif
