#ifndef FUZZ_SUPPORT_H
#define FUZZ_SUPPORT_H

#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// A property every run must keep; breaking it is a finding like a crash.
#define FUZZ_CHECK(condition) ((condition) ? (void)0 : (fprintf(stderr, "check failed: %s\n", #condition), abort()))

// SDL on the dummy driver, started once per process, and a scratch directory for the whole run.
const std::string& startOnce();

// An input holds the files of one directory, one after the other with the line "--8<--" between
// two; a file without its part is removed. What follows the named files is returned.
std::string placeFiles(const std::string& dir, const std::vector<std::string>& names, const uint8_t* data, size_t size);

#endif
