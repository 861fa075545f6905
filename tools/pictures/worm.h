#ifndef TOOLS_PICTURES_WORM_H
#define TOOLS_PICTURES_WORM_H

#include <filesystem>
#include <vector>

#include "painter.h"

// A round body along a centre line whose radius changes from point to point.
struct Tube
{
  std::vector<Point> centre;
  std::vector<double> radius;

  struct Nearest
  {
    double distance;
    // Position across the tube, -1 at its left edge and 1 at its right edge.
    double across;
    // Distance along the centre line from its first point.
    double along;
  };

  Nearest nearest(Point p) const;
  Shape shape() const;
};

struct WormPose
{
  Tube body;
  Point head;
  double headRadius;
  // Where the pupils look, in head radii.
  Point gaze;
  bool eyesOpen;
};

void drawWorm(Canvas& canvas, const WormPose& pose);

// The worm's sprite set: it stands on its tail and sways, blinking now and then.
void writeWorm(const std::filesystem::path& directory);

#endif
