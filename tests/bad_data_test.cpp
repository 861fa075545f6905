#include "game_process.h"
#include "test_support.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::string COMMITTED_DATA = std::string(SOURCE_DIR) + "/data";

std::string message(const std::string& path)
{
  return "ERROR opening file " + path + "\n\n";
}

std::string readFile(const std::string& path)
{
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

// A working directory holding a copy of the committed data, to be damaged.
class DataCopy
{
public:
  DataCopy() { fs::copy(COMMITTED_DATA, dir.path("data"), fs::copy_options::recursive); }

  const TempDir& root() const { return dir; }
  std::string path(const std::string& name) const { return dir.path("data/" + name); }
  std::string committed(const std::string& name) const { return readFile(COMMITTED_DATA + "/" + name); }
  void write(const std::string& name, const std::string& content) const { dir.write("data/" + name, content); }
  void cut(const std::string& name, size_t length) const { write(name, committed(name).substr(0, length)); }
  void replaceWithDirectory(const std::string& name) const
  {
    fs::remove(path(name));
    dir.makeDir("data/" + name);
  }
  // The set's info file with its first line replaced.
  void setCountLine(const std::string& set, const std::string& line) const
  {
    std::string info = committed(set + "/info");
    write(set + "/info", line + info.substr(info.find('\n')));
  }
  // The first picture the committed info file of the set names.
  std::string firstPicture(const std::string& set) const
  {
    std::istringstream info(committed(set + "/info"));
    std::string line;
    std::getline(info, line);
    while (std::getline(info, line)) {
      if (!line.empty() && line[0] != '#' && line[0] != '\r') {
        return set + "/" + line.substr(0, line.find_first_of(" \t\r"));
      }
    }
    ADD_FAILURE() << "the committed " << set << "/info names no picture";
    return set + "/info";
  }

private:
  TempDir dir;
};

void appendLE(std::string& bytes, Uint32 value, int size)
{
  for (int i = 0; i < size; ++i) {
    bytes += static_cast<char>((value >> (8 * i)) & 255);
  }
}

// A 4 x 2 picture whose bits-per-pixel field reads 53256: SDL takes it for
// a picture of 8 bits a pixel but gives it no colours to draw it with.
std::string pictureWithoutColours()
{
  const Uint32 PIXELS_AT = 14 + 40 + 16;
  std::string bmp = "BM";
  appendLE(bmp, PIXELS_AT + 8, 4);
  appendLE(bmp, 0, 4);
  appendLE(bmp, PIXELS_AT, 4);
  appendLE(bmp, 40, 4);
  appendLE(bmp, 4, 4);
  appendLE(bmp, 2, 4);
  appendLE(bmp, 1, 2);
  appendLE(bmp, 53256, 2);
  appendLE(bmp, 0, 4);
  appendLE(bmp, 8, 4);
  appendLE(bmp, 2835, 4);
  appendLE(bmp, 2835, 4);
  appendLE(bmp, 4, 4);
  appendLE(bmp, 0, 4);
  for (Uint32 colour : {0x000000u, 0xFF00FFu, 0xFFFFFFu, 0x008000u}) {
    appendLE(bmp, colour, 4);
  }
  bmp += std::string("\0\1\2\3\3\2\1\0", 8);
  return bmp;
}

struct BadDataCase
{
  const char* name;
  std::function<void(const DataCopy&)> damage;
  std::string output;
};

std::ostream& operator<<(std::ostream& out, const BadDataCase& badData)
{
  return out << badData.name;
}

class BadDataTest : public testing::TestWithParam<BadDataCase>
{
};

// Whatever is damaged, the game says what it could not open, runs, and quits
// with status 0 when asked.
TEST_P(BadDataTest, GameRunsAndQuitsCleanly)
{
  DataCopy data;
  GetParam().damage(data);
  GameRun run = runGame(data.root().path(), {{"SDL_VIDEODRIVER", "dummy"}});
  EXPECT_EQ(run.output, GetParam().output);
  EXPECT_EQ(run.signal, 0);
  EXPECT_EQ(run.exitStatus, 0);
}

const std::string NOTHING;

INSTANTIATE_TEST_SUITE_P(
  Damage, BadDataTest,
  testing::Values(
    BadDataCase{"EmptyDataDirectory",
                [](const DataCopy& data) {
                  fs::remove_all(data.path(""));
                  data.root().makeDir("data");
                },
                message("data/bg.bmp") + message("data/peliohi.bmp") + message("data/mato/info") +
                  message("data/kana/info") + message("data/miina/info")},
    BadDataCase{"ZeroByteInfo", [](const DataCopy& data) { data.write("mato/info", ""); }, NOTHING},
    BadDataCase{"NegativeFrameCount", [](const DataCopy& data) { data.setCountLine("kana", "FILES: -5"); },
                NOTHING},
    BadDataCase{"LargestIntFrameCount",
                [](const DataCopy& data) { data.setCountLine("miina", "FILES: 2147483647"); }, NOTHING},
    BadDataCase{"PictureNameOf300Characters",
                [](const DataCopy& data) {
                  data.write("kana/info", "FILES: 1\n" + std::string(300, 'k') + " 100 255 0 255\n");
                },
                NOTHING},
    BadDataCase{"FrameLineWithoutAName",
                [](const DataCopy& data) { data.write("mato/info", "FILES: 2\n \t \n"); }, NOTHING},
    BadDataCase{"TruncatedBackground", [](const DataCopy& data) { data.cut("bg.bmp", 1000); },
                message("data/bg.bmp")},
    BadDataCase{"BackgroundCutInItsHeader", [](const DataCopy& data) { data.cut("bg.bmp", 20); },
                message("data/bg.bmp")},
    BadDataCase{"TruncatedGameOverPicture", [](const DataCopy& data) { data.cut("peliohi.bmp", 1000); },
                message("data/peliohi.bmp")},
    BadDataCase{"TruncatedFrame",
                [](const DataCopy& data) {
                  std::string frame = data.firstPicture("kana");
                  data.cut(frame, data.committed(frame).size() / 2);
                },
                NOTHING},
    BadDataCase{"FrameCutInItsHeader", [](const DataCopy& data) { data.cut(data.firstPicture("mato"), 20); },
                NOTHING},
    BadDataCase{"BackgroundThatIsNotABmp", [](const DataCopy& data) { data.write("bg.bmp", "no picture\n"); },
                message("data/bg.bmp")},
    BadDataCase{"GameOverPictureThatIsNotABmp",
                [](const DataCopy& data) { data.write("peliohi.bmp", "BM but no picture\n"); },
                message("data/peliohi.bmp")},
    BadDataCase{"FrameThatIsNotABmp",
                [](const DataCopy& data) { data.write(data.firstPicture("miina"), "no picture\n"); }, NOTHING},
    BadDataCase{"BackgroundWithoutColours",
                [](const DataCopy& data) { data.write("bg.bmp", pictureWithoutColours()); },
                message("data/bg.bmp")},
    BadDataCase{"GameOverPictureWithoutColours",
                [](const DataCopy& data) { data.write("peliohi.bmp", pictureWithoutColours()); },
                message("data/peliohi.bmp")},
    BadDataCase{"FrameWithoutColours",
                [](const DataCopy& data) { data.write(data.firstPicture("kana"), pictureWithoutColours()); },
                NOTHING},
    BadDataCase{"DirectoryAsBackground", [](const DataCopy& data) { data.replaceWithDirectory("bg.bmp"); },
                message("data/bg.bmp")},
    BadDataCase{"DirectoryAsFrame",
                [](const DataCopy& data) { data.replaceWithDirectory(data.firstPicture("mato")); }, NOTHING},
    BadDataCase{"DirectoryAsInfo", [](const DataCopy& data) { data.replaceWithDirectory("kana/info"); },
                message("data/kana/info")},
    BadDataCase{"DirectoryAsFontIni", [](const DataCopy& data) { data.replaceWithDirectory("fontti/font.ini"); },
                NOTHING},
    BadDataCase{"DirectoryAsFontRaw", [](const DataCopy& data) { data.replaceWithDirectory("fontti/font.raw"); },
                NOTHING},
    BadDataCase{"DirectoryAsFontDat", [](const DataCopy& data) { data.replaceWithDirectory("fontti/font.dat"); },
                NOTHING},
    BadDataCase{"FontSizeNotANumber", [](const DataCopy& data) { data.write("fontti/font.ini", "abc"); }, NOTHING},
    BadDataCase{"FontSize0", [](const DataCopy& data) { data.write("fontti/font.ini", "0"); }, NOTHING},
    BadDataCase{"FontSize15", [](const DataCopy& data) { data.write("fontti/font.ini", "15"); }, NOTHING},
    BadDataCase{"FontSize17", [](const DataCopy& data) { data.write("fontti/font.ini", "17"); }, NOTHING},
    BadDataCase{"FontSize100000", [](const DataCopy& data) { data.write("fontti/font.ini", "100000"); },
                NOTHING},
    BadDataCase{"ShortFontRaw", [](const DataCopy& data) { data.cut("fontti/font.raw", 100); }, NOTHING},
    BadDataCase{"ShortFontDat", [](const DataCopy& data) { data.cut("fontti/font.dat", 10); }, NOTHING}),
  [](const testing::TestParamInfo<BadDataCase>& info) { return std::string(info.param.name); });

// How a run under memcheck ended: the game's output and memcheck's report.
struct MemcheckRun
{
  std::string output;
  std::string report;
  int exitStatus;  // -1 when it did not exit normally
  int signal;
};

const auto MEMCHECK_DEADLINE = std::chrono::minutes(3);
const auto POLL = std::chrono::milliseconds(10);

bool exited(pid_t pid, int& status)
{
  return waitpid(pid, &status, WNOHANG) == pid;
}

// Runs the game under memcheck in the data copy's directory. Memcheck itself
// catches every signal from its first instant, so the run cannot wait for
// SDL to catch SIGTERM as runGame does. Instead `lastRead`, a file the game
// reads late in its start-up, long after SDL has caught SIGTERM, becomes a
// pipe: once the game has read `content` from it, it is asked to quit.
MemcheckRun runUnderMemcheck(const DataCopy& data, const std::string& lastRead, const std::string& content)
{
  std::string pipePath = data.path(lastRead);
  fs::remove_all(pipePath);
  std::string reportPath = data.root().path("memcheck.log");
  int output[2];
  if (mkfifo(pipePath.c_str(), 0600) != 0 || pipe(output) != 0) {
    return MemcheckRun{"", "cannot make the pipes", -1, 0};
  }
  std::string logOption = "--log-file=" + reportPath;
  pid_t pid = fork();
  if (pid == 0) {
    dup2(output[1], STDOUT_FILENO);
    close(output[0]);
    close(output[1]);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (chdir(data.root().path().c_str()) == 0) {
      execlp("valgrind", "valgrind", "--tool=memcheck", "--leak-check=full", "--errors-for-leak-kinds=definite",
             "--error-exitcode=99", "--suppressions=" VALGRIND_SUPPRESSIONS, logOption.c_str(), KANAMIINA,
             static_cast<char*>(nullptr));
    }
    _exit(127);
  }
  close(output[1]);

  int status = 0;
  bool done = false;
  int writer = -1;
  auto start = std::chrono::steady_clock::now();
  while (!(done = exited(pid, status)) && std::chrono::steady_clock::now() - start < MEMCHECK_DEADLINE) {
    writer = open(pipePath.c_str(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0 || errno != ENXIO) {
      break;
    }
    std::this_thread::sleep_for(POLL);
  }
  if (writer >= 0) {
    fcntl(writer, F_SETFL, 0);
    bool fed = write(writer, content.data(), content.size()) == static_cast<ssize_t>(content.size());
    close(writer);
    if (fed) {
      kill(pid, SIGTERM);
    }
  }
  while (!done && !(done = exited(pid, status)) && std::chrono::steady_clock::now() - start < MEMCHECK_DEADLINE) {
    std::this_thread::sleep_for(POLL);
  }
  if (!done) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
  }
  std::string text;
  char buffer[4096];
  ssize_t got;
  while ((got = read(output[0], buffer, sizeof buffer)) > 0) {
    text.append(buffer, got);
  }
  close(output[0]);
  return MemcheckRun{text, readFile(reportPath), WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                     WIFSIGNALED(status) ? WTERMSIG(status) : 0};
}

bool builtWithAddressSanitizer()
{
#if defined(__SANITIZE_ADDRESS__)
  return true;
#elif defined(__has_feature)
  return __has_feature(address_sanitizer);
#else
  return false;
#endif
}

struct MemcheckCase
{
  const char* name;
  std::function<void(const DataCopy&)> damage;
  std::string lastRead;
  std::function<std::string(const DataCopy&)> lastContent;
  std::string output;
};

std::ostream& operator<<(std::ostream& out, const MemcheckCase& memcheckCase)
{
  return out << memcheckCase.name;
}

class MemcheckTest : public testing::TestWithParam<MemcheckCase>
{
};

// Start-up, a frame and the exit read nothing unset and lose no memory of
// the game's own, on good data and on data every loader fails on.
TEST_P(MemcheckTest, StartUpFrameAndExitAreClean)
{
  if (builtWithAddressSanitizer()) {
    GTEST_SKIP() << "memcheck cannot run a game built with AddressSanitizer";
  }
  DataCopy data;
  GetParam().damage(data);
  std::string content = GetParam().lastContent(data);
  MemcheckRun run = runUnderMemcheck(data, GetParam().lastRead, content);
  ASSERT_NE(run.exitStatus, 127) << "valgrind could not be started";
  EXPECT_EQ(run.output, GetParam().output);
  EXPECT_EQ(run.signal, 0);
  EXPECT_EQ(run.exitStatus, 0) << run.report;
  EXPECT_TRUE(run.report.find("ERROR SUMMARY: 0 errors") != std::string::npos) << "no clean summary";
}

INSTANTIATE_TEST_SUITE_P(
  Data, MemcheckTest,
  testing::Values(
    MemcheckCase{"Committed", [](const DataCopy&) {}, "fontti/font.dat",
                 [](const DataCopy& data) { return data.committed("fontti/font.dat"); }, NOTHING},
    MemcheckCase{"Damaged",
                 [](const DataCopy& data) {
                   data.write("bg.bmp", pictureWithoutColours());
                   fs::remove(data.path("peliohi.bmp"));
                   data.setCountLine("mato", "FILES: 1000");
                   data.cut(data.firstPicture("kana"), 100);
                   data.replaceWithDirectory("miina/info");
                   fs::remove(data.path("fontti/font.raw"));
                 },
                 "fontti/font.ini", [](const DataCopy&) { return std::string("16"); },
                 message("data/bg.bmp") + message("data/peliohi.bmp") + message("data/miina/info")}),
  [](const testing::TestParamInfo<MemcheckCase>& info) { return std::string(info.param.name); });

}
