#include "fuzz_support.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

const std::string& startOnce()
{
  static std::string scratch;
  if (scratch.empty()) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    FUZZ_CHECK(SDL_Init(SDL_INIT_VIDEO) == 0 && SDL_SetVideoMode(64, 48, 32, 0) != NULL);
    std::string pattern = (std::filesystem::temp_directory_path() / "kanamiina-fuzz-XXXXXX").string();
    FUZZ_CHECK(mkdtemp(pattern.data()) != NULL);
    scratch = pattern;
  }
  return scratch;
}

std::string placeFiles(const std::string& dir, const std::vector<std::string>& names, const uint8_t* data, size_t size)
{
  const std::string separator = "\n--8<--\n";
  std::string rest(reinterpret_cast<const char*>(data), size);
  bool more = true;
  for (const std::string& name : names) {
    std::string path = dir + "/" + name;
    size_t end = rest.find(separator);
    if (more) {
      std::ofstream(path, std::ios::binary) << rest.substr(0, end);
    } else {
      unlink(path.c_str());
    }
    more = end != std::string::npos;
    rest = more ? rest.substr(end + separator.size()) : "";
  }
  return rest;
}
