#ifndef LESSON3_H
#define LESSON3_H

#include <SDL.h>

#include "CSprite.h"
#include "CSpriteBase.h"
#include "font.h"
#include "pad.h"

const int KANA_COUNT = 25;
const int MIINA_SLOTS = 28;

extern SDL_Surface* screen;
extern SDL_Surface* back;
extern SDL_Surface* gameoverimg;
extern SDL_Surface* taukoimg;
extern CSpriteBase matobase;
extern CSprite mato;
extern int gameover;

extern CSpriteBase kanabase;
extern CSpriteBase miinabase;
extern CSprite kana[KANA_COUNT];
extern int edraw[KANA_COUNT];
extern int einfo[KANA_COUNT];
extern CSprite miina[MIINA_SLOTS];
extern int mdraw[MIINA_SLOTS];
extern int miinat;
extern int score;

extern SDLFont* font;

SDL_Surface* ImageLoad(const char* path);
void DrawIMG(SDL_Surface* img, int x, int y);
void DrawBG();
// The score line: the points and the mines left.
void DrawScore();
void DrawScene();

void addEnemy(int i);
void addMiina();
void AloitaUusipeli();
bool Sprite_Collide(CSprite& a, CSprite& b);

// Start-up once the video mode is set: pictures, sprite sets, sprites, font.
void LoadGame();
// The window's title and icon, set before the video mode.
void SetWindowLook();
// One pass of the frame loop but for its closing pause; says whether the game goes on, the
// player quit or the game is paused.
int RunPass(const Uint8* keys);
// The steps of a pass: the keys pressed, on the keyboard or a pad, the worm steered by the
// held directions, then the world's step: the chickens walk, mines they touch go off and
// score, and one touching the worm ends the game. Nothing steps while paused.
int HandleEvents();
void MoveMato(const Steering& held);
void StepWorld();

#endif
