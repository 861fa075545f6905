// Preloaded into a program under measurement (LD_PRELOAD): appends to the file
// named by KANAMIINA_FLIP_LOG the SDL 1.2 version in use, then the wall-clock
// time in nanoseconds at which each SDL_Flip returned, one a line. The program
// is left as it is; the benchmark reads when its frames were shown from outside.

#include <SDL.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

using Flip = int (*)(SDL_Surface*);
using LinkedVersion = const SDL_version* (*)();

int openLog()
{
  const char* path = getenv("KANAMIINA_FLIP_LOG");
  int log = path == NULL ? -1 : open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  auto linked = reinterpret_cast<LinkedVersion>(dlsym(RTLD_NEXT, "SDL_Linked_Version"));
  if (log >= 0 && linked != NULL) {
    const SDL_version* version = linked();
    dprintf(log, "SDL %d.%d.%d\n", version->major, version->minor, version->patch);
  }
  return log;
}

}

extern "C" int SDL_Flip(SDL_Surface* screen)
{
  static const Flip flip = reinterpret_cast<Flip>(dlsym(RTLD_NEXT, "SDL_Flip"));
  static const int log = openLog();
  int result = flip(screen);
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  if (log >= 0) {
    dprintf(log, "%lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
  }
  return result;
}
