#ifndef TOOLS_PICTURES_CHICKEN_H
#define TOOLS_PICTURES_CHICKEN_H

#include <filesystem>

// The chicken's sprite set: a white hen walking one stride.
void writeChicken(const std::filesystem::path& directory);

#endif
