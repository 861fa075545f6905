#include "pictures/meadow.h"

#include "layout.h"
#include "painter.h"
#include "pictures/palette.h"

namespace {

const int BAND_HEIGHT = 64;

Colour meadowGround(Point p)
{
  const double broad = fractalNoise(p * (1 / 140.0), 11, 3);
  const double patches = fractalNoise(p * (1 / 36.0), 23, 3);
  const double fine = valueNoise(p * (1 / 2.5), 37);
  Colour colour = mix(rgb(92, 134, 62), rgb(126, 160, 78), smoothstep(0.25, 0.75, broad));
  colour = mix(colour, rgb(82, 124, 58), 0.4 * smoothstep(0.5, 0.75, patches));
  return scale(colour, 0.93 + 0.12 * fine);
}

void drawFlower(Canvas& canvas, Point centre, Colour petals, double size, double turn)
{
  for (int petal = 0; petal < 5; ++petal) {
    canvas.fill(circle(centre + direction(turn + petal / 5.0) * (1.1 * size), 0.95 * size),
                ballShading(petals, centre, 2 * size, 0.2));
  }
  canvas.fill(circle(centre, 0.7 * size), solid(rgb(240, 196, 60)));
}

// A dark hedge along the top edge keeps the score text readable: leafy at its
// edges, quiet across the rows where the text stands.
void drawHedge(Canvas& canvas, Random& random)
{
  const double edgeY = BAND_HEIGHT - 4;
  Shape hedge = roundedBox({-10, -10, SCREEN_WIDTH + 10, edgeY}, 0);
  for (double x = -4; x < SCREEN_WIDTH + 8; x += random.between(6, 10)) {
    hedge = unite(hedge, circle({x, edgeY - random.between(0, 2)}, random.between(3.5, 5.5)), 2);
  }
  canvas.fill(grow(hedge, 6), solid(rgb(18, 34, 20)), 0.22);
  canvas.fill(grow(hedge, 2.5), solid(rgb(18, 34, 20)), 0.3);
  canvas.fill(hedge, [](Point p) {
    const double depth = smoothstep(0, BAND_HEIGHT, p.y);
    return scale(mix(rgb(20, 38, 24), rgb(36, 62, 36), depth), 0.94 + 0.12 * fractalNoise(p * (1 / 6.0), 83, 3));
  });

  // The score line's cells, and a few rows of calm around its letters.
  const double textTop = SCORE_Y - 5;
  const double textBottom = SCORE_Y + FONT_CELL + 3;
  for (int leaf = 0; leaf < 1400; ++leaf) {
    const Point where{random.between(-6, SCREEN_WIDTH + 6), random.between(-4, edgeY + 3)};
    const bool quiet = where.y > textTop && where.y < textBottom;
    const double sunlit = smoothstep(textBottom - 4, edgeY + 2, where.y);
    const Colour colour = mix(mix(rgb(26, 48, 28), rgb(48, 78, 42), random.uniform()), rgb(82, 120, 60), 0.7 * sunlit);
    const Shape shape = ellipse(where, random.between(2.5, 4.5), random.between(1.3, 2.2), random.uniform());
    const Shape inside = intersect(shape, hedge);
    canvas.fill(inside, ballShading(colour, where, 4, 0.3), quiet ? 0.12 : random.between(0.35, 0.7));
  }
}

void drawMeadow(Canvas& canvas)
{
  canvas.fill(roundedBox({0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}, 0), meadowGround);

  Random random(20240611);
  // Blades of grass: short slanted strokes, lighter or darker than the ground.
  for (int blade = 0; blade < 9000; ++blade) {
    const Point root{random.between(-4, SCREEN_WIDTH + 4), random.between(BAND_HEIGHT - 8, SCREEN_HEIGHT + 6)};
    const double bladeLength = random.between(2.5, 6);
    const Point tip = root + Point{random.between(-2, 2), -bladeLength};
    const bool light = random.uniform() < 0.5;
    const Colour colour = light ? rgb(150, 186, 92) : rgb(62, 104, 46);
    canvas.fill(capsule(root, tip, 0.45), solid(colour), random.between(0.25, 0.55));
  }

  // Flowers grow in loose clumps.
  const Colour petalColours[] = {rgb(246, 220, 80), rgb(190, 170, 236), rgb(238, 170, 196), rgb(250, 246, 236)};
  for (int clump = 0; clump < 22; ++clump) {
    const Point heart{random.between(20, SCREEN_WIDTH - 20), random.between(BAND_HEIGHT + 24, SCREEN_HEIGHT - 14)};
    const Colour petals = petalColours[random.next() % 4];
    const int flowers = 3 + static_cast<int>(random.next() % 4);
    for (int flower = 0; flower < flowers; ++flower) {
      const Point where = heart + Point{random.between(-16, 16), random.between(-10, 10)};
      drawFlower(canvas, where, petals, random.between(1.1, 1.6), random.uniform());
    }
  }

  drawHedge(canvas, random);
}

}

void writeBackground(const std::filesystem::path& path)
{
  Canvas canvas(SCREEN_WIDTH, SCREEN_HEIGHT);
  drawMeadow(canvas);
  writeBmp(path.string(), canvas.width(), canvas.height(), canvas.opaque(GRASS));
}
