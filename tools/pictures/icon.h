#ifndef TOOLS_PICTURES_ICON_H
#define TOOLS_PICTURES_ICON_H

#include <filesystem>

// The desktop icon: the worm with a mine beside it.
void writeIcon(const std::filesystem::path& path);

#endif
