#include "support.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

int lesson3_main(int argc, char** argv);

// This program has no display: its video mode always fails.
extern "C" SDL_Surface* SDL_SetVideoMode(int, int, int, Uint32)
{
  SDL_SetError("no such mode here");
  return nullptr;
}

namespace {

namespace fs = std::filesystem;

struct GameRun
{
  std::string output;
  int exitStatus;  // -1 when it did not exit normally
};

bool catchesSigterm(pid_t pid)
{
  std::string status = readFile("/proc/" + std::to_string(pid) + "/status");
  size_t at = status.find("SigCgt:");
  return at != std::string::npos && (std::stoull(status.substr(at + 7), nullptr, 16) >> (SIGTERM - 1)) & 1;
}

// Runs command from dir on the given video driver and asks it to quit with SIGTERM, every second
// while it has not, since SDL catches SIGTERM a moment before its event queue runs and drops a request
// in between. The game is ready once it catches SIGTERM or, when lastRead names a file it reads late in
// its start-up, once it has read that file, which becomes a pipe fed with lastContent.
GameRun runGame(const TempDir& dir, const char* driver, std::vector<std::string> command,
                const std::string& lastRead = "", const std::string& lastContent = "")
{
  if (!lastRead.empty()) {
    fs::remove_all(lastRead);
    mkfifo(lastRead.c_str(), 0600);
  }
  pid_t pid = fork();
  if (pid == 0) {
    setpgid(0, 0);
    freopen(dir.path("output").c_str(), "w", stdout);
    setenv("SDL_VIDEODRIVER", driver, 1);
    std::vector<char*> argv;
    for (std::string& word : command) {
      argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    if (chdir(dir.path().c_str()) == 0) {
      execvp(argv[0], argv.data());
    }
    _exit(127);
  }
  int status = 0;
  bool fed = false;
  auto asked = std::chrono::steady_clock::time_point();
  for (auto start = std::chrono::steady_clock::now(), now = start;
       waitpid(pid, &status, WNOHANG) != pid && now - start < std::chrono::minutes(3);
       now = std::chrono::steady_clock::now()) {
    if (!fed && !lastRead.empty()) {
      // Opening the pipe for writing succeeds once the game has opened it for reading.
      int writer = open(lastRead.c_str(), O_WRONLY | O_NONBLOCK);
      fed = writer >= 0 && fcntl(writer, F_SETFL, 0) == 0 && write(writer, lastContent.data(), lastContent.size()) > 0;
      close(writer);
    }
    // Asked again only while SDL still catches SIGTERM: once it quits, a second one would kill the game.
    bool ready = lastRead.empty() ? catchesSigterm(pid) : fed && asked == std::chrono::steady_clock::time_point();
    if (ready && now - asked > std::chrono::seconds(1)) {
      kill(pid, SIGTERM);
      asked = now;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  // Whatever the game left behind in its process group goes with it.
  kill(-pid, SIGKILL);
  waitpid(pid, &status, 0);
  return GameRun{readFile(dir.path("output")), WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

std::string message(const std::string& path)
{
  return "ERROR opening file data/" + path + "\n\n";
}

void cut(const TempDir& dir, const std::string& name, size_t length)
{
  dir.write("data/" + name, readFile(DATA + name).substr(0, length));
}

// A picture whose bits-per-pixel field reads 53256: SDL takes it for a picture of
// 8 bits a pixel but gives it no colours to draw it with.
std::string pictureWithoutColours()
{
  return readFile(DATA + "kana/kana0.bmp").replace(28, 2, "\x08\xD0");
}

// Without its data the game says what it could not open, in the order it tried, runs, and quits
// with status 0 when asked.
TEST(GameRun, SaysWhatItCouldNotOpenAndQuitsWhenAsked)
{
  TempDir dir;
  GameRun run = runGame(dir, "dummy", {KANAMIINA});
  EXPECT_EQ(run.output, message("bg.bmp") + message("peliohi.bmp") + message("mato/info") + message("kana/info") +
                          message("miina/info"));
  EXPECT_EQ(run.exitStatus, 0);
}

TEST(StartUp, VideoModeThatCannotBeSetEndsWithStatus1)
{
  auto start = []() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    dup2(STDERR_FILENO, STDOUT_FILENO);
    char name[] = "kanamiina";
    char* argv[] = {name, nullptr};
    lesson3_main(1, argv);
  };
  EXPECT_EXIT(start(), testing::ExitedWithCode(1), "Unable to set 640x480 video: no such mode here\n");
}

// On damaged data the game says what it could not open and runs, reading nothing unset and losing
// no memory of its own from start-up, through frames, to the exit.
TEST(Memcheck, DamagedDataIsReportedAndStartUpFramesAndExitAreClean)
{
  TempDir dir;
  fs::copy(DATA, dir.path("data"), fs::copy_options::recursive);
  dir.write("data/bg.bmp", pictureWithoutColours());
  cut(dir, "peliohi.bmp", 1000);
  dir.write("data/mato/info", "FILES: 1000\n");
  cut(dir, "kana/kana0.bmp", 3000);
  dir.write("data/kana/kana1.bmp", pictureWithoutColours());
  dir.replaceWithDirectory("data/miina/info");
  dir.write("data/kuvake.bmp", pictureWithoutColours());
  std::vector<std::string> command = {KANAMIINA};
#if !defined(__SANITIZE_ADDRESS__)
  command.insert(command.begin(), {"valgrind", "--leak-check=full", "--errors-for-leak-kinds=definite",
                                   "--error-exitcode=99", "--suppressions=" VALGRIND_SUPPRESSIONS,
                                   "--log-file=" + dir.path("memcheck.log")});
#endif
  GameRun run = runGame(dir, "dummy", command, dir.path("data/fontti/font.dat"), readFile(DATA + "fontti/font.dat"));
  EXPECT_EQ(run.output, message("bg.bmp") + message("peliohi.bmp") + message("miina/info"));
  EXPECT_EQ(run.exitStatus, 0) << readFile(dir.path("memcheck.log"));
}

// The game as installed: its launcher starts it with all its data from any directory and passes
// its exit status on; uninstalling leaves no file.
TEST(Installed, LauncherStartsTheGameFromAnywhereAndUninstallLeavesNothing)
{
  TempDir prefix, elsewhere;
  ASSERT_EQ(system(("cmake --install " BINARY_DIR " --prefix " + prefix.path() + " >/dev/null").c_str()), 0);
  GameRun run = runGame(elsewhere, "dummy", {prefix.path("bin/kanamiina")});
  EXPECT_EQ(run.output, "");
  EXPECT_EQ(run.exitStatus, 0);
  run = runGame(elsewhere, "nosuchdriver", {prefix.path("bin/kanamiina")});
  EXPECT_EQ(run.output.rfind("Unable to init SDL: ", 0), 0u) << run.output;
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(system(SOURCE_DIR "/desktop/uninstall " BINARY_DIR "/install_manifest.txt >/dev/null"), 0);
  for (const auto& left : fs::recursive_directory_iterator(prefix.path())) {
    EXPECT_TRUE(left.is_directory()) << left.path();
  }
}

}
