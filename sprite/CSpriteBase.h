#ifndef CSPRITEBASE_H
#define CSPRITEBASE_H

#include <SDL.h>

#include <cstdio>

// One picture of an animation and how long it stays on screen.
struct CSpriteFrame
{
  SDL_Surface* image = nullptr;
  int pause = 0;
};

// A sprite set: the frames of one kind of thing, loaded from a directory
// holding an "info" file and the frame pictures as BMP files.
class CSpriteBase
{
public:
  // Reads "<dir>/info" and the pictures it names. 0 on success, -1 when the
  // info file or a picture cannot be read or the info file is not sound: a picture
  // named outside the set's directory, or more pixels in all than a set may hold.
  int init(const char* dir);

  CSpriteFrame* frames = nullptr;
  int built = 0;
  int frameCount = 0;
  int width = 0;
  int height = 0;
};

// Reads the BMP picture at path as it is in its file: every loader of pictures reads them here.
// Null when it cannot be read: the path is no regular file, or the picture is damaged or too big.
// A picture that can be read is from 1 to 4096 pixels a side, of at most 1024 x 1024 pixels,
// has pixels covering it and, at 8 bits a pixel or fewer, its colours.
SDL_Surface* readPicture(const char* path);

// Opens a file for reading when it is a regular file or a link to one: every loader of data opens
// its files here. A pipe, device, socket or directory is not opened, and nothing waits on it.
FILE* openRegularFile(const char* path, const char* mode);

#endif
