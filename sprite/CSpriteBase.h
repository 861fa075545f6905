#ifndef CSPRITEBASE_H
#define CSPRITEBASE_H

#include <SDL.h>

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
  // info file or a picture cannot be read or the info file is not sound.
  int init(const char* dir);

  CSpriteFrame* frames = nullptr;
  int built = 0;
  int frameCount = 0;
  int width = 0;
  int height = 0;
};

#endif
