#ifndef TOOLS_PICTURES_MEADOW_H
#define TOOLS_PICTURES_MEADOW_H

#include <filesystem>

// The screen-sized meadow under a dark hedge that the game is played on.
void writeBackground(const std::filesystem::path& path);

#endif
