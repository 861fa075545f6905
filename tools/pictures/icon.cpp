#include "pictures/icon.h"

#include "painter.h"
#include "pictures/mine.h"
#include "pictures/worm.h"

// The worm's head and curling body with a mine beside it, on a transparent square.
void writeIcon(const std::filesystem::path& path)
{
  const int size = 64;
  Canvas canvas(size, size);
  canvas.setView({51, 51}, 0.8);
  drawMine(canvas, {0, 0}, 1.0);

  // The body bends from under the head toward the lower left along a quadratic curve.
  WormPose pose;
  const Point neck{28, 28};
  const Point bend{26, 42};
  const Point tail{14, 40};
  const int samples = 40;
  for (int i = 0; i <= samples; ++i) {
    const double t = static_cast<double>(i) / samples;
    pose.body.centre.push_back(neck * ((1 - t) * (1 - t)) + bend * (2 * (1 - t) * t) + tail * (t * t));
    pose.body.radius.push_back(10 - 5.5 * t * t);
  }
  pose.head = {27, 16.5};
  pose.headRadius = 14.5;
  pose.gaze = {0.6, 0.4};
  pose.eyesOpen = true;
  const double wormScale = 1.3;
  canvas.setView(Point{30, 20} - pose.head * wormScale, wormScale);
  drawWorm(canvas, pose);
  writePng(path.string(), size, size, canvas.rgba());
}
