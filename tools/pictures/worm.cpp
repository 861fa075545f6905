#include "pictures/worm.h"

#include <algorithm>
#include <cmath>

#include "pictures/palette.h"
#include "pictures/spriteset.h"

namespace {

const Colour WORM_BAND = rgb(222, 104, 124);
const double RING_SPACING = 5.5;

// Skin of a round worm body: lit from the left, ringed when the rings are far enough apart to
// show, with a darker saddle band.
Paint wormSkin(const Tube& tube, double bandStart, double bandEnd, bool ringed)
{
  return [=](Point p) {
    const Tube::Nearest n = tube.nearest(p);
    const double round = std::sqrt(std::max(0.0, 1 - n.across * n.across));
    const double light = 0.72 + 0.26 * round - 0.1 * n.across;
    const bool inBand = n.along > bandStart && n.along < bandEnd;
    Colour colour = scale(inBand ? WORM_BAND : WORM_SKIN, light);
    if (ringed) {
      const double ring = (n.along + 1.6 * n.across * n.across) / RING_SPACING;
      const double fromRing = std::fabs(ring - std::floor(ring + 0.5)) * RING_SPACING;
      colour = mix(colour, scale(WORM_OUTLINE, 1.2), 0.35 * bump(fromRing, 0.9) * smoothstep(-0.5, 2, n.along));
    }
    return mix(colour, Colour{1, 0.93, 0.93}, 0.4 * bump(n.across + 0.45, 0.3));
  };
}

void drawEye(Canvas& canvas, Point centre, double size, Point gaze, bool open)
{
  if (!open) {
    canvas.fill(stroke(arc(centre + Point{0, -0.25 * size}, 0.75 * size, 0.08, 0.42), 0.55), solid(INK));
    return;
  }
  // Drawn small, the eye's rim stays thick enough to hold the white apart from the skin.
  const double rim = std::max(0.7, canvas.unitsOfPixels(0.55));
  fillOutlined(canvas, ellipse(centre, 0.8 * size, size), solid(rgb(252, 252, 248)), INK, rim);
  const Point pupil = centre + Point{gaze.x * 0.3 * size, 0.15 * size + gaze.y * 0.3 * size};
  canvas.fill(circle(pupil, 0.5 * size), solid(INK));
  canvas.fill(circle(pupil + Point{-0.18 * size, -0.2 * size}, 0.19 * size), solid(rgb(255, 255, 255)));
}

// The worm standing on its tail, swaying: sway -1 leans its middle left, 1 right.
WormPose standingWorm(double sway, bool eyesOpen)
{
  WormPose pose;
  const int samples = 40;
  for (int i = 0; i <= samples; ++i) {
    const double t = static_cast<double>(i) / samples;
    const double bend = sway * 6.5 * sineOfTurns(0.6 * (1 - t));
    pose.body.centre.push_back({25 + bend, 22 + 70 * t});
    pose.body.radius.push_back(10.5 - 5.5 * t * t);
  }
  const double headSway = sway * 6.5 * sineOfTurns(0.6);
  pose.head = {25 + headSway + 0.6 * sway, 16.5};
  pose.headRadius = 14.5;
  pose.gaze = {0.7 * sway, 0.2};
  pose.eyesOpen = eyesOpen;
  return pose;
}

}

Tube::Nearest Tube::nearest(Point p) const
{
  Nearest best{1e9, 0, 0};
  double walked = 0;
  for (std::size_t i = 1; i < centre.size(); ++i) {
    const Point a = centre[i - 1];
    const Point segment = centre[i] - a;
    const double segmentLength = length(segment);
    const double t = clamp01(dot(p - a, segment) / (segmentLength * segmentLength));
    const Point offset = p - (a + segment * t);
    const double r = radius[i - 1] + (radius[i] - radius[i - 1]) * t;
    const double distance = length(offset) - r;
    if (distance < best.distance) {
      best = {distance, std::max(-1.0, std::min(1.0, cross(offset, segment) / segmentLength / r)),
              walked + segmentLength * t};
    }
    walked += segmentLength;
  }
  return best;
}

Shape Tube::shape() const
{
  Box bounds{centre[0].x, centre[0].y, centre[0].x, centre[0].y};
  for (std::size_t i = 0; i < centre.size(); ++i) {
    bounds = enclose(bounds, expand({centre[i].x, centre[i].y, centre[i].x, centre[i].y}, radius[i]));
  }
  const Tube tube = *this;
  return {bounds, [tube](Point p) { return tube.nearest(p).distance; }};
}

void drawWorm(Canvas& canvas, const WormPose& pose)
{
  // Drawn small, outlines stay a pixel wide and rings too close to tell apart are left out.
  const double outline = std::max(1.3, canvas.unitsOfPixels(1));
  const double bodyLength = pose.body.nearest(pose.body.centre.back()).along;
  const bool ringed = RING_SPACING >= canvas.unitsOfPixels(4);
  fillOutlined(canvas, pose.body.shape(), wormSkin(pose.body, 0.3 * bodyLength, 0.42 * bodyLength, ringed),
               WORM_OUTLINE, outline);

  const Point head = pose.head;
  const double r = pose.headRadius;
  fillOutlined(canvas, circle(head, r), ballShading(WORM_SKIN, head, r, 0.3), WORM_OUTLINE, outline);

  const double blush = 0.55;
  canvas.fill(ellipse(head + Point{-0.64 * r, 0.3 * r}, 0.17 * r, 0.11 * r), solid(rgb(246, 92, 120)), blush);
  canvas.fill(ellipse(head + Point{0.64 * r, 0.3 * r}, 0.17 * r, 0.11 * r), solid(rgb(246, 92, 120)), blush);

  const double eyeSize = 0.36 * r;
  drawEye(canvas, head + Point{-0.36 * r, -0.2 * r}, eyeSize, pose.gaze, pose.eyesOpen);
  drawEye(canvas, head + Point{0.36 * r, -0.2 * r}, eyeSize, pose.gaze, pose.eyesOpen);

  const Point mouth = head + Point{pose.gaze.x * 0.08 * r, 0.12 * r};
  canvas.fill(stroke(arc(mouth, 0.38 * r, 0.1, 0.4), 0.08 * r), solid(INK));
}

void writeWorm(const std::filesystem::path& directory)
{
  std::filesystem::create_directories(directory);
  const struct
  {
    const char* file;
    double sway;
    bool eyesOpen;
  } pictures[] = {{"mato0.bmp", -1, true}, {"mato1.bmp", 0, true}, {"mato2.bmp", 1, true}, {"mato3.bmp", 0, false}};
  for (const auto& picture : pictures) {
    Canvas canvas(50, 100);
    drawWorm(canvas, standingWorm(picture.sway, picture.eyesOpen));
    writeKeyedSprite(directory / picture.file, canvas, MAGENTA_KEY);
  }
  // The blinking picture stands in for the upright one once in every two sways.
  std::vector<FrameLine> frames;
  for (int picture : {0, 1, 2, 1, 0, 1, 2, 3}) {
    frames.push_back({pictures[picture].file, 100});
  }
  writeInfo(directory, frames, MAGENTA_KEY, "sways left and right, blinking once every second sway");
}
