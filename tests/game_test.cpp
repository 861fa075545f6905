#include "layout.h"
#include "lesson3.h"
#include "pause.h"
#include "platform.h"
#include "support.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <tuple>
#include <utility>

// The screens asked to switch between full screen and a window; the dummy driver has no window to switch.
std::vector<SDL_Surface*> switches;
extern "C" int SDL_WM_ToggleFullScreen(SDL_Surface* surface)
{
  switches.push_back(surface);
  return 0;
}

namespace {

// Keyboard state as SDL_GetKeyState gives it, and a key press as the event queue delivers it.
using Keys = std::array<Uint8, SDLK_LAST>;
Keys held(std::initializer_list<SDLKey> keys)
{
  Keys state{};
  for (SDLKey key : keys) {
    state[key] = 1;
  }
  return state;
}

// A sprite's place, printed as a pair when a check fails.
using Place = std::pair<int, int>;
Place at(CSprite& sprite)
{
  return {sprite.getx(), sprite.gety()};
}

SDL_Event keyDown(SDLKey key, SDLMod modifiers = KMOD_NONE)
{
  SDL_Event event{};
  event.type = SDL_KEYDOWN;
  event.key.keysym.sym = key;
  event.key.keysym.mod = modifiers;
  return event;
}
SDL_Event windowFocus(Uint8 gain, Uint8 state)
{
  SDL_Event event{};
  event.type = SDL_ACTIVEEVENT;
  event.active.gain = gain;
  event.active.state = state;
  return event;
}
// A pad's events, from pad 0 unless another is named.
SDL_Event stick(Uint8 axis, Sint16 value, Uint8 which = 0)
{
  SDL_Event event{};
  event.type = SDL_JOYAXISMOTION;
  event.jaxis = {SDL_JOYAXISMOTION, which, axis, value};
  return event;
}
SDL_Event hat(Uint8 value)
{
  SDL_Event event{};
  event.jhat = {SDL_JOYHATMOTION, 0, 0, value};
  return event;
}
SDL_Event button(Uint8 number, bool down = true)
{
  SDL_Event event{};
  event.jbutton = {static_cast<Uint8>(down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP), 0, number, down};
  return event;
}

// Each chicken: whether in play, its direction code, its place and its animation factor.
using Kana = std::tuple<int, int, int, int, float>;
std::vector<Kana> kanat()
{
  std::vector<Kana> all;
  for (int j = 0; j < KANA_COUNT; ++j) {
    all.emplace_back(edraw[j], einfo[j], kana[j].getx(), kana[j].gety(), kana[j].speed);
  }
  return all;
}

// The chickens as placed from the random numbers a seed gives: three draws each, x, y, then direction.
std::vector<Kana> kanatPlacedBy(unsigned seed)
{
  srand(seed);
  std::vector<Kana> all;
  for (int j = 0; j < KANA_COUNT; ++j) {
    int x = rand() % 350 + 250, y = rand() % 20 + 90;
    all.emplace_back(1, rand() % 4 + 1, x, y, 2.0f);
  }
  return all;
}

const unsigned START_UP_SEED = 5;
const std::vector<Kana>* kanatAfterStartUp = nullptr;

// The game is loaded once, from the committed data; each test starts a new game.
class GameTest : public testing::Test
{
protected:
  static void SetUpTestSuite()
  {
    if (screen == nullptr) {
      screen = SDL_GetVideoSurface();
      char* home = getcwd(nullptr, 0);
      ASSERT_EQ(chdir(SOURCE_DIR), 0);
      srand(START_UP_SEED);
      LoadGame();
      kanatAfterStartUp = new std::vector<Kana>(kanat());
      ASSERT_EQ(chdir(home), 0);
      free(home);
    }
  }

  void SetUp() override
  {
    fakeClock.reset(10000);
    for (SDL_Event pending; SDL_PollEvent(&pending);) {
    }
    srand(1);
    AloitaUusipeli();
    Resume();
    ResetPads();
  }

  // Leaves only the given chickens in play.
  void onlyKanat(std::initializer_list<int> inPlay)
  {
    std::fill(edraw, edraw + KANA_COUNT, 0);
    for (int j : inPlay) {
      edraw[j] = 1;
    }
  }
  void putKana(int j, int x, int y, int suunta)
  {
    edraw[j] = 1;
    kana[j].set(x, y);
    einfo[j] = suunta;
  }
  void putMiina(int k, int x, int y)
  {
    mdraw[k] = 1;
    miina[k].set(x, y);
  }

  // The frame the game must show for its state, composed from the committed pictures the plain way.
  testing::AssertionResult screenShowsTheState()
  {
    static SDL_Surface* background = plainPicture(DATA + "bg.bmp");
    static SDL_Surface* sign = plainPicture(DATA + "peliohi.bmp", GREEN);
    static SDL_Surface* pauseSign = plainPicture(DATA + "tauko.bmp", GREEN);
    SDL_Surface* expected = makeSurface(SCREEN_WIDTH, SCREEN_HEIGHT, BLACK);
    if (back != nullptr) {
      blit(background, expected, 0, 0);
    }
    // The score line in the game's own font: how the font draws is for the font's tests, and the
    // end-to-end tests hold the game's line to the committed sheet.
    drawScoreLine(expected, [](SDL_Surface* on, int x, int y, const std::string& text) {
      drawString(on, font, x, y, "%s", text.c_str());
    }, score, miinat);
    auto put = [&](const char* set, CSprite& sprite) {
      blit(plainFrames(set)[sprite.frameIndex], expected, sprite.getx(), sprite.gety());
    };
    for (int k = 0; k < MIINA_SLOTS; ++k) {
      if (mdraw[k]) {
        put("miina", miina[k]);
      }
    }
    for (int j = 0; j < KANA_COUNT; ++j) {
      if (edraw[j]) {
        put("kana", kana[j]);
      }
    }
    put("mato", mato);
    if (gameover) {
      blit(sign, expected, GAMEOVER_X, GAMEOVER_Y);
    }
    if (Paused()) {
      blit(pauseSign, expected, TAUKO_X, TAUKO_Y);
    }
    testing::AssertionResult same = sameRegion(screen, expected, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
    SDL_FreeSurface(expected);
    return same;
  }
};

// Each held arrow moves the worm a pixel, each clamp on what the one before left.
TEST_F(GameTest, EachHeldArrowMovesTheWormOnePixelInsideTheField)
{
  const struct
  {
    int x, y;
    Keys keys;
    int expectedX, expectedY;
  } steers[] = {{100, 100, held({SDLK_UP}), 100, 99},
                {100, 100, held({SDLK_DOWN}), 100, 101}, {100, 100, held({SDLK_LEFT}), 99, 100},
                {100, 100, held({SDLK_RIGHT}), 101, 100}, {0, 0, held({SDLK_UP, SDLK_LEFT}), 0, 0},
                {590, 380, held({SDLK_DOWN, SDLK_RIGHT}), 590, 380}, {0, 100, held({SDLK_LEFT, SDLK_RIGHT}), 1, 100},
                {590, 100, held({SDLK_LEFT, SDLK_RIGHT}), 590, 100}, {100, 0, held({SDLK_UP, SDLK_DOWN}), 100, 1},
                {100, 380, held({SDLK_UP, SDLK_DOWN}), 100, 380}, {-20, 400, held({SDLK_LEFT, SDLK_DOWN}), 0, 380}};
  for (const auto& steer : steers) {
    mato.set(steer.x, steer.y);
    MoveMato(HeldDirections(steer.keys.data()));
    EXPECT_EQ(at(mato), Place(steer.expectedX, steer.expectedY)) << "from " << steer.x << ", " << steer.y;
  }
}

const SDL_Event ESC = keyDown(SDLK_ESCAPE), ENTER = keyDown(SDLK_RETURN), SPACE = keyDown(SDLK_SPACE),
                ALT_ENTER = keyDown(SDLK_RETURN, KMOD_RALT), CLOSE{SDL_QUIT}, P = keyDown(SDLK_p),
                FOCUS_LOST = windowFocus(0, SDL_APPINPUTFOCUS), MINIMISED = windowFocus(0, SDL_APPACTIVE);

// Keys, a pad's buttons and the window, in play, paused and at the sign. A pad in the layout of an
// Xbox pad: A (0) lays a mine, Back (6) is Esc, and Start (7) pauses in play and starts a game at the sign.
TEST_F(GameTest, KeysButtonsAndWindowEvents)
{
  switches.clear();
  const struct
  {
    const char* name;
    int gameoverBefore;
    bool pausedBefore;
    std::vector<SDL_Event> events;
    int done, gameoverAfter, miinatAfter;
    bool newGame, pausedAfter;
  } batches[] = {{"Esc ends the game", 0, false, {ESC}, 0, 1, 28, false, false},
                 {"Esc at game over quits", 1, false, {ESC}, 1, 1, 28, false, false},
                 {"Enter at game over starts a new game", 1, false, {SPACE, ENTER, SPACE}, 0, 0, 27, true, false},
                 {"Enter during play does nothing", 0, false, {ENTER}, 0, 0, 28, false, false},
                 {"a close quits and the rest is still handled", 0, false, {CLOSE, SPACE}, 1, 0, 27, false, false},
                 {"Alt+Enter switches the window and starts no game", 1, false, {ALT_ENTER, SPACE}, 0, 1, 28, false, false},
                 {"P pauses, the Space that resumes lays no mine, and the Esc after it plays", 0, false, {P, SPACE, ESC}, 0, 1, 28, false, false},
                 {"another key or the keys coming back leave the pause", 0, true, {keyDown(SDLK_a), windowFocus(1, SDL_APPINPUTFOCUS)}, 0, 0, 28, false, true},
                 {"Alt+Enter leaves the pause", 0, true, {ALT_ENTER}, 0, 0, 28, false, true},
                 {"a close quits a paused game", 0, true, {CLOSE}, 1, 0, 28, false, true},
                 {"losing the keys pauses", 0, false, {FOCUS_LOST}, 0, 0, 28, false, true},
                 {"being minimised pauses", 0, false, {MINIMISED}, 0, 0, 28, false, true},
                 {"keys passing through another window do not pause", 0, false, {FOCUS_LOST, windowFocus(1, SDL_APPINPUTFOCUS)}, 0, 0, 28, false, false},
                 {"the pointer leaving does not pause", 0, false, {windowFocus(0, SDL_APPMOUSEFOCUS)}, 0, 0, 28, false, false},
                 {"a game over does not pause", 1, false, {P, FOCUS_LOST}, 0, 1, 28, false, false},
                 {"A lays a mine, Back ends the game", 0, false, {button(0), button(0, false), button(6)}, 0, 1, 27, false, false},
                 {"Start pauses in play", 0, false, {button(7)}, 0, 0, 28, false, true},
                 {"Start at the sign starts a new game", 1, false, {button(7)}, 0, 0, 28, true, false},
                 {"other buttons and releases do nothing", 0, false, {button(1), button(5), button(8), button(7, false)}, 0, 0, 28, false, false}};
  for (const auto& batch : batches) {
    SCOPED_TRACE(batch.name);
    AloitaUusipeli();
    SetPadLayout(0, XBOX_LAYOUT);
    gameover = batch.gameoverBefore;
    batch.pausedBefore ? Pause() : Resume();
    score = 250;
    for (SDL_Event event : batch.events) {
      SDL_PushEvent(&event);
    }
    EXPECT_EQ(HandleEvents(), batch.done);
    EXPECT_EQ(gameover, batch.gameoverAfter);
    EXPECT_EQ(miinat, batch.miinatAfter);
    EXPECT_EQ(score, batch.newGame ? 0 : 250);
    EXPECT_EQ(Paused(), batch.pausedAfter);
  }
  EXPECT_EQ(switches, (std::vector<SDL_Surface*>{screen, screen}));
}

// A pad steers through the same held directions as the arrows: a stick past its dead zone, a hat,
// or a D-pad of buttons, each held until it lets go, and any of them on any pad.
TEST_F(GameTest, PadsSteerLikeTheArrows)
{
  using Held = std::array<bool, 4>;
  const Sint16 DEAD = STICK_DEAD_ZONE;
  const struct
  {
    const char* name;
    PadLayout layout;
    std::vector<SDL_Event> events;
    Held held;  // up, down, left, right
  } steers[] = {{"centred stick", XBOX_LAYOUT, {stick(0, 0), stick(1, 0)}, {false, false, false, false}},
                {"stick inside the dead zone", XBOX_LAYOUT, {stick(0, DEAD), stick(1, -DEAD)}, {false, false, false, false}},
                {"stick just past it", XBOX_LAYOUT, {stick(0, DEAD + 1), stick(1, -DEAD - 1)}, {true, false, false, true}},
                {"stick back to the middle lets go", XBOX_LAYOUT, {stick(0, 32767), stick(0, 100)}, {false, false, false, false}},
                {"other axes do not steer", XBOX_LAYOUT, {stick(2, 32767), stick(3, -32768), stick(5, 32767)}, {false, false, false, false}},
                {"hat up and left", XBOX_LAYOUT, {hat(SDL_HAT_LEFTUP)}, {true, false, true, false}},
                {"hat back to centre", XBOX_LAYOUT, {hat(SDL_HAT_RIGHTDOWN), hat(SDL_HAT_CENTERED)}, {false, false, false, false}},
                {"D-pad buttons held", CONTROLLER_LAYOUT, {button(11), button(14)}, {true, false, false, true}},
                {"D-pad buttons let go", CONTROLLER_LAYOUT, {button(12), button(13), button(12, false)}, {false, false, true, false}},
                {"no D-pad of buttons on a pad without one", XBOX_LAYOUT, {button(11), button(12)}, {false, false, false, false}},
                {"a second pad steers too", XBOX_LAYOUT, {stick(1, 32767, 1)}, {false, true, false, false}},
                {"a pad past the fourth is not read", XBOX_LAYOUT, {stick(1, 32767, MAX_PADS)}, {false, false, false, false}}};
  const Keys noKeys{};
  for (const auto& steer : steers) {
    SCOPED_TRACE(steer.name);
    ResetPads();
    SetPadLayout(0, steer.layout);
    for (SDL_Event event : steer.events) {
      SDL_PushEvent(&event);
    }
    HandleEvents();
    Steering held = HeldDirections(noKeys.data());
    EXPECT_EQ((Held{held.up, held.down, held.left, held.right}), steer.held);
  }
}

// Each SDL 1.2 numbers a pad's buttons its own way: sdl12-compat as SDL 2's game controllers,
// classic SDL by the pad, a PlayStation pad differently on Windows.
TEST(Pads, LayoutFollowsTheLibraryAndThePadsName)
{
  const struct
  {
    const char* name;
    bool sdl12Compat;
    PadLayout expected;
  } pads[] = {{"Microsoft X-Box 360 pad", false, XBOX_LAYOUT}, {nullptr, false, XBOX_LAYOUT},
              {"Sony Interactive Entertainment Wireless Controller", false, PLAYSTATION_LAYOUT},
              {"Microsoft X-Box 360 pad", true, CONTROLLER_LAYOUT}, {"DualSense Wireless Controller", true, CONTROLLER_LAYOUT}};
  for (const auto& pad : pads) {
    PadLayout layout = LayoutFor(pad.name, pad.sdl12Compat);
    EXPECT_EQ((std::array<int, 4>{layout.south, layout.back, layout.start, layout.dpadUp}),
              (std::array<int, 4>{pad.expected.south, pad.expected.back, pad.expected.start, pad.expected.dpadUp}))
      << (pad.name ? pad.name : "no name") << ", sdl12-compat " << pad.sdl12Compat;
  }
}

// Start-up and a new game put every chicken in play, each drawing its place and then its direction.
TEST_F(GameTest, StartUpAndNewGamePutEveryChickenInPlayByItsDraws)
{
  EXPECT_EQ(*kanatAfterStartUp, kanatPlacedBy(START_UP_SEED)) << "after start-up";
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE) << "the pointer is hidden over the game";
  for (int j = 0; j < KANA_COUNT; ++j) {
    putKana(j, 0, 0, 10);
    edraw[j] = j % 2;
  }
  putMiina(MIINA_SLOTS - 1, 0, 0);
  mato.set(7, 7);
  miinat = 3;
  score = 875;
  gameover = 1;
  srand(99);
  AloitaUusipeli();
  EXPECT_EQ(kanat(), kanatPlacedBy(99)) << "after a new game";
  EXPECT_EQ(mdraw[MIINA_SLOTS - 1], 0);
  EXPECT_EQ(at(mato), Place(50, 320));
  EXPECT_EQ(miinat, 28);
  EXPECT_EQ(score, 0);
  EXPECT_EQ(gameover, 0);
}

// A chicken walks by its direction code and is held at the edges, drawing a new code at each.
TEST_F(GameTest, ChickenWalksByItsCodeAndTurnsAtTheEdges)
{
  const struct
  {
    int x, y, suunta;
    int expectedX, expectedY;
    float speed;  // 5.0: left as it was
    int draws;    // new direction codes drawn; the last one counts
  } moves[] = {{300, 200, 1, 301, 201, 2.0f, 0}, {300, 200, 5, 298, 199, 1.0f, 0}, {300, 200, 10, 299, 198, 1.0f, 0},
               {300, 200, 0, 300, 200, 5.0f, 0}, {300, 200, 11, 300, 200, 5.0f, 0},
               {1, 1, 3, 0, 0, 2.0f, 0},         {589, 379, 1, 590, 380, 2.0f, 0},
               {0, 200, 9, 0, 200, 2.0f, 1},     {590, 200, 7, 590, 200, 2.0f, 1}, {300, 0, 8, 300, 0, 2.0f, 1},
               {300, 380, 6, 300, 380, 2.0f, 1}, {0, 0, 3, 0, 0, 2.0f, 2},         {590, 380, 1, 590, 380, 2.0f, 2},
               {0, 1, 10, 0, 0, 1.0f, 2},        {599, 100, 2, 590, 101, 2.0f, 1}};
  onlyKanat({});
  for (const auto& move : moves) {
    SCOPED_TRACE(testing::Message() << "code " << move.suunta << " at " << move.x << ", " << move.y);
    putKana(0, move.x, move.y, move.suunta);
    kana[0].setSpeed(5.0f);
    srand(77);
    std::vector<int> sequence = {rand(), rand(), rand()};
    srand(77);
    StepWorld();
    EXPECT_EQ(at(kana[0]), Place(move.expectedX, move.expectedY));
    EXPECT_EQ(kana[0].speed, move.speed);
    EXPECT_EQ(einfo[0], move.draws == 0 ? move.suunta : sequence[move.draws - 1] % 10 + 1);
    EXPECT_EQ(rand(), sequence[move.draws]) << "draws made";
  }
}

// Boxes span a tenth to a half of each picture: chicken 50 x 50 at (100, 100) has 105..125 both ways,
// worm 50 x 100 has x + 5..25 and y + 10..50, mine 30 x 30 has x + 3..15.
TEST_F(GameTest, CollisionBoxesTouchEdgeToEdgeAndScaleWithEachPicture)
{
  const struct
  {
    CSprite& other;
    int x, y;
    bool touch;
  } cases[] = {{kana[1], 120, 100, true}, {kana[1], 121, 100, false}, {kana[1], 100, 121, false},
               {kana[1], 80, 80, true},   {kana[1], 79, 100, false},  {mato, 100, 55, true},
               {mato, 100, 54, false},    {mato, 100, 115, true},     {mato, 100, 116, false},
               {miina[0], 90, 102, true}, {miina[0], 89, 102, false}, {miina[0], 122, 122, true},
               {miina[0], 123, 102, false}, {miina[0], 100, 123, false}};
  kana[0].set(100, 100);
  for (const auto& other : cases) {
    other.other.set(other.x, other.y);
    EXPECT_EQ(Sprite_Collide(kana[0], other.other), other.touch) << other.other.getw() << " at " << other.x << ", " << other.y;
    EXPECT_EQ(Sprite_Collide(other.other, kana[0]), other.touch) << other.other.getw() << " at " << other.x << ", " << other.y;
  }
}

TEST_F(GameTest, MiinaLiesBesideTheWormInTheLowestFreeSlotThreeAtOnceTwentyEightAGame)
{
  mato.set(590, 380);
  putMiina(0, 0, 0);
  miina[1].setSpeed(2.0f);
  addMiina();
  EXPECT_EQ(mdraw[1], 1);
  EXPECT_EQ(at(miina[1]), Place(625, 410)) << "not clamped";
  EXPECT_EQ(miina[1].speed, 0.0f);
  addMiina();
  addMiina();
  EXPECT_EQ(std::vector<int>(mdraw, mdraw + 4), (std::vector<int>{1, 1, 1, 0}));
  EXPECT_EQ(miinat, 26);
  for (int laid = 0; laid < 30; ++laid) {
    mdraw[0] = mdraw[1] = mdraw[2] = 0;
    addMiina();
  }
  EXPECT_EQ(miinat, 0);
  EXPECT_EQ(mdraw[0], 0);
}

// The rules of the world step, each on a scene of its own: chickens in the first slots at (x, y) with
// a direction code, mines in the first slots, the worm; then which of them are in play, where the
// chickens stand, the score and whether the game is over.
TEST_F(GameTest, WorldStepRules)
{
  const struct
  {
    const char* rule;
    std::vector<std::array<int, 4>> kanat;
    std::vector<Place> miinat;
    Place worm;
    std::vector<int> kanatInPlay, kanatX, miinatInPlay;
    int score, gameover;
  } rules[] = {
    {"a chicken running into a mine goes off with it and scores 125, and other mines lie still",
     {{300, 200, 7, 1}}, {{310, 210}, {100, 300}}, {50, 320}, {0}, {301}, {0, 1}, 125, 0},
    {"a chicken takes every mine it touches", {{300, 200, 7, 1}}, {{310, 210}, {292, 192}}, {50, 320}, {0}, {301}, {0, 0}, 250, 0},
    {"a chicken out of play neither walks nor takes a mine", {{300, 200, 7, 0}}, {{310, 210}}, {50, 320}, {0}, {300}, {1}, 0, 0},
    {"a chicken touching the worm ends the game", {{100, 100, 7, 1}}, {}, {100, 90}, {1}, {101}, {}, 0, 1},
    {"a chicken a mine took still ends the game on the worm", {{100, 100, 7, 1}}, {{105, 105}}, {100, 90}, {0}, {101}, {0}, 125, 1},
    {"the chickens after the one on the worm stand", {{400, 300, 7, 1}, {100, 100, 7, 1}, {400, 200, 7, 1}}, {}, {100, 90},
     {1, 1, 1}, {401, 101, 400}, {}, 0, 1}};
  for (const auto& rule : rules) {
    SCOPED_TRACE(rule.rule);
    AloitaUusipeli();
    onlyKanat({});
    for (size_t j = 0; j < rule.kanat.size(); ++j) {
      putKana(j, rule.kanat[j][0], rule.kanat[j][1], rule.kanat[j][2]);
      edraw[j] = rule.kanat[j][3];
    }
    for (size_t k = 0; k < rule.miinat.size(); ++k) {
      putMiina(k, rule.miinat[k].first, rule.miinat[k].second);
    }
    mato.set(rule.worm.first, rule.worm.second);
    StepWorld();
    std::vector<int> kanatInPlay, kanatX;
    for (size_t j = 0; j < rule.kanat.size(); ++j) {
      kanatInPlay.push_back(edraw[j]);
      kanatX.push_back(kana[j].getx());
    }
    EXPECT_EQ(kanatInPlay, rule.kanatInPlay);
    EXPECT_EQ(kanatX, rule.kanatX);
    EXPECT_EQ(std::vector<int>(mdraw, mdraw + rule.miinat.size()), rule.miinatInPlay);
    EXPECT_EQ(score, rule.score);
    EXPECT_EQ(gameover, rule.gameover);
  }
}

// Mines under chickens under the worm, the score line, the sign once the game is over: every frame
// equals the same scene composed the plain way. Held Space lays one mine from where the worm was
// before it steered; once the game is over the worm and the chickens stand, but still animate.
TEST_F(GameTest, EveryFrameIsThePlainCompositionOfTheGamesState)
{
  onlyKanat({0, 1});
  putMiina(0, 100, 100);
  putKana(0, 112, 112, 0);
  mato.set(130, 130);
  putKana(1, 300, 200, 7);
  putMiina(4, 310, 210);
  const std::vector<Keys> keys = {held({SDLK_RIGHT, SDLK_SPACE}), held({SDLK_DOWN}), held({SDLK_LEFT, SDLK_UP})};
  for (int pass = 0; pass < 40; ++pass) {
    fakeClock.now += 17;
    if (pass == 3 || pass == 30) {
      SDL_Event key = pass == 3 ? SPACE : ESC;
      SDL_PushEvent(&key);
    }
    EXPECT_EQ(RunPass(keys[pass / 10 % keys.size()].data()), 0);
    if (pass % 6 == 0 || pass == 31) {
      ASSERT_TRUE(screenShowsTheState()) << "pass " << pass;
    }
  }
  EXPECT_EQ(at(miina[1]), Place(168, 160));
  EXPECT_EQ(at(mato), Place(130, 130)) << "right, down, then left and up, then over";
  EXPECT_EQ(score, 125);
  EXPECT_EQ(miinat, 27);
  EXPECT_LE(PISTEET_X + stringWidth(font, "Pisteet:"), SCORE_X - 3) << "labels end before their numbers";
  EXPECT_LE(MIINAT_LABEL_X + stringWidth(font, "Miinat:"), MIINAT_X - 3) << "labels end before their numbers";
  // Without its background the frame is black under what is drawn.
  SDL_Surface* background = std::exchange(back, nullptr);
  RunPass(keys[0].data());
  EXPECT_TRUE(screenShowsTheState()) << "without a background";
  back = background;
}

// While paused no pass moves or animates anything, however long the pause and whatever comes:
// the field stands as the pause found it, under the pause sign, and moves again once resumed.
TEST_F(GameTest, NothingMovesOrAnimatesWhilePaused)
{
  onlyKanat({0, 1});
  putKana(1, 300, 200, 7);
  const Keys right = held({SDLK_RIGHT});
  RunPass(right.data());
  SDL_Event pause = P;
  SDL_PushEvent(&pause);
  EXPECT_EQ(RunPass(right.data()), PASS_PAUSED);
  ASSERT_TRUE(screenShowsTheState()) << "the paused field";
  SDL_Surface* pausedFrame = SDL_DisplayFormat(screen);
  auto frameIndices = [] { return std::vector<int>{mato.frameIndex, kana[0].frameIndex, kana[1].frameIndex}; };
  const auto before = std::make_tuple(kanat(), at(mato), frameIndices());
  for (int pass = 0; pass < 20; ++pass) {
    fakeClock.now += 250;
    SDL_Event expose{SDL_VIDEOEXPOSE};
    SDL_PushEvent(&expose);
    EXPECT_EQ(RunPass(right.data()), PASS_PAUSED);
  }
  EXPECT_EQ(std::make_tuple(kanat(), at(mato), frameIndices()), before);
  EXPECT_TRUE(sameRegion(screen, pausedFrame, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT)) << "the frame shown again";
  SDL_FreeSurface(pausedFrame);
  SDL_PushEvent(&pause);
  EXPECT_EQ(RunPass(right.data()), PASS_GOES_ON);
  EXPECT_EQ((std::vector<Place>{at(mato), at(kana[1])}), (std::vector<Place>{{52, 320}, {302, 200}})) << "moved again";
  SDL_PushEvent(&pause);
  RunPass(right.data());
  EXPECT_TRUE(screenShowsTheState()) << "the field of the second pause";
}

}
