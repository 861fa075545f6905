#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// SDL runs once for the whole test program, on the dummy video driver.
class SdlEnvironment : public testing::Environment
{
public:
  void SetUp() override
  {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    ASSERT_NE(SDL_SetVideoMode(640, 480, 32, 0), nullptr) << SDL_GetError();
  }
  void TearDown() override { SDL_Quit(); }
};

testing::Environment* const sdlEnvironment = testing::AddGlobalTestEnvironment(new SdlEnvironment);

}
