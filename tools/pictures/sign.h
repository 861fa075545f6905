#ifndef TOOLS_PICTURES_SIGN_H
#define TOOLS_PICTURES_SIGN_H

#include <filesystem>

// The wooden game-over sign, keyed on pure green.
void writeGameOverSign(const std::filesystem::path& path);
// The smaller pause sign in the same wood, keyed the same way.
void writePauseSign(const std::filesystem::path& path);

#endif
