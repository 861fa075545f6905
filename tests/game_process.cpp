#include "game_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace {

const auto DEADLINE = std::chrono::seconds(20);
const auto POLL = std::chrono::milliseconds(5);
const auto ASK_AGAIN = std::chrono::milliseconds(200);

// True once the process has a handler of its own for SIGTERM.
bool catchesSigterm(pid_t pid)
{
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("SigCgt:", 0) == 0) {
      unsigned long long caught = std::stoull(line.substr(7), nullptr, 16);
      return (caught >> (SIGTERM - 1)) & 1;
    }
  }
  return false;
}

bool exited(pid_t pid, int& status)
{
  return waitpid(pid, &status, WNOHANG) == pid;
}

}

GameRun runGame(const std::string& workDir, const std::vector<std::pair<std::string, std::string>>& environment)
{
  int output[2];
  if (pipe(output) != 0) {
    return GameRun{"", -1, 0};
  }
  pid_t pid = fork();
  if (pid == 0) {
    setpgid(0, 0);
    dup2(output[1], STDOUT_FILENO);
    close(output[0]);
    close(output[1]);
    for (const auto& variable : environment) {
      setenv(variable.first.c_str(), variable.second.c_str(), 1);
    }
    if (chdir(workDir.c_str()) == 0) {
      execl(KANAMIINA, KANAMIINA, static_cast<char*>(nullptr));
    }
    _exit(127);
  }
  setpgid(pid, pid);
  close(output[1]);
  fcntl(output[0], F_SETFL, O_NONBLOCK);

  std::string text;
  auto readOutput = [&]() {
    char buffer[4096];
    ssize_t got;
    while ((got = read(output[0], buffer, sizeof buffer)) > 0) {
      text.append(buffer, got);
    }
  };

  // SDL catches SIGTERM a moment before its event queue runs, and a quit
  // request in between is dropped: ask again until the game is gone.
  int status = 0;
  bool done = false;
  auto start = std::chrono::steady_clock::now();
  auto lastAsked = start - ASK_AGAIN;
  while (!(done = exited(pid, status)) && std::chrono::steady_clock::now() - start < DEADLINE) {
    readOutput();
    auto now = std::chrono::steady_clock::now();
    if (now - lastAsked >= ASK_AGAIN && catchesSigterm(pid)) {
      kill(pid, SIGTERM);
      lastAsked = now;
    }
    std::this_thread::sleep_for(POLL);
  }
  // Whatever the game left behind in its process group goes with it.
  kill(-pid, SIGKILL);
  if (!done) {
    waitpid(pid, &status, 0);
  }
  readOutput();
  close(output[0]);
  return GameRun{text, WIFEXITED(status) ? WEXITSTATUS(status) : -1, WIFSIGNALED(status) ? WTERMSIG(status) : 0};
}
