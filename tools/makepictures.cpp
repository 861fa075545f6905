// Draws every picture the game shows: the meadow, the game-over sign, the
// pause sign, the worm, chicken and mine sprite sets, the window icon and the desktop icons.

#include <exception>
#include <filesystem>
#include <iostream>

#include "pictures/chicken.h"
#include "pictures/icon.h"
#include "pictures/meadow.h"
#include "pictures/mine.h"
#include "pictures/sign.h"
#include "pictures/worm.h"

namespace {

void writePictures(const std::filesystem::path& dataDirectory, const std::filesystem::path& iconDirectory)
{
  std::filesystem::create_directories(dataDirectory);
  std::filesystem::create_directories(iconDirectory);
  writeBackground(dataDirectory / "bg.bmp");
  writeGameOverSign(dataDirectory / "peliohi.bmp");
  writePauseSign(dataDirectory / "tauko.bmp");
  writeWorm(dataDirectory / "mato");
  writeChicken(dataDirectory / "kana");
  writeMine(dataDirectory / "miina");
  writeWindowIcon(dataDirectory / "kuvake.bmp");
  writeIcons(iconDirectory);
}

}

int main(int argc, char** argv)
{
  if (argc != 3) {
    std::cerr << "usage: makepictures <datadir> <icondir>\n";
    return 1;
  }
  try {
    writePictures(argv[1], argv[2]);
  } catch (const std::exception& error) {
    std::cerr << "makepictures: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
