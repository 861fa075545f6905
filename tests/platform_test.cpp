#include "platform.h"
#include "support.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <vector>

namespace {

// Passes keep to running deadlines: 60 a second whatever each takes within its frame, flat out
// when each takes longer; a lag of a few frames is made up, and after a stall the pace starts afresh.
TEST(PaceFrame, SixtyPassesASecondOnAverageAndAfreshAfterAStall)
{
  const struct
  {
    const char* name;
    Uint32 start, workMs;
    int stallAtPass;
    Uint32 stallMs;
    int passes;
    Uint32 end;
  } runs[] = {{"idle", 1000, 0, 0, 0, 60, 2000},
              {"10 ms a pass", 1000, 10, 0, 0, 120, 3000},
              {"20 ms a pass: no wait", 1000, 20, 0, 0, 10, 1200},
              {"a pass due in 1 ms waits for it", 1000, 16, 0, 0, 2, 1033},
              {"a stall of half a second", 1000, 0, 30, 500, 60, 2483},
              {"a pass 66 ms late, under four frames, is made up", 1000, 0, 30, 83, 60, 2000},
              {"a pass 67 ms late starts afresh", 1000, 0, 30, 84, 60, 2067},
              {"the clock wraps", 0xFFFFFE00u, 0, 0, 0, 60, 488}};
  for (const auto& run : runs) {
    SCOPED_TRACE(run.name);
    fakeClock.reset(run.start);
    PassClock pace = {run.start, 0};
    Uint32 longestWait = 0;
    for (int pass = 1; pass <= run.passes; ++pass) {
      fakeClock.now += run.workMs + (pass == run.stallAtPass ? run.stallMs : 0);
      Uint32 waitedBefore = fakeClock.delayedMs;
      PaceFrame(pace);
      longestWait = std::max(longestWait, fakeClock.delayedMs - waitedBefore);
    }
    EXPECT_EQ(fakeClock.now, run.end);
    EXPECT_LE(longestWait, 17u);
  }
}

// The player comes back 5 s after the pass that paused: the passes go on at the steady pace from
// then on, making up none of those the pause held back.
TEST(RunFrameLoop, APauseMakesUpNothing)
{
  fakeClock.reset(1000);
  static std::vector<Uint32> passTimes;
  RunFrameLoop([](const Uint8*) {
    for (SDL_Event event; SDL_PollEvent(&event);) {
    }
    passTimes.push_back(fakeClock.now);
    if (passTimes.size() == 30) {
      fakeClock.now += 5000;
      SDL_Event comingBack{SDL_KEYDOWN};
      SDL_PushEvent(&comingBack);
      return PASS_PAUSED;
    }
    return passTimes.size() == 91 ? PASS_QUIT : PASS_GOES_ON;
  });
  EXPECT_EQ((std::vector<Uint32>{passTimes[30] - passTimes[29], passTimes[90] - passTimes[30]}),
            (std::vector<Uint32>{5001, 1000})) << "the pause, then 60 passes";
}

// sdl12-compat scales with crisp pixels everywhere, and draws without OpenGL where OpenGL
// runs in software; classic SDL is never told anything, and the player's own settings stay.
TEST(ChooseDrawing, AsksSdl12CompatForTheCheapPathOnlyWhereOpenGLRunsInSoftware)
{
  const char* const names[] = {"SDL12COMPAT_SCALE_METHOD", "SDL_RENDER_DRIVER", "SDL_FRAMEBUFFER_ACCELERATION"};
  const struct
  {
    bool sdl12Compat, softwareOpenGL;
    const char* playersRenderer;
    std::array<const char*, 3> expected;
  } cases[] = {{false, true, nullptr, {nullptr, nullptr, nullptr}},
               {false, false, nullptr, {nullptr, nullptr, nullptr}},
               {true, true, nullptr, {"nearest", "software", "0"}},
               {true, false, nullptr, {"nearest", nullptr, nullptr}},
               {true, true, "opengl", {"nearest", "opengl", "0"}}};
  for (const auto& choice : cases) {
    SCOPED_TRACE(testing::Message() << "sdl12-compat " << choice.sdl12Compat << ", software OpenGL "
                                    << choice.softwareOpenGL << ", player's renderer " << (choice.playersRenderer ? choice.playersRenderer : "none"));
    for (const char* name : names) {
      unsetenv(name);
    }
    if (choice.playersRenderer != nullptr) {
      setenv("SDL_RENDER_DRIVER", choice.playersRenderer, 1);
    }
    ChooseDrawing(choice.sdl12Compat, choice.softwareOpenGL);
    for (int i = 0; i < 3; ++i) {
      const char* value = getenv(names[i]);
      EXPECT_STREQ(value, choice.expected[i]) << names[i];
    }
  }
  for (const char* name : names) {
    unsetenv(name);
  }
}

// OpenGL runs in software without a render node this user can open, or when Mesa is told to.
TEST(ChooseDrawing, OpenGLIsSoftwareWithoutAnOpenableRenderNode)
{
  TempDir devices;
  const struct
  {
    const char* node;
    const char* mesaSoftware;
    bool software;
  } cases[] = {{nullptr, nullptr, true},       {"card0", nullptr, true},      {"renderD128", nullptr, false},
               {"renderD128", "1", true},      {"renderD128", "true", true},  {"renderD128", "0", false}};
  for (const auto& device : cases) {
    SCOPED_TRACE(testing::Message() << (device.node ? device.node : "no node") << ", LIBGL_ALWAYS_SOFTWARE " << (device.mesaSoftware ? device.mesaSoftware : "unset"));
    std::filesystem::remove_all(devices.path());
    std::filesystem::create_directories(devices.path());
    if (device.node != nullptr) {
      devices.write(device.node, "");
    }
    if (device.mesaSoftware != nullptr) {
      setenv("LIBGL_ALWAYS_SOFTWARE", device.mesaSoftware, 1);
    } else {
      unsetenv("LIBGL_ALWAYS_SOFTWARE");
    }
    EXPECT_EQ(OpenGLIsSoftware(devices.path().c_str()), device.software);
  }
  unsetenv("LIBGL_ALWAYS_SOFTWARE");
  EXPECT_TRUE(OpenGLIsSoftware((devices.path() + "/missing").c_str()));
  auto before = openFiles();
  OpenGLIsSoftware(devices.path().c_str());
  EXPECT_EQ(openFiles(), before) << "the device directory is closed again";
}

}
