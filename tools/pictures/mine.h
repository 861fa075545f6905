#ifndef TOOLS_PICTURES_MINE_H
#define TOOLS_PICTURES_MINE_H

#include <filesystem>

#include "painter.h"

// Round mine seen from above with spikes around it; light 0..1 is how brightly its lamp glows.
void drawMine(Canvas& canvas, Point centre, double light);

// The mine's sprite set: its lamp flares, fades and rests.
void writeMine(const std::filesystem::path& directory);

#endif
