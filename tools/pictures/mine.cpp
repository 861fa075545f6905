#include "pictures/mine.h"

#include <string>
#include <vector>

#include "pictures/palette.h"
#include "pictures/spriteset.h"

void drawMine(Canvas& canvas, Point centre, double light)
{
  const int spikes = 8;
  for (int i = 0; i < spikes; ++i) {
    const double turns = static_cast<double>(i) / spikes;
    const Point out = direction(turns);
    const Point side = direction(turns + 0.25);
    const Shape spike =
        grow(polygon({centre + out * 6 + side * 2.6, centre + out * 12.3, centre + out * 6 - side * 2.6}), 0.7);
    fillOutlined(canvas, spike, ballShading(rgb(140, 146, 158), centre + out * 9, 4, 0.45), MINE_OUTLINE, 1);
  }
  fillOutlined(canvas, circle(centre, 9), ballShading(STEEL, centre, 9, 0.55), MINE_OUTLINE, 1);

  // The lamp tints the steel around it and burns white-hot in its middle when bright.
  const Paint steel = ballShading(STEEL, centre, 9, 0.55);
  const Paint glowingSteel = [=](Point p) {
    return mix(steel(p), rgb(255, 96, 56), 0.75 * light * bump(length(p - centre) - 3, 4));
  };
  canvas.fill(circle(centre, 6.5), glowingSteel);
  const Paint lampGlass = ballShading(mix(rgb(84, 14, 16), rgb(255, 72, 44), light), centre, 3.4, 0.35);
  const Paint lamp = [=](Point p) {
    return mix(lampGlass(p), rgb(255, 236, 200), 0.7 * light * bump(length(p - centre), 2.6));
  };
  fillOutlined(canvas, circle(centre, 3.4), lamp, MINE_OUTLINE, 0.8);
  canvas.fill(circle(centre + Point{-1.2, -1.3}, 0.9), solid(mix(rgb(200, 130, 130), rgb(255, 250, 240), light)));
}

void writeMine(const std::filesystem::path& directory)
{
  std::filesystem::create_directories(directory);
  const double lights[] = {0.0, 0.5, 1.0};
  for (int level = 0; level < 3; ++level) {
    Canvas canvas(30, 30);
    drawMine(canvas, {15, 15}, lights[level]);
    writeKeyedSprite(directory / ("miina" + std::to_string(level) + ".bmp"), canvas, MAGENTA_KEY);
  }
  // Mines step to their next line on every drawn frame, so the lines repeat to make a slow blink.
  std::vector<FrameLine> frames;
  for (int level : {2, 2, 2, 2, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1}) {
    frames.push_back({"miina" + std::to_string(level) + ".bmp", 0});
  }
  writeInfo(directory, frames, MAGENTA_KEY, "the lamp flares, fades and rests, one line per drawn frame");
}
