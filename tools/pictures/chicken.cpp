#include "pictures/chicken.h"

#include <string>
#include <vector>

#include "painter.h"
#include "pictures/palette.h"
#include "pictures/spriteset.h"

namespace {

const Colour FEATHER = rgb(250, 247, 238);
const Colour CHICKEN_OUTLINE = rgb(74, 56, 44);
const Colour COMB_RED = rgb(222, 40, 44);
const Colour BEAK_ORANGE = rgb(246, 160, 34);
const Colour WING_BROWN = rgb(218, 168, 104);

// White hen seen from the side, walking right. step 0..3 moves the legs through one stride.
void drawChicken(Canvas& canvas, int step)
{
  const double stride[] = {0.07, 0, -0.07, 0};
  const double lift = step % 2 == 1 ? -1 : 0;
  const double outline = 1.1;

  // Legs go first so the body covers the hips; a swinging leg is as long as it must be to stand on the ground.
  const double ground = 46.5;
  for (int leg = 0; leg < 2; ++leg) {
    const double swing = leg == 0 ? stride[step] : -stride[step];
    const Point hip{leg == 0 ? 21.5 : 27.0, 36 + lift};
    const Point foot = hip + rotate({0, (ground - hip.y) / cosineOfTurns(swing)}, swing);
    const Colour shade = leg == 0 ? scale(BEAK_ORANGE, 0.85) : BEAK_ORANGE;
    const Shape legShape = unite(capsule(hip, foot, 1.1), unite(capsule(foot, foot + Point{3.2, 0}, 1),
                                                                capsule(foot, foot + Point{-1.8, 0.2}, 0.9)));
    fillOutlined(canvas, legShape, solid(shade), CHICKEN_OUTLINE, outline);
  }

  const Point bodyCentre{22, 28 + lift};
  const Point headCentre{34.5 + (step % 2 == 1 ? 1 : 0), 14 + lift};

  const Shape comb = unite(unite(circle(headCentre + Point{-3.6, -7}, 2.7), circle(headCentre + Point{0.4, -8.6}, 3.1)),
                           circle(headCentre + Point{4, -7}, 2.6), 1.2);
  fillOutlined(canvas, comb, ballShading(COMB_RED, headCentre + Point{0, -7}, 4, 0.25), CHICKEN_OUTLINE, outline);

  const Shape tail = unite(unite(ellipse(bodyCentre + Point{-12, -9}, 3.2, 8.5, -0.08),
                                 ellipse(bodyCentre + Point{-14.8, -6.5}, 3, 7.5, -0.14)),
                           ellipse(bodyCentre + Point{-9, -10}, 2.8, 7, -0.02), 1);
  // Tail feathers darken toward their tips.
  const Paint tailShading = [=](Point p) {
    return mix(WING_BROWN, scale(WING_BROWN, 0.72), clamp01((bodyCentre.y - 16 - p.y) / 6));
  };
  fillOutlined(canvas, tail, tailShading, CHICKEN_OUTLINE, outline);

  const Shape body = unite(unite(ellipse(bodyCentre, 14.5, 11.5), circle(headCentre, 7.5), 6),
                           capsule(bodyCentre + Point{6, -3}, headCentre + Point{-1, 2}, 6), 4);
  fillOutlined(canvas, body, ballShading(FEATHER, bodyCentre + Point{2, -4}, 16, 0.22), CHICKEN_OUTLINE, outline);

  const Point wingCentre = bodyCentre + Point{-2, 0};
  const double flap = step % 2 == 1 ? -1 : 0;
  const Shape wing = unite(ellipse(wingCentre + Point{1.5, 1}, 7.5, 5.2, -0.03),
                           capsule(wingCentre + Point{-1, 0}, wingCentre + Point{-9, -4 + flap}, 2.4), 4);
  fillOutlined(canvas, wing, ballShading(WING_BROWN, wingCentre, 9, 0.25), CHICKEN_OUTLINE, 0.9);
  for (int feather = 0; feather < 3; ++feather) {
    const Point start = wingCentre + Point{-6.5 + 3 * feather, -1 + 1.6 * feather + flap * (1 - feather / 2.0)};
    canvas.fill(stroke({start, start + Point{5, 0.6}}, 0.45), solid(scale(WING_BROWN, 0.62)));
  }

  const Shape beak =
      polygon({headCentre + Point{5.6, -2.4}, headCentre + Point{11.8, 0.4}, headCentre + Point{5.6, 2.8}});
  fillOutlined(canvas, beak, solid(BEAK_ORANGE), CHICKEN_OUTLINE, 0.9);
  fillOutlined(canvas, ellipse(headCentre + Point{5.5, 5.2}, 1.7, 2.4), solid(COMB_RED), CHICKEN_OUTLINE, 0.8);

  const Point eye = headCentre + Point{2.6, -1.6};
  canvas.fill(circle(eye, 1.6), solid(INK));
  canvas.fill(circle(eye + Point{-0.5, -0.6}, 0.55), solid(rgb(255, 255, 255)));
}

}

void writeChicken(const std::filesystem::path& directory)
{
  std::filesystem::create_directories(directory);
  std::vector<FrameLine> frames;
  for (int step = 0; step < 4; ++step) {
    Canvas canvas(50, 50);
    // Keeps the tail and the comb off the picture's left and top edges.
    canvas.setView({1, 0.5}, 1);
    drawChicken(canvas, step);
    const std::string file = "kana" + std::to_string(step) + ".bmp";
    writeKeyedSprite(directory / file, canvas, MAGENTA_KEY);
    frames.push_back({file, 100});
  }
  writeInfo(directory, frames, MAGENTA_KEY, "one stride of walking");
}
