#include "pictures/spriteset.h"

namespace {

std::string keyText(Rgb key)
{
  return std::to_string(key.red) + " " + std::to_string(key.green) + " " + std::to_string(key.blue);
}

}

void writeInfo(const std::filesystem::path& directory, const std::vector<FrameLine>& frames, Rgb key,
               const std::string& comment)
{
  std::string text = "FILES: " + std::to_string(frames.size()) + "\n";
  text += "# name  pause_ms  transparent red green blue\n";
  text += "# " + comment + "\n";
  for (const FrameLine& frame : frames) {
    text += frame.file + " " + std::to_string(frame.pauseMs) + " " + keyText(key) + "\n";
  }
  writeFile((directory / "info").string(), std::vector<std::uint8_t>(text.begin(), text.end()));
}

void writeKeyedSprite(const std::filesystem::path& path, const Canvas& canvas, Rgb key)
{
  writeBmp(path.string(), canvas.width(), canvas.height(), canvas.keyed(key));
}
