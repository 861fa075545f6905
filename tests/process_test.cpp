#include "support.h"

#include <signal.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
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
  long peakKilobytes;
};

// The game holds less memory than this, in kilobytes; the sanitizers' own bookkeeping takes it past.
#if defined(__SANITIZE_ADDRESS__)
const long MOST_KILOBYTES = LONG_MAX;
#else
const long MOST_KILOBYTES = 100 * 1024;
#endif

std::string statusField(pid_t pid, const std::string& name)
{
  std::string status = readFile("/proc/" + std::to_string(pid) + "/status");
  size_t at = status.find(name + ":");
  return at == std::string::npos ? "0" : status.substr(at + name.size() + 1, status.find('\n', at) - at - name.size() - 1);
}

bool catchesSigterm(pid_t pid)
{
  return (std::stoull(statusField(pid, "SigCgt"), nullptr, 16) >> (SIGTERM - 1)) & 1;
}

// Whether a file of that name was closed since the last look at the watch.
bool closedFile(int watch, const std::string& name)
{
  alignas(inotify_event) char events[4096];
  bool closed = false;
  for (ssize_t length; (length = read(watch, events, sizeof events)) > 0;) {
    for (char* at = events; at < events + length; at += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(at)->len) {
      closed = closed || name == reinterpret_cast<inotify_event*>(at)->name;
    }
  }
  return closed;
}

// Runs command from dir on the given video driver and asks it to quit with SIGTERM, every second
// while it has not, since SDL catches SIGTERM a moment before its event queue runs and drops a request
// in between. The game is ready once it catches SIGTERM or, when lastRead names a file it reads last in
// its start-up, once it has closed that file; it is then asked once. A game holding more than mostKilobytes
// is stopped at once.
GameRun runGame(const TempDir& dir, const char* driver, std::vector<std::string> command, const std::string& lastRead = "",
                long mostKilobytes = LONG_MAX)
{
  int closes = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (!lastRead.empty()) {
    inotify_add_watch(closes, fs::path(lastRead).parent_path().c_str(), IN_CLOSE_NOWRITE);
  }
  pid_t pid = fork();
  if (pid == 0) {
    setpgid(0, 0);
    freopen(dir.path("output").c_str(), "w", stdout);
    setenv("SDL_VIDEODRIVER", driver, 1);
    // The machine running the tests may have no sound card: the game plays into a file, which SDL 2
    // wants a regular one.
    setenv("SDL_AUDIODRIVER", "disk", 0);
    setenv("SDL_DISKAUDIOFILE", dir.path("played").c_str(), 0);
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
  rusage usage{};
  long peakKilobytes = 0;
  bool closed = false;
  auto asked = std::chrono::steady_clock::time_point();
  for (auto start = std::chrono::steady_clock::now(), now = start;
       wait4(pid, &status, WNOHANG, &usage) != pid && now - start < std::chrono::minutes(3);
       now = std::chrono::steady_clock::now()) {
    closed = closed || (!lastRead.empty() && closedFile(closes, fs::path(lastRead).filename()));
    // Asked again only while SDL still catches SIGTERM: once it quits, a second one would kill the game.
    bool ready = lastRead.empty() ? catchesSigterm(pid) : closed && asked == std::chrono::steady_clock::time_point();
    if (ready && now - asked > std::chrono::seconds(1)) {
      kill(pid, SIGTERM);
      asked = now;
    }
    peakKilobytes = std::max(peakKilobytes, std::stol(statusField(pid, "VmRSS")));
    if (peakKilobytes > mostKilobytes) {
      kill(pid, SIGKILL);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  close(closes);
  // Whatever the game left behind in its process group goes with it.
  kill(-pid, SIGKILL);
  wait4(pid, &status, 0, &usage);
  return GameRun{readFile(dir.path("output")), WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                 std::max(peakKilobytes, usage.ru_maxrss)};
}

std::string messages(const std::vector<std::string>& paths)
{
  std::string text;
  for (const std::string& path : paths) {
    text += "ERROR opening file data/" + path + "\n\n";
  }
  return text;
}

// A picture whose bits-per-pixel field reads 53256: SDL takes it for a picture of
// 8 bits a pixel but gives it no colours to draw it with.
std::string pictureWithoutColours()
{
  return readFile(DATA + "kana/kana0.bmp").replace(28, 2, "\x08\xD0");
}

// The header of a picture of the given size with no colour table, and its pixel rows: SDL 1.2 reads
// one of 16383 x -2147483648 pixels as a picture over no pixels at all.
std::string picture(Sint32 width, Sint32 height, int bitsPerPixel, const std::string& pixels = "")
{
  std::string header = readFile(DATA + "kana/kana0.bmp").substr(0, 54);
  for (auto field : {std::pair<int, Sint32>{2, 54 + pixels.size()}, {18, width}, {22, height}, {28, bitsPerPixel}}) {
    memcpy(&header[field.first], &field.second, 4);
  }
  return header + pixels;
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

// On damaged data of every kind, or none, the game says which files it could not open, in the order it tried,
// runs, and quits with status 0 when asked, having held less than 100 MB.
TEST(GameRun, DamagedDataIsReportedAndTheGameQuitsWhenAskedWithinItsMemory)
{
  const struct
  {
    const char* name;
    std::function<void(const TempDir&)> damage;
    std::vector<std::string> unopened;
  } cases[] = {
    {"none", [](const TempDir& dir) { fs::remove_all(dir.path("data")); },
     {"aanet/pudotus.wav", "aanet/pamaus.wav", "aanet/kiinni.wav", "aanet/alku.wav", "bg.bmp", "peliohi.bmp", "tauko.bmp",
      "mato/info", "kana/info", "miina/info"}},
    {"sound effects cut short, huge, a pipe and a directory",
     [](const TempDir& dir) {
       dir.write("data/aanet/pudotus.wav", readFile(DATA + "aanet/pudotus.wav").substr(0, 1000));
       dir.write("data/aanet/pamaus.wav", waveFile(1, 22050, std::string(64 * 1024 * 1024, '\1')));
       fs::remove(dir.path("data/aanet/kiinni.wav"));
       mkfifo(dir.path("data/aanet/kiinni.wav").c_str(), 0600);
       dir.replaceWithDirectory("data/aanet/alku.wav");
     },
     {"aanet/pudotus.wav", "aanet/pamaus.wav", "aanet/kiinni.wav", "aanet/alku.wav"}},
    {"sound effects in stereo, at another rate, over 0.6 s and with a chunk running past the end",
     [](const TempDir& dir) {
       dir.write("data/aanet/pudotus.wav", waveFile(2, 22050, std::string(1000, '\1')));
       dir.write("data/aanet/pamaus.wav", waveFile(1, 44100, std::string(1000, '\1')));
       dir.write("data/aanet/kiinni.wav", waveFile(1, 22050, std::string(2 * 13231, '\1')));
       dir.write("data/aanet/alku.wav", readFile(DATA + "aanet/alku.wav").replace(40, 4, "\xff\xff\xff\x7f"));
     },
     {"aanet/pudotus.wav", "aanet/pamaus.wav", "aanet/kiinni.wav", "aanet/alku.wav"}},
    {"pictures of a negative size as frame, sign and icon",
     [](const TempDir& dir) {
       dir.write("data/mato/info", "FILES: 1\nnegative.bmp 100 -1 0 0\n");
       dir.write("data/mato/negative.bmp", picture(16383, INT32_MIN, 24));
       dir.write("data/peliohi.bmp", picture(16383, INT32_MIN, 16));
       dir.write("data/kuvake.bmp", picture(16383, INT32_MIN, 24));
     },
     {"peliohi.bmp"}},
    {"a picture of 16000 x 16000 pixels of 1 bit in every place of one",
     [](const TempDir& dir) {
       dir.write("data/bg.bmp", picture(16000, 16000, 1, std::string(8 + 2000 * 16000, '\0')));
       for (std::string name : {"peliohi.bmp", "kuvake.bmp", "kana/kana0.bmp"}) {
         fs::remove(dir.path("data/" + name));
         fs::create_hard_link(dir.path("data/bg.bmp"), dir.path("data/" + name));
       }
     },
     {"bg.bmp", "peliohi.bmp"}},
    {"pipes and directories in every kind of place",
     [](const TempDir& dir) {
       for (std::string name : {"bg.bmp", "tauko.bmp", "kuvake.bmp", "mato/info", "kana/kana0.bmp", "fontti/font.ini"}) {
         fs::remove(dir.path("data/" + name));
         mkfifo(dir.path("data/" + name).c_str(), 0600);
       }
       dir.replaceWithDirectory("data/peliohi.bmp");
       dir.replaceWithDirectory("data/miina/info");
     },
     {"bg.bmp", "peliohi.bmp", "tauko.bmp", "mato/info", "miina/info"}}};
  for (const auto& damaged : cases) {
    SCOPED_TRACE(damaged.name);
    TempDir dir;
    fs::copy(DATA, dir.path("data"), fs::copy_options::recursive);
    damaged.damage(dir);
    GameRun run = runGame(dir, "dummy", {KANAMIINA}, "", MOST_KILOBYTES);
    EXPECT_EQ(run.output, messages(damaged.unopened));
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_LT(run.peakKilobytes, MOST_KILOBYTES);
  }
}

// On damaged data the game reads nothing unset and loses no memory of its own from start-up, through
// frames, to the exit. The background, the sign and the icon are whole, so that each loader's file
// surface is made and freed; the worm's second frame is cut short, and the chickens' first frame has
// no colours, so that their set refuses it after SDL has read it.
TEST(Memcheck, DamagedDataIsReportedAndStartUpFramesAndExitAreClean)
{
  TempDir dir;
  fs::copy(DATA, dir.path("data"), fs::copy_options::recursive);
  dir.write("data/mato/info", "FILES: 1000\nmato0.bmp 1 -1 0 0\nmato1.bmp\n");
  dir.write("data/mato/mato1.bmp", readFile(DATA + "mato/mato1.bmp").substr(0, 1000));
  dir.write("data/kana/kana0.bmp", pictureWithoutColours());
  dir.replaceWithDirectory("data/miina/info");
  std::vector<std::string> command = {KANAMIINA};
#if !defined(__SANITIZE_ADDRESS__)
  command.insert(command.begin(), {"valgrind", "--leak-check=full", "--errors-for-leak-kinds=definite",
                                   "--error-exitcode=99", "--suppressions=" VALGRIND_SUPPRESSIONS,
                                   "--log-file=" + dir.path("memcheck.log")});
#endif
  GameRun run = runGame(dir, "dummy", command, dir.path("data/fontti/font.dat"));
  EXPECT_EQ(run.output, messages({"miina/info"}));
  EXPECT_EQ(run.exitStatus, 0) << readFile(dir.path("memcheck.log"));
}

// The game as installed: its launcher starts it with all its data from any directory, without an
// audio device too, and passes its exit status on; uninstalling leaves no file.
TEST(Installed, LauncherStartsTheGameFromAnywhereWithoutAudioTooAndUninstallLeavesNothing)
{
  TempDir prefix, elsewhere;
  ASSERT_EQ(system(("cmake --install " BINARY_DIR " --prefix " + prefix.path() + " >/dev/null").c_str()), 0);
  // Without an audio device the game says once why it has no sound, and plays silently.
  setenv("SDL_AUDIODRIVER", "nosuchdriver", 1);
  GameRun run = runGame(elsewhere, "dummy", {prefix.path("bin/kanamiina")});
  unsetenv("SDL_AUDIODRIVER");
  EXPECT_EQ(run.output.rfind("No sound: ", 0), 0u) << run.output;
  EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << run.output;
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
