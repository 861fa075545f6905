#include "game_process.h"
#include "test_support.h"

#include <SDL.h>
#include <unistd.h>

int lesson3_main(int argc, char** argv);

// This test program has no display at all: its video mode always fails.
extern "C" SDL_Surface* SDL_SetVideoMode(int, int, int, Uint32)
{
  SDL_SetError("no such mode here");
  return nullptr;
}

namespace {

void startWithStandardOutputOnStandardError()
{
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  dup2(STDERR_FILENO, STDOUT_FILENO);
  char name[] = "kanamiina";
  char* argv[] = {name, nullptr};
  lesson3_main(1, argv);
}

TEST(StartUp, VideoDriverThatCannotStartEndsWithStatus1)
{
  TempDir dir;
  GameRun run = runGame(dir.path(), {{"SDL_VIDEODRIVER", "nosuchdriver"}});
  EXPECT_EQ(run.output.rfind("Unable to init SDL: ", 0), 0u) << run.output;
  EXPECT_EQ(run.output.back(), '\n');
  EXPECT_EQ(run.exitStatus, 1);
}

TEST(StartUp, VideoModeThatCannotBeSetEndsWithStatus1)
{
  EXPECT_EXIT(startWithStandardOutputOnStandardError(), testing::ExitedWithCode(1),
              "Unable to set 640x480 video: no such mode here\n");
}

TEST(StartUp, MissingDataIsReportedAndTheGameStillRunsAndQuits)
{
  TempDir dir;
  GameRun run = runGame(dir.path(), {{"SDL_VIDEODRIVER", "dummy"}});
  EXPECT_EQ(run.output,
            "ERROR opening file data/bg.bmp\n\n"
            "ERROR opening file data/peliohi.bmp\n\n"
            "ERROR opening file data/mato/info\n\n"
            "ERROR opening file data/kana/info\n\n"
            "ERROR opening file data/miina/info\n\n");
  EXPECT_EQ(run.signal, 0);
  EXPECT_EQ(run.exitStatus, 0);
}

TEST(StartUp, CommittedDataLoadsWithoutAMessage)
{
  GameRun run = runGame(SOURCE_DIR, {{"SDL_VIDEODRIVER", "dummy"}});
  EXPECT_EQ(run.output, "");
  EXPECT_EQ(run.exitStatus, 0);
}

}
