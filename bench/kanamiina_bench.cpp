// Costs of a frame, of its parts and of loading the game, measured on the dummy
// video driver with the committed data. The busy frame is compared with the
// least any frame costs: clearing the screen, the background and the flip.
// The start-up is measured once more, with its peak memory, on the largest
// data the game reads.

#include "layout.h"
#include "lesson3.h"
#include "platform.h"
#include "sound.h"

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

extern char** environ;

namespace {

// Given as the first argument, the program starts the game once, from the data directory under the
// directory given next, and prints how long that took and the most memory it held.
const char* const START_UP_ONCE = "--start-up-once";

const char* const BASELINE = "BM_ClearBackgroundFlip";
const char* const BUSY = "BM_DrawSceneBusy";
const char* const BUSY_WITH_SIGN = "BM_DrawSceneBusyGameOver";

bool gameLoaded()
{
  return back != NULL && gameoverimg != NULL && font != NULL && matobase.built == 1 && kanabase.built == 1 &&
         miinabase.built == 1;
}

SDL_Surface* openScreen()
{
  return SDL_SetVideoMode(SCREEN_WIDTH, SCREEN_HEIGHT, 32, SDL_FULLSCREEN);
}

// The game's own start-up from the video mode on; prints the milliseconds it took.
int startUpOnce()
{
  if (SDL_Init(SDL_INIT_VIDEO) < 0) {
    return 1;
  }
  auto start = std::chrono::steady_clock::now();
  screen = openScreen();
  if (screen != NULL) {
    LoadGame();
  }
  std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
  bool loaded = screen != NULL && gameLoaded();
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  if (loaded) {
    printf("\n%.6f %ld\n", took.count(), usage.ru_maxrss);
  }
  SDL_Quit();
  return loaded ? 0 : 1;
}

// Starts this program with START_UP_ONCE and reads its figures: the game's
// sets are never freed, so each start-up gets a process of its own.
bool startUpInChild(const std::string& dir, double& milliseconds, long& peakKilobytes, std::string& output)
{
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) {
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  char self[] = "/proc/self/exe";
  char flag[64];
  snprintf(flag, sizeof flag, "%s", START_UP_ONCE);
  std::string where = dir;
  char* arguments[] = {self, flag, where.data(), NULL};
  pid_t child = 0;
  int spawned = posix_spawn(&child, self, &actions, NULL, arguments, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  output.clear();
  char chunk[256];
  ssize_t got = 0;
  while (spawned == 0 && (got = read(pipeEnds[0], chunk, sizeof chunk)) > 0) {
    output.append(chunk, static_cast<size_t>(got));
  }
  close(pipeEnds[0]);
  int status = 0;
  if (spawned != 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return false;
  }
  size_t lastLine = output.find_last_of('\n', output.size() - 2);
  char* end = NULL;
  milliseconds = strtod(output.c_str() + (lastLine == std::string::npos ? 0 : lastLine + 1), &end);
  peakKilobytes = strtol(end, NULL, 10);
  return milliseconds > 0;
}

// A game in full swing: every chicken in play, spread over the field, three
// mines lying, the worm at its start and a score of several digits.
void setUpBusyFrame(int over)
{
  srand(1);
  AloitaUusipeli();
  for (int i = 0; i < KANA_COUNT; ++i) {
    kana[i].set(20 + (i % 5) * 120, 40 + (i / 5) * 85);
    edraw[i] = 1;
  }
  const int mineAt[3][2] = {{150, 150}, {300, 220}, {450, 300}};
  for (int j = 0; j < 3; ++j) {
    miina[j].set(mineAt[j][0], mineAt[j][1]);
    mdraw[j] = 1;
  }
  miinat = MIINA_SLOTS - 3;
  score = 1250;
  gameover = over;
}

void BM_ClearBackgroundFlip(benchmark::State& state)
{
  for (auto _ : state) {
    SDL_FillRect(screen, NULL, 0);
    DrawBG();
    SDL_Flip(screen);
  }
}
BENCHMARK(BM_ClearBackgroundFlip)->Unit(benchmark::kMicrosecond);

void BM_DrawSceneBusy(benchmark::State& state)
{
  setUpBusyFrame(0);
  for (auto _ : state) {
    DrawScene();
  }
}
BENCHMARK(BM_DrawSceneBusy)->Unit(benchmark::kMicrosecond);

void BM_DrawSceneBusyGameOver(benchmark::State& state)
{
  setUpBusyFrame(1);
  for (auto _ : state) {
    DrawScene();
  }
}
BENCHMARK(BM_DrawSceneBusyGameOver)->Unit(benchmark::kMicrosecond);

// The four texts of the score line, drawn by the game.
void BM_DrawStringScoreLine(benchmark::State& state)
{
  score = 1250;
  miinat = 25;
  for (auto _ : state) {
    DrawScore();
  }
}
BENCHMARK(BM_DrawStringScoreLine)->Unit(benchmark::kMicrosecond);

void BM_SpriteDraw(benchmark::State& state)
{
  CSprite& chicken = kana[0];
  chicken.set(300, 200);
  chicken.setSpeed(2.0f);
  for (auto _ : state) {
    chicken.draw();
  }
}
BENCHMARK(BM_SpriteDraw)->Unit(benchmark::kMicrosecond);

// Loading alone, from the video mode through the font, the last thing loaded, from the data under dir;
// bench/measure-game times what a player waits for, exec to the first frame.
void measureLoadGame(benchmark::State& state, const std::string& dir)
{
  std::string output;
  long peakKilobytes = 0;
  for (auto _ : state) {
    double milliseconds = 0;
    if (!startUpInChild(dir, milliseconds, peakKilobytes, output)) {
      state.SkipWithError(("the game did not start: " + output).c_str());
      break;
    }
    state.SetIterationTime(milliseconds / 1000);
  }
  state.counters["peak_MB"] = peakKilobytes / 1024.0;
}

void BM_LoadGame(benchmark::State& state)
{
  measureLoadGame(state, SOURCE_DIR);
}
BENCHMARK(BM_LoadGame)->UseManualTime()->Unit(benchmark::kMillisecond);

// A 32-bit BMP of width x height pixels, every other one keyColour: the most a run-length code can take.
void writeCheckered(const std::string& path, int width, int height, Uint32 keyColour)
{
  SDL_Surface* picture = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 32, 0xFF0000, 0xFF00, 0xFF, 0);
  for (int y = 0; y < height; ++y) {
    Uint32* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(picture->pixels) + y * picture->pitch);
    for (int x = 0; x < width; ++x) {
      row[x] = (x + y) % 2 == 0 ? keyColour : 0x123456;
    }
  }
  SDL_SaveBMP(picture, path.c_str());
  SDL_FreeSurface(picture);
}

void writeText(const std::string& path, const std::string& text)
{
  FILE* file = fopen(path.c_str(), "wb");
  fwrite(text.data(), 1, text.size(), file);
  fclose(file);
}

// The most the game loads: a background and a sign of 1024 x 1024 pixels, each set's first frame
// of 256 x 256 pixels named on 1024 lines, and a font of 512 x 512.
// Written once a run, removed at its end.
std::string largestData;

void writeLargestData()
{
  char dir[] = "/tmp/kanamiina-bench-XXXXXX";
  if (mkdtemp(dir) == NULL) {
    return;
  }
  largestData = dir;
  std::string data = largestData + "/data/";
  for (const char* sub : {"", "fontti", "mato", "kana", "miina"}) {
    mkdir((data + sub).c_str(), 0700);
  }
  writeCheckered(data + "bg.bmp", 1024, 1024, 0x000000);
  writeCheckered(data + "peliohi.bmp", 1024, 1024, 0x00FF00);
  std::string info = "FILES: 1024\n";
  for (int i = 0; i < 1024; ++i) {
    info += "frame.bmp 100 255 0 255\n";
  }
  for (const char* set : {"mato/", "kana/", "miina/"}) {
    writeCheckered(data + set + "frame.bmp", 256, 256, 0xFF00FF);
    writeText(data + set + "info", info);
  }
  writeText(data + "fontti/font.ini", "512\n");
  writeText(data + "fontti/font.raw", std::string(512 * 512, '\x80'));
}

void BM_LoadGameLargestData(benchmark::State& state)
{
  if (largestData.empty()) {
    writeLargestData();
  }
  measureLoadGame(state, largestData);
}
BENCHMARK(BM_LoadGameLargestData)->UseManualTime()->Unit(benchmark::kMillisecond);

// Passes everything on to the console and keeps each benchmark's real and
// processor time: the medians of its repetitions, or its single run.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
  RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& reports) override
  {
    for (const Run& run : reports) {
      double perSecond = benchmark::GetTimeUnitMultiplier(run.time_unit);
      bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (median || (run.run_type == Run::RT_Iteration && !run.error_occurred)) {
        timesOf[run.run_name.function_name] = {run.GetAdjustedRealTime() / perSecond,
                                               run.GetAdjustedCPUTime() / perSecond};
      }
    }
    ConsoleReporter::ReportRuns(reports);
  }

  void printRatio(const char* label, const char* name) const
  {
    auto over = timesOf.find(name);
    auto under = timesOf.find(BASELINE);
    if (over != timesOf.end() && under != timesOf.end()) {
      printf("%s / baseline = %.2f (processor time: %.2f)\n", label, over->second.real / under->second.real,
             over->second.processor / under->second.processor);
    }
  }

private:
  struct Times
  {
    double real;
    double processor;
  };
  std::map<std::string, Times> timesOf;
};

}

int main(int argc, char** argv)
{
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  // Drawn the way the game draws; the start-up children inherit the choice.
  ChooseDrawing();
  if (chdir(SOURCE_DIR) != 0) {
    perror(SOURCE_DIR);
    return 1;
  }
  if (argc == 3 && strcmp(argv[1], START_UP_ONCE) == 0) {
    return chdir(argv[2]) == 0 ? startUpOnce() : 1;
  }

  if (SDL_Init(SDL_INIT_VIDEO) < 0 || (screen = openScreen()) == NULL) {
    fprintf(stderr, "SDL: %s\n", SDL_GetError());
    return 1;
  }
  LoadGame();
  if (!gameLoaded()) {
    fprintf(stderr, "The data in %s/data did not load.\n", SOURCE_DIR);
    return 1;
  }
  // SDL fills the device a buffer at a time: an effect played in a pass is in the next buffer it asks for.
  printf("sound: buffers of %d samples at %d Hz, at most %.1f ms from the pass that plays an effect to its first "
         "sample (goal <= 50 ms)\n",
         SOUND_BUFFER_SAMPLES, SOUND_RATE, 1000.0 * SOUND_BUFFER_SAMPLES / SOUND_RATE);

  // Repetitions in shuffled order, so that a neighbour's build slows every benchmark alike; flags given override.
  std::vector<std::string> defaults = {"--benchmark_repetitions=9", "--benchmark_enable_random_interleaving=true",
                                       "--benchmark_display_aggregates_only=true", "--benchmark_min_time=0.2"};
  std::vector<char*> arguments = {argv[0]};
  for (std::string& flag : defaults) {
    arguments.push_back(flag.data());
  }
  arguments.insert(arguments.end(), argv + 1, argv + argc);
  int count = static_cast<int>(arguments.size());
  benchmark::Initialize(&count, arguments.data());
  if (benchmark::ReportUnrecognizedArguments(count, arguments.data())) {
    return 1;
  }

  const SDL_version* linked = SDL_Linked_Version();
  printf("Frame benchmarks on SDL %d.%d.%d, dummy video driver\n", linked->major, linked->minor, linked->patch);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.printRatio("busy DrawScene", BUSY);
  reporter.printRatio("busy DrawScene with the sign", BUSY_WITH_SIGN);
  benchmark::Shutdown();
  if (!largestData.empty()) {
    std::filesystem::remove_all(largestData);
  }
  SDL_Quit();
  return 0;
}
