#ifndef TOOLS_PICTURES_SIGN_H
#define TOOLS_PICTURES_SIGN_H

#include <filesystem>

// The wooden game-over sign, keyed on pure green.
void writeGameOverSign(const std::filesystem::path& path);

#endif
