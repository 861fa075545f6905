#ifndef E2E_SCENE_H
#define E2E_SCENE_H

#include "image.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

struct Point
{
  int x;
  int y;
  bool operator==(const Point& other) const { return x == other.x && y == other.y; }
  Point operator+(const Point& other) const { return Point{x + other.x, y + other.y}; }
};

std::ostream& operator<<(std::ostream& out, const Point& point);

struct Rect
{
  int x;
  int y;
  int w;
  int h;
  bool contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
  bool overlaps(const Rect& other) const
  {
    return x < other.x + other.w && other.x < x + w && y < other.y + other.h && other.y < y + h;
  }
};

// One of a sprite's pictures, whichever its animation shows, with its top-left corner at (x, y).
struct Placement
{
  const std::vector<Picture>* pictures;
  Point at;
};

// What the game should show: the backdrop, then sprites drawn under the
// chickens (mines), then the chickens, which stand somewhere in their zones,
// then sprites drawn over them (the worm, the game-over sign).
struct Scene
{
  Image backdrop;
  std::vector<Placement> below;
  std::vector<Rect> chickenZones;
  std::vector<Placement> above;
};

// Whether the screen is the scene pixel for pixel, for some choice of the
// sprites' animation frames; only what is drawn over the chickens is
// checked inside their zones.
testing::AssertionResult shows(const Image& screen, const Scene& scene);

// The screen equals the image everywhere in the rectangle.
testing::AssertionResult sameIn(const Image& screen, const Image& expected, const Rect& area);

struct Found
{
  Point at;
  size_t picture;  // index into the pictures searched
};

// The first top-left position in the area at which every drawn pixel of one
// of the pictures is on screen (pixels off the screen are not compared).
std::optional<Found> findPicture(const Image& screen, const std::vector<Picture>& pictures, const Rect& positions);

std::optional<Point> findColour(const Image& screen, Rgb colour);

#endif
