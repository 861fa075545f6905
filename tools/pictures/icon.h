#ifndef TOOLS_PICTURES_ICON_H
#define TOOLS_PICTURES_ICON_H

#include <filesystem>

// The desktop icons, the worm with a mine beside it, as icons/<N>x<N>/kanamiina.png at every
// size a desktop or a phone's home screen asks for, each drawn at its own size.
void writeIcons(const std::filesystem::path& directory);

// The same picture at 32 pixels for the game's window, keyed on magenta.
void writeWindowIcon(const std::filesystem::path& path);

#endif
