#ifndef TOOLS_PICTURES_SPRITESET_H
#define TOOLS_PICTURES_SPRITESET_H

#include <filesystem>
#include <string>
#include <vector>

#include "painter.h"

struct FrameLine
{
  std::string file;
  int pauseMs;
};

// The set's info file: its frames in order, each with the same see-through colour.
void writeInfo(const std::filesystem::path& directory, const std::vector<FrameLine>& frames, Rgb key,
               const std::string& comment);

void writeKeyedSprite(const std::filesystem::path& path, const Canvas& canvas, Rgb key);

#endif
