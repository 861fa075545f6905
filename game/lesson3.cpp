#include "lesson3.h"

#include "layout.h"
#include "pad.h"
#include "pause.h"
#include "platform.h"
#include "sound.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

// The rules.
const int MIINAT_PER_GAME = MIINA_SLOTS;
const int MIINAT_AT_ONCE = 3;
const int POINTS_PER_KANA = 125;

// The window's title and icon, for task switchers; a game without its icon plays the same.
const char* const TITLE = "Kanamiina";
const char* const ICON_PATH = "data/kuvake.bmp";

// How a chicken moves each frame for each direction code 1..10, and the time factor of its
// animation: each frame stays its pause times this, so 1.0 animates twice as fast as 2.0.
struct Suunta
{
  int dx;
  int dy;
  float frameTimeFactor;
};
const int SUUNTA_CODES = 10;
// A chicken starts on one of the first four codes, the diagonals.
const int START_SUUNTA_CODES = 4;
const Suunta SUUNNAT[SUUNTA_CODES + 1] = {
  {0, 0, 0.0f},
  {1, 1, 2.0f}, {-1, 1, 2.0f}, {-1, -1, 2.0f}, {1, -1, 2.0f}, {-2, -1, 1.0f},
  {0, 1, 2.0f}, {1, 0, 2.0f}, {0, -1, 2.0f}, {-1, 0, 2.0f}, {-1, -2, 1.0f},
};

SDL_Surface* screen;
SDL_Surface* back;
SDL_Surface* gameoverimg;
SDL_Surface* taukoimg;
CSpriteBase matobase;
CSprite mato;
int gameover;

CSpriteBase kanabase;
CSpriteBase miinabase;
CSprite kana[KANA_COUNT];
int edraw[KANA_COUNT];
int einfo[KANA_COUNT];
CSprite miina[MIINA_SLOTS];
int mdraw[MIINA_SLOTS];
int miinat = MIINAT_PER_GAME;
int score;

SDLFont* font;

// Reads a BMP as it is in its file, unconverted; says so when it cannot.
static SDL_Surface* ReadPictureOrSay(const char* path)
{
  SDL_Surface* loaded = readPicture(path);
  if (loaded == NULL) {
    printf("ERROR opening file %s\n\n", path);
  }
  return loaded;
}

SDL_Surface* ImageLoad(const char* path)
{
  SDL_Surface* loaded = ReadPictureOrSay(path);
  if (loaded == NULL) {
    return NULL;
  }
  SDL_Surface* converted = SDL_DisplayFormat(loaded);
  SDL_FreeSurface(loaded);
  return converted;
}

// The sign with its pure green keyed in its file's format. With eight bits a
// channel it converts to the display's format exactly, key and all, and is
// run-length coded there, so that drawing it skips the transparent runs.
static SDL_Surface* LoadSign(const char* path)
{
  SDL_Surface* sign = ReadPictureOrSay(path);
  if (sign == NULL) {
    return NULL;
  }
  bool convertsExactly = sign->format->BytesPerPixel >= 3;
  SDL_SetColorKey(sign, SDL_SRCCOLORKEY | (convertsExactly ? SDL_RLEACCEL : 0), SDL_MapRGB(sign->format, 0, 255, 0));
  if (!convertsExactly) {
    return sign;
  }
  SDL_Surface* converted = SDL_DisplayFormat(sign);
  SDL_FreeSurface(sign);
  return converted;
}

void DrawIMG(SDL_Surface* img, int x, int y)
{
  if (img != NULL) {
    blitAt(img, screen, x, y);
  }
}

void DrawBG()
{
  DrawIMG(back, 0, 0);
}

void DrawScore()
{
  drawString(screen, font, PISTEET_X, SCORE_Y, "Pisteet:");
  drawString(screen, font, SCORE_X, SCORE_Y, "%d", score);
  drawString(screen, font, MIINAT_LABEL_X, SCORE_Y, "Miinat:");
  drawString(screen, font, MIINAT_X, SCORE_Y, "%d", miinat);
}

// Mines lie under the chickens, and the chickens under the worm. Black is mapped, since
// the browser's SDL takes a colour of 0 for see-through.
void DrawScene()
{
  SDL_FillRect(screen, NULL, SDL_MapRGB(screen->format, 0, 0, 0));
  DrawBG();
  DrawScore();
  for (int i = 0; i < MIINA_SLOTS; ++i) {
    if (mdraw[i] > 0) {
      miina[i].draw();
    }
  }
  for (int i = 0; i < KANA_COUNT; ++i) {
    if (edraw[i] == 1) {
      kana[i].draw();
    }
  }
  mato.draw();
  if (gameover != 0) {
    DrawIMG(gameoverimg, GAMEOVER_X, GAMEOVER_Y);
  }
  if (Paused()) {
    DrawIMG(taukoimg, TAUKO_X, TAUKO_Y);
  }
  SDL_Flip(screen);
}

void addEnemy(int i)
{
  int r1 = rand();
  int r2 = rand();
  kana[i].setSpeed(2.0f);
  kana[i].set(r1 % KANA_START_COLUMNS + KANA_START_LEFT, r2 % KANA_START_ROWS + KANA_START_TOP);
  einfo[i] = rand() % START_SUUNTA_CODES + 1;
  edraw[i] = 1;
}

void addMiina()
{
  if (miinat <= 0) {
    return;
  }
  int lying = 0;
  for (int j = 0; j < MIINA_SLOTS; ++j) {
    if (mdraw[j] > 0) {
      lying += 1;
    }
  }
  if (lying >= MIINAT_AT_ONCE) {
    return;
  }
  for (int j = 0; j < MIINA_SLOTS; ++j) {
    if (mdraw[j] == 0) {
      miina[j].setSpeed(0.0f);
      miina[j].set(mato.getx() + MIINA_OFFSET_X, mato.gety() + MIINA_OFFSET_Y);
      miinat -= 1;
      mdraw[j] = 1;
      PlayEffect(EFFECT_MINE_LAID);
      return;
    }
  }
}

void AloitaUusipeli()
{
  for (int i = 0; i < KANA_COUNT; ++i) {
    addEnemy(i);
  }
  for (int j = 0; j < MIINA_SLOTS; ++j) {
    mdraw[j] = 0;
  }
  mato.set(MATO_START_X, MATO_START_Y);
  miinat = MIINAT_PER_GAME;
  gameover = 0;
  score = 0;
}

// The collision box is the upper-left part of the picture: from a tenth to a half of its size.
struct Box
{
  double left;
  double right;
  double top;
  double bottom;
};

static Box CollisionBox(CSprite& sprite)
{
  double x = sprite.getx();
  double y = sprite.gety();
  double w = sprite.getw();
  double h = sprite.geth();
  return Box{x + 0.1 * w, x + 0.5 * w, y + 0.1 * h, y + 0.5 * h};
}

bool Sprite_Collide(CSprite& a, CSprite& b)
{
  Box boxA = CollisionBox(a);
  Box boxB = CollisionBox(b);
  return !(boxB.top > boxA.bottom || boxA.top > boxB.bottom || boxB.left > boxA.right || boxA.left > boxB.right);
}

void LoadGame()
{
  back = ImageLoad("data/bg.bmp");
  // Keyed with a value outside its colour bits the background stays opaque, but classic
  // SDL then copies its rows with memcpy, several times faster after the clear than its
  // plain blit. sdl12-compat codes no runs and would test every pixel against the key.
  if (back != NULL && !OnSdl12Compat()) {
    SDL_PixelFormat* format = back->format;
    SDL_SetColorKey(back, SDL_SRCCOLORKEY | SDL_RLEACCEL, ~(format->Rmask | format->Gmask | format->Bmask));
  }
  gameoverimg = LoadSign("data/peliohi.bmp");
  taukoimg = LoadSign("data/tauko.bmp");
  matobase.init("data/mato");

  kanabase.init("data/kana");
  miinabase.init("data/miina");
  for (int i = 0; i < KANA_COUNT; ++i) {
    kana[i].init(&kanabase, screen);
    addEnemy(i);
  }
  for (int i = 0; i < MIINA_SLOTS; ++i) {
    miina[i].init(&miinabase, screen);
  }

  mato.init(&matobase, screen);
  mato.set(MATO_START_X, MATO_START_Y);
  mato.setSpeed(2.0f);
  score = 0;
  SDL_ShowCursor(0);
  InitPads();
  font = initFont("data/fontti");
}

// The key an event presses, on the keyboard or a pad; SDLK_UNKNOWN for any other event.
static SDLKey KeyPressed(const SDL_Event& event)
{
  if (event.type == SDL_KEYDOWN) {
    return event.key.keysym.sym;
  }
  return PadKey(event, gameover != 0);
}

// Esc ends a game, and quits when the game is already over. The pause takes its keys first.
int HandleEvents()
{
  int done = 0;
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    if (event.type == SDL_QUIT) {
      done = 1;
    }
    SDLKey key = KeyPressed(event);
    // Alt+Enter switches between full screen and a window, where the driver can, and starts no game.
    if (key == SDLK_RETURN && event.type == SDL_KEYDOWN && (event.key.keysym.mod & KMOD_ALT)) {
      SDL_WM_ToggleFullScreen(screen);
      key = SDLK_UNKNOWN;
    }
    if (PauseTakes(event, key, gameover == 0)) {
      continue;
    }
    if (key == SDLK_ESCAPE) {
      if (gameover == 1) {
        done = 1;
      }
      gameover = 1;
    }
    if (key == SDLK_RETURN && gameover != 0) {
      AloitaUusipeli();
      PlayEffect(EFFECT_NEW_GAME);
    }
    if (key == SDLK_SPACE && gameover == 0) {
      addMiina();
    }
    if (key == SDLK_m) {
      ToggleMute();
    }
  }
  PauseIfAway(gameover == 0);
  return done;
}

// Each held direction moves the worm a pixel, each clamp on what the one before left.
void MoveMato(const Steering& held)
{
  if (held.up) {
    mato.yadd(-1);
    if (mato.gety() < 0) {
      mato.yset(0);
    }
  }
  if (held.down) {
    mato.yadd(1);
    if (mato.gety() > MAX_Y) {
      mato.yset(MAX_Y);
    }
  }
  if (held.left) {
    mato.xadd(-1);
    if (mato.getx() < 0) {
      mato.xset(0);
    }
  }
  if (held.right) {
    mato.xadd(1);
    if (mato.getx() > MAX_X) {
      mato.xset(MAX_X);
    }
  }
}

static int NewSuunta()
{
  return rand() % SUUNTA_CODES + 1;
}

// A chicken walks by its direction code and is held at the edges, turning there.
static void MoveKana(CSprite& sprite, int& suunta)
{
  if (suunta >= 1 && suunta <= SUUNTA_CODES) {
    sprite.xadd(SUUNNAT[suunta].dx);
    sprite.yadd(SUUNNAT[suunta].dy);
    sprite.setSpeed(SUUNNAT[suunta].frameTimeFactor);
  }
  if (sprite.getx() < 0) {
    sprite.xset(0);
    suunta = NewSuunta();
  }
  if (sprite.getx() > MAX_X) {
    sprite.xset(MAX_X);
    suunta = NewSuunta();
  }
  if (sprite.gety() < 0) {
    sprite.yset(0);
    suunta = NewSuunta();
  }
  if (sprite.gety() > MAX_Y) {
    sprite.yset(MAX_Y);
    suunta = NewSuunta();
  }
}

// Every mine a chicken touches goes off with it; a chicken touching the worm ends the game.
void StepWorld()
{
  for (int j = 0; j < KANA_COUNT; ++j) {
    if (edraw[j] != 1) {
      continue;
    }
    MoveKana(kana[j], einfo[j]);
    for (int k = 0; k < MIINA_SLOTS; ++k) {
      if (mdraw[k] == 1 && Sprite_Collide(miina[k], kana[j])) {
        edraw[j] = 0;
        mdraw[k] = 0;
        score += POINTS_PER_KANA;
        PlayEffect(EFFECT_CHICKEN_BLOWN_UP);
      }
    }
    if (Sprite_Collide(mato, kana[j])) {
      gameover = 1;
      PlayEffect(EFFECT_WORM_CAUGHT);
      return;
    }
  }
}

void SetWindowLook()
{
  SDL_WM_SetCaption(TITLE, TITLE);
  SDL_Surface* file = readPicture(ICON_PATH);
  if (file == NULL) {
    return;
  }
  // SDL makes an icon's mask from its colour key at 1, 2 or 4 bytes a pixel, not at the file's 3.
  SDL_Surface* icon = SDL_CreateRGBSurface(SDL_SWSURFACE, file->w, file->h, 32, 0xFF0000, 0x00FF00, 0x0000FF, 0);
  if (icon != NULL && SDL_BlitSurface(file, NULL, icon, NULL) == 0) {
    SDL_SetColorKey(icon, SDL_SRCCOLORKEY, SDL_MapRGB(icon->format, 255, 0, 255));
    SDL_WM_SetIcon(icon, NULL);
  }
  SDL_FreeSurface(icon);
  SDL_FreeSurface(file);
}

int RunPass(const Uint8* keys)
{
  OpenNewPads();
  int done = HandleEvents();
  HoldSound(Paused());
  if (Paused()) {
    if (PausedFrameDue()) {
      ShowPausedField(screen, DrawScene);
    }
    return done != 0 ? PASS_QUIT : PASS_PAUSED;
  }
  if (gameover == 0) {
    MoveMato(HeldDirections(keys));
    StepWorld();
  }
  DrawScene();
  ShowingSign(gameover != 0);
  return done != 0 ? PASS_QUIT : PASS_GOES_ON;
}

int main(int, char**)
{
  srand(time(NULL));
  ChooseDrawing();
  if (SDL_Init(SDL_SUBSYSTEMS) < 0) {
    printf("Unable to init SDL: %s\n", SDL_GetError());
    exit(1);
  }
  atexit(SDL_Quit);
  SetWindowLook();
  screen = SDL_SetVideoMode(SCREEN_WIDTH, SCREEN_HEIGHT, 32, SDL_FULLSCREEN);
  if (screen == NULL) {
    printf("Unable to set 640x480 video: %s\n", SDL_GetError());
    exit(1);
  }
  // The sounds come first, so that the font stays the last thing start-up reads.
  OpenSound();
  LoadGame();
  RunFrameLoop(RunPass);
  return 0;
}
