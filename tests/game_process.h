#ifndef GAME_PROCESS_H
#define GAME_PROCESS_H

#include <string>
#include <utility>
#include <vector>

// How a run of the real game binary ended.
struct GameRun
{
  std::string output;  // everything it wrote on standard output
  int exitStatus;      // -1 when it did not exit normally
  int signal;          // the signal that ended it, or 0
};

// Runs the game from workDir with extra environment variables. Once it has
// set up SDL (which turns SIGTERM into a quit request), it is asked to quit
// with SIGTERM; a game that ends by itself before that is simply awaited.
GameRun runGame(const std::string& workDir, const std::vector<std::pair<std::string, std::string>>& environment);

#endif
