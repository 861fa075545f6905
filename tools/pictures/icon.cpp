#include "pictures/icon.h"

#include <string>

#include "painter.h"
#include "pictures/mine.h"
#include "pictures/palette.h"
#include "pictures/worm.h"

namespace {

const int WINDOW_ICON_SIZE = 32;

// Where the mine and the worm's head stand in a square 64 units wide, and how large each is drawn.
struct IconLayout
{
  Point mine;
  double mineScale;
  Point head;
  double wormScale;
};

// A small icon shows a bigger mine and a bigger worm so that both stay recognisable.
IconLayout layoutFor(int size)
{
  if (size <= 32) {
    return {{49, 49}, 0.9, {28, 22}, 1.32};
  }
  return {{52, 51}, 0.8, {31, 22}, 1.26};
}

// The worm's head with its body bending from under it toward the lower left along a quadratic curve.
WormPose curledWorm()
{
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
  return pose;
}

// At 16 pixels the worm and the mine are laid out pixel by pixel: a round head with googly
// eyes and a smile, a stub of body, and a mine with a glowing lamp.
void drawTinyIcon(Canvas& canvas)
{
  fillOutlined(canvas, stroke({{7, 10}, {6.5, 12.8}, {3.2, 13}}, 2), ballShading(WORM_SKIN, {4, 11}, 4, 0.3),
               WORM_OUTLINE, 1);
  fillOutlined(canvas, circle({7, 6}, 5), ballShading(WORM_SKIN, {7, 6}, 5, 0.3), WORM_OUTLINE, 1);
  for (double eyeLeft : {4.0, 8.0}) {
    canvas.fill(roundedBox({eyeLeft, 3, eyeLeft + 2, 6}, 0.4), solid(rgb(252, 252, 248)));
    canvas.fill(roundedBox({eyeLeft + 1, 4, eyeLeft + 2, 6}, 0), solid(INK));
  }
  for (Box smile : {Box{4, 7, 5, 8}, Box{5, 8, 9, 9}, Box{9, 7, 10, 8}}) {
    canvas.fill(roundedBox(smile, 0), solid(INK));
  }

  const Point mine{12, 12};
  for (int i = 0; i < 8; ++i) {
    canvas.fill(capsule(mine, mine + direction(i / 8.0) * 3.6, 0.6), solid(MINE_OUTLINE));
  }
  fillOutlined(canvas, circle(mine, 2.4), ballShading(STEEL, mine, 2.4, 0.55), MINE_OUTLINE, 0.7);
  canvas.fill(roundedBox({11, 11, 13, 13}, 0), solid(rgb(236, 60, 40)));
  canvas.fill(roundedBox({11, 11, 12, 12}, 0), solid(rgb(255, 190, 150)));
}

// The worm with a mine beside it, drawn afresh for a square canvas of any size.
Canvas drawIcon(int size)
{
  Canvas canvas(size, size);
  if (size <= 16) {
    drawTinyIcon(canvas);
    return canvas;
  }
  const double pixelsPerUnit = size / 64.0;
  const IconLayout layout = layoutFor(size);
  canvas.setView(layout.mine * pixelsPerUnit, layout.mineScale * pixelsPerUnit);
  drawMine(canvas, {0, 0}, 1.0);
  const WormPose pose = curledWorm();
  canvas.setView((layout.head - pose.head * layout.wormScale) * pixelsPerUnit, layout.wormScale * pixelsPerUnit);
  drawWorm(canvas, pose);
  return canvas;
}

}

void writeIcons(const std::filesystem::path& directory)
{
  for (int size : {16, 32, 48, 64, 128, 192, 256, 512}) {
    const std::string side = std::to_string(size);
    const std::filesystem::path sizeDirectory = directory / "icons" / (side + "x" + side);
    std::filesystem::create_directories(sizeDirectory);
    const Canvas canvas = drawIcon(size);
    writePng((sizeDirectory / "kanamiina.png").string(), size, size, canvas.rgba());
  }
}

void writeWindowIcon(const std::filesystem::path& path)
{
  const Canvas canvas = drawIcon(WINDOW_ICON_SIZE);
  writeBmp(path.string(), canvas.width(), canvas.height(), canvas.keyed(MAGENTA_KEY));
}
