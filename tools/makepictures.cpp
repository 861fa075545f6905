// Draws every picture the game shows: the meadow, the game-over sign, the
// worm, chicken and mine sprite sets, and the desktop icon.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <functional>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include <zlib.h>

#include "bitmap.h"

namespace {

struct Point
{
  double x;
  double y;
};

Point operator+(Point a, Point b)
{
  return {a.x + b.x, a.y + b.y};
}
Point operator-(Point a, Point b)
{
  return {a.x - b.x, a.y - b.y};
}
Point operator*(Point a, double factor)
{
  return {a.x * factor, a.y * factor};
}
double dot(Point a, Point b)
{
  return a.x * b.x + a.y * b.y;
}
double cross(Point a, Point b)
{
  return a.x * b.y - a.y * b.x;
}
double length(Point a)
{
  return std::sqrt(dot(a, a));
}

double clamp01(double value)
{
  return std::min(1.0, std::max(0.0, value));
}

double smoothstep(double edge0, double edge1, double value)
{
  const double t = clamp01((value - edge0) / (edge1 - edge0));
  return t * t * (3 - 2 * t);
}

// 1 at zero, falling smoothly to 0 at +-width.
double bump(double value, double width)
{
  return 1 - smoothstep(0, width, std::fabs(value));
}

// Sine of a whole number of turns, from a polynomial so that every build draws the same bits.
double sineOfTurns(double turns)
{
  double x = turns - std::floor(turns + 0.5);
  if (x > 0.25) {
    x = 0.5 - x;
  } else if (x < -0.25) {
    x = -0.5 - x;
  }
  const double angle = 2 * 3.14159265358979323846 * x;
  const double square = angle * angle;
  double term = angle;
  double sum = angle;
  for (int power = 3; power <= 15; power += 2) {
    term = -term * square / ((power - 1) * power);
    sum += term;
  }
  return sum;
}

double cosineOfTurns(double turns)
{
  return sineOfTurns(turns + 0.25);
}

Point direction(double turns)
{
  return {cosineOfTurns(turns), sineOfTurns(turns)};
}

// Turns the vector v by the given turns (clockwise on screen, where y grows downward).
Point rotate(Point v, double turns)
{
  const double c = cosineOfTurns(turns);
  const double s = sineOfTurns(turns);
  return {v.x * c - v.y * s, v.x * s + v.y * c};
}

struct Colour
{
  double red;
  double green;
  double blue;
};

Colour rgb(int red, int green, int blue)
{
  return {red / 255.0, green / 255.0, blue / 255.0};
}

Colour mix(Colour a, Colour b, double t)
{
  return {a.red + (b.red - a.red) * t, a.green + (b.green - a.green) * t, a.blue + (b.blue - a.blue) * t};
}

Colour scale(Colour c, double factor)
{
  return {c.red * factor, c.green * factor, c.blue * factor};
}

std::uint8_t toByte(double value)
{
  return static_cast<std::uint8_t>(std::lround(clamp01(value) * 255));
}

Rgb toRgb(Colour c)
{
  return {toByte(c.red), toByte(c.green), toByte(c.blue)};
}

bool operator==(Rgb a, Rgb b)
{
  return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

// A visible pixel that happens to equal the see-through colour is moved one step off it.
Rgb avoidKey(Rgb pixel, Rgb key)
{
  if (pixel == key) {
    pixel.green = static_cast<std::uint8_t>(pixel.green > 127 ? pixel.green - 1 : pixel.green + 1);
  }
  return pixel;
}

// Fixed-seed generator (xorshift64*) so that every run draws the same meadow.
class Random
{
public:
  explicit Random(std::uint64_t seed) : state_(seed) {}

  std::uint32_t next()
  {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return static_cast<std::uint32_t>((state_ * 2685821657736338717ULL) >> 32);
  }

  double uniform() { return next() / 4294967296.0; }
  double between(double low, double high) { return low + (high - low) * uniform(); }

private:
  std::uint64_t state_;
};

double latticeValue(int x, int y, std::uint32_t seed)
{
  std::uint32_t h =
      static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u + seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return h / 4294967296.0;
}

// Smooth random field in 0..1 with features about one unit apart.
double valueNoise(Point p, std::uint32_t seed)
{
  const double cellX = std::floor(p.x);
  const double cellY = std::floor(p.y);
  const int x = static_cast<int>(cellX);
  const int y = static_cast<int>(cellY);
  const double fx = smoothstep(0, 1, p.x - cellX);
  const double fy = smoothstep(0, 1, p.y - cellY);
  const double top = latticeValue(x, y, seed) + (latticeValue(x + 1, y, seed) - latticeValue(x, y, seed)) * fx;
  const double bottom =
      latticeValue(x, y + 1, seed) + (latticeValue(x + 1, y + 1, seed) - latticeValue(x, y + 1, seed)) * fx;
  return top + (bottom - top) * fy;
}

// Several octaves of value noise, still in 0..1.
double fractalNoise(Point p, std::uint32_t seed, int octaves)
{
  double sum = 0;
  double weight = 0.5;
  double total = 0;
  for (int octave = 0; octave < octaves; ++octave) {
    sum += valueNoise(p, seed + static_cast<std::uint32_t>(octave) * 101u) * weight;
    total += weight;
    p = p * 2.03;
    weight *= 0.5;
  }
  return sum / total;
}

// Signed distance in art units: negative inside, positive outside.
using Distance = std::function<double(Point)>;
using Paint = std::function<Colour(Point)>;

struct Box
{
  double left;
  double top;
  double right;
  double bottom;
};

Box expand(Box box, double margin)
{
  return {box.left - margin, box.top - margin, box.right + margin, box.bottom + margin};
}

Box enclose(Box a, Box b)
{
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

struct Shape
{
  Box bounds;
  Distance distance;
};

Shape circle(Point centre, double radius)
{
  return {{centre.x - radius, centre.y - radius, centre.x + radius, centre.y + radius},
          [=](Point p) { return length(p - centre) - radius; }};
}

// An ellipse turned by the given turns; its distance is a close estimate.
Shape ellipse(Point centre, double radiusX, double radiusY, double turns = 0)
{
  const double reach = std::max(radiusX, radiusY);
  return {{centre.x - reach, centre.y - reach, centre.x + reach, centre.y + reach}, [=](Point p) {
            const Point q = rotate(p - centre, -turns);
            const double k0 = length({q.x / radiusX, q.y / radiusY});
            const double k1 = length({q.x / (radiusX * radiusX), q.y / (radiusY * radiusY)});
            return k1 > 0 ? k0 * (k0 - 1) / k1 : -std::min(radiusX, radiusY);
          }};
}

double segmentDistance(Point p, Point a, Point b)
{
  const Point along = b - a;
  const double t = clamp01(dot(p - a, along) / std::max(dot(along, along), 1e-12));
  return length(p - (a + along * t));
}

// A line from a to b with round ends, radius thick on each side.
Shape capsule(Point a, Point b, double radius)
{
  return {{std::min(a.x, b.x) - radius, std::min(a.y, b.y) - radius, std::max(a.x, b.x) + radius,
           std::max(a.y, b.y) + radius},
          [=](Point p) { return segmentDistance(p, a, b) - radius; }};
}

// A round-ended stroke through the points.
Shape stroke(const std::vector<Point>& points, double radius)
{
  Box bounds{points[0].x, points[0].y, points[0].x, points[0].y};
  for (const Point& p : points) {
    bounds = enclose(bounds, {p.x, p.y, p.x, p.y});
  }
  return {expand(bounds, radius), [=](Point p) {
            double nearest = length(p - points[0]);
            for (std::size_t i = 1; i < points.size(); ++i) {
              nearest = std::min(nearest, segmentDistance(p, points[i - 1], points[i]));
            }
            return nearest - radius;
          }};
}

// Points along a circular arc from startTurns to endTurns.
std::vector<Point> arc(Point centre, double radius, double startTurns, double endTurns)
{
  std::vector<Point> points;
  const int steps = 16;
  for (int i = 0; i <= steps; ++i) {
    const double turns = startTurns + (endTurns - startTurns) * i / steps;
    points.push_back(centre + direction(turns) * radius);
  }
  return points;
}

Shape roundedBox(Box box, double radius)
{
  const Point centre{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
  const Point half{(box.right - box.left) / 2 - radius, (box.bottom - box.top) / 2 - radius};
  return {box, [=](Point p) {
            const Point q{std::fabs(p.x - centre.x) - half.x, std::fabs(p.y - centre.y) - half.y};
            const Point outside{std::max(q.x, 0.0), std::max(q.y, 0.0)};
            return length(outside) + std::min(std::max(q.x, q.y), 0.0) - radius;
          }};
}

Shape polygon(const std::vector<Point>& corners)
{
  Box bounds{corners[0].x, corners[0].y, corners[0].x, corners[0].y};
  for (const Point& c : corners) {
    bounds = enclose(bounds, {c.x, c.y, c.x, c.y});
  }
  return {bounds, [=](Point p) {
            double nearest = dot(p - corners[0], p - corners[0]);
            double sign = 1;
            for (std::size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i, ++i) {
              const Point edge = corners[j] - corners[i];
              const Point toP = p - corners[i];
              const Point offset = toP - edge * clamp01(dot(toP, edge) / dot(edge, edge));
              nearest = std::min(nearest, dot(offset, offset));
              const bool above = p.y >= corners[i].y;
              const bool below = p.y < corners[j].y;
              const bool leftOf = edge.x * toP.y > edge.y * toP.x;
              if ((above && below && leftOf) || (!above && !below && !leftOf)) {
                sign = -sign;
              }
            }
            return sign * std::sqrt(nearest);
          }};
}

Shape grow(const Shape& shape, double margin)
{
  const Distance inner = shape.distance;
  return {expand(shape.bounds, margin), [=](Point p) { return inner(p) - margin; }};
}

// The union of two shapes, blended over a seam of the given width.
Shape unite(const Shape& a, const Shape& b, double seam = 0)
{
  const Distance da = a.distance;
  const Distance db = b.distance;
  return {expand(enclose(a.bounds, b.bounds), seam), [=](Point p) {
            const double x = da(p);
            const double y = db(p);
            if (seam <= 0) {
              return std::min(x, y);
            }
            const double h = std::max(seam - std::fabs(x - y), 0.0) / seam;
            return std::min(x, y) - h * h * seam / 4;
          }};
}

Shape intersect(const Shape& a, const Shape& b)
{
  const Distance da = a.distance;
  const Distance db = b.distance;
  return {a.bounds, [=](Point p) { return std::max(da(p), db(p)); }};
}

Shape subtract(const Shape& a, const Shape& b)
{
  const Distance da = a.distance;
  const Distance db = b.distance;
  return {a.bounds, [=](Point p) { return std::max(da(p), -db(p)); }};
}

Paint solid(Colour colour)
{
  return [=](Point) { return colour; };
}

// A ball lit from the upper left: highlight near the light, shade toward the far rim.
Paint ballShading(Colour base, Point centre, double radius, double shadeDepth = 0.35)
{
  return [=](Point p) {
    const Point offset = (p - centre) * (1 / radius);
    const double away = clamp01(offset.x * 0.6 + offset.y * 0.8);
    const double highlight = bump(length(offset - Point{-0.38, -0.45}), 0.55);
    const Colour lit = scale(base, 1 - shadeDepth * away);
    return mix(lit, Colour{1, 1, 1}, 0.45 * highlight);
  };
}

struct CoverageMask
{
  int width = 0;
  int height = 0;
  std::vector<double> coverage;

  double at(int x, int y) const
  {
    if (x < 0 || y < 0 || x >= width || y >= height) {
      return 0;
    }
    return coverage[static_cast<std::size_t>(y) * width + x];
  }
};

// A picture being painted: premultiplied colour and coverage per pixel. Shapes are given in
// art coordinates; the view maps them to pixels so that one drawing can be shown at any size.
class Canvas
{
public:
  Canvas(int width, int height)
      : width_(width), height_(height), colour_(static_cast<std::size_t>(width) * height, Colour{0, 0, 0}),
        alpha_(static_cast<std::size_t>(width) * height, 0)
  {
  }

  int width() const { return width_; }
  int height() const { return height_; }

  void setView(Point offset, double scale)
  {
    viewOffset_ = offset;
    viewScale_ = scale;
  }

  void fill(const Shape& shape, const Paint& paint, double opacity = 1)
  {
    const int left = std::max(0, static_cast<int>(std::floor(viewOffset_.x + shape.bounds.left * viewScale_)) - 1);
    const int top = std::max(0, static_cast<int>(std::floor(viewOffset_.y + shape.bounds.top * viewScale_)) - 1);
    const int right =
        std::min(width_, static_cast<int>(std::ceil(viewOffset_.x + shape.bounds.right * viewScale_)) + 2);
    const int bottom =
        std::min(height_, static_cast<int>(std::ceil(viewOffset_.y + shape.bounds.bottom * viewScale_)) + 2);
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) {
        const Point art = (Point{x + 0.5, y + 0.5} - viewOffset_) * (1 / viewScale_);
        const double coverage = clamp01(0.5 - shape.distance(art) * viewScale_) * opacity;
        if (coverage > 0) {
          compose(x, y, paint(art), coverage);
        }
      }
    }
  }

  // Paints through a mask whose top-left pixel lands on pixel (left, top).
  void fillMask(const CoverageMask& mask, int left, int top, const Paint& paint, double opacity = 1)
  {
    for (int y = 0; y < mask.height; ++y) {
      for (int x = 0; x < mask.width; ++x) {
        const double coverage = mask.at(x, y) * opacity;
        if (coverage > 0 && left + x >= 0 && left + x < width_ && top + y >= 0 && top + y < height_) {
          compose(left + x, top + y, paint(Point{left + x + 0.5, top + y + 0.5}), coverage);
        }
      }
    }
  }

  // Every pixel over a solid backdrop, for pictures that cover the screen.
  std::vector<Rgb> opaque(Colour backdrop) const
  {
    std::vector<Rgb> pixels(colour_.size());
    for (std::size_t i = 0; i < pixels.size(); ++i) {
      pixels[i] = toRgb(over(i, backdrop));
    }
    return pixels;
  }

  // Hard-edged sprite: pixels at least half covered keep their colour, the rest become the key.
  std::vector<Rgb> keyed(Rgb key) const
  {
    std::vector<Rgb> pixels(colour_.size());
    for (std::size_t i = 0; i < pixels.size(); ++i) {
      pixels[i] = alpha_[i] >= 0.5 ? avoidKey(toRgb(scale(colour_[i], 1 / alpha_[i])), key) : key;
    }
    return pixels;
  }

  // Soft-edged picture for a colour key: the edge is blended over the colour it usually stands on.
  std::vector<Rgb> keyedOver(Rgb key, Colour backdrop) const
  {
    std::vector<Rgb> pixels(colour_.size());
    for (std::size_t i = 0; i < pixels.size(); ++i) {
      pixels[i] = alpha_[i] >= 0.1 ? avoidKey(toRgb(over(i, backdrop)), key) : key;
    }
    return pixels;
  }

  // Straight (not premultiplied) red, green, blue, alpha bytes, row by row.
  std::vector<std::uint8_t> rgba() const
  {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < colour_.size(); ++i) {
      const Rgb pixel = alpha_[i] > 0 ? toRgb(scale(colour_[i], 1 / alpha_[i])) : Rgb{0, 0, 0};
      bytes.insert(bytes.end(), {pixel.red, pixel.green, pixel.blue, toByte(alpha_[i])});
    }
    return bytes;
  }

private:
  void compose(int x, int y, Colour colour, double coverage)
  {
    const std::size_t i = static_cast<std::size_t>(y) * width_ + x;
    const double keep = 1 - coverage;
    colour_[i] = {colour.red * coverage + colour_[i].red * keep, colour.green * coverage + colour_[i].green * keep,
                  colour.blue * coverage + colour_[i].blue * keep};
    alpha_[i] = coverage + alpha_[i] * keep;
  }

  Colour over(std::size_t i, Colour backdrop) const
  {
    const double keep = 1 - alpha_[i];
    return {colour_[i].red + backdrop.red * keep, colour_[i].green + backdrop.green * keep,
            colour_[i].blue + backdrop.blue * keep};
  }

  int width_;
  int height_;
  std::vector<Colour> colour_;
  std::vector<double> alpha_;
  Point viewOffset_{0, 0};
  double viewScale_ = 1;
};

// Draws the outline colour a little outside the shape, then the shape itself.
void fillOutlined(Canvas& canvas, const Shape& shape, const Paint& paint, Colour outline, double width)
{
  canvas.fill(grow(shape, width), solid(outline));
  canvas.fill(shape, paint);
}

// The line of text rasterised with its top-left ink corner at the mask's (margin, margin).
CoverageMask textMask(const Typeface& face, const std::string& text, int margin)
{
  std::vector<Glyph> glyphs;
  int pen = 0;
  int right = 0;
  int left = 0;
  int highest = 0;
  int deepest = 0;
  for (char character : text) {
    glyphs.push_back(face.render(static_cast<unsigned char>(character)));
    const Glyph& glyph = glyphs.back();
    if (glyph.width > 0) {
      left = glyphs.size() == 1 ? glyph.left : std::min(left, pen + glyph.left);
      right = std::max(right, pen + glyph.left + glyph.width);
      highest = std::max(highest, glyph.top);
      deepest = std::max(deepest, glyph.height - glyph.top);
    }
    pen += glyph.advance;
  }
  CoverageMask mask;
  mask.width = right - left + 2 * margin;
  mask.height = highest + deepest + 2 * margin;
  mask.coverage.assign(static_cast<std::size_t>(mask.width) * mask.height, 0);
  pen = margin - left;
  for (const Glyph& glyph : glyphs) {
    for (int y = 0; y < glyph.height; ++y) {
      for (int x = 0; x < glyph.width; ++x) {
        const int maskX = pen + glyph.left + x;
        const int maskY = margin + highest - glyph.top + y;
        double& cell = mask.coverage[static_cast<std::size_t>(maskY) * mask.width + maskX];
        cell = std::max(cell, glyph.coverage[static_cast<std::size_t>(y) * glyph.width + x] / 255.0);
      }
    }
    pen += glyph.advance;
  }
  return mask;
}

// The mask widened by radius pixels in every direction, for outlines around letters.
CoverageMask dilate(const CoverageMask& mask, double radius)
{
  CoverageMask wide = mask;
  const int reach = static_cast<int>(std::ceil(radius));
  for (int y = 0; y < mask.height; ++y) {
    for (int x = 0; x < mask.width; ++x) {
      double strongest = 0;
      for (int dy = -reach; dy <= reach; ++dy) {
        for (int dx = -reach; dx <= reach; ++dx) {
          const double falloff = clamp01(radius + 0.5 - length({static_cast<double>(dx), static_cast<double>(dy)}));
          strongest = std::max(strongest, mask.at(x + dx, y + dy) * falloff);
        }
      }
      wide.coverage[static_cast<std::size_t>(y) * mask.width + x] = strongest;
    }
  }
  return wide;
}

const Colour WORM_SKIN = rgb(236, 134, 146);
const Colour WORM_BAND = rgb(222, 104, 124);
const Colour WORM_OUTLINE = rgb(92, 30, 48);
const Colour INK = rgb(34, 20, 26);

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

  Nearest nearest(Point p) const
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

  Shape shape() const
  {
    Box bounds{centre[0].x, centre[0].y, centre[0].x, centre[0].y};
    for (std::size_t i = 0; i < centre.size(); ++i) {
      bounds = enclose(bounds, expand({centre[i].x, centre[i].y, centre[i].x, centre[i].y}, radius[i]));
    }
    const Tube tube = *this;
    return {bounds, [tube](Point p) { return tube.nearest(p).distance; }};
  }
};

// Skin of a round worm body: lit from the left, ringed, with a darker saddle band.
Paint wormSkin(const Tube& tube, double bandStart, double bandEnd)
{
  return [=](Point p) {
    const Tube::Nearest n = tube.nearest(p);
    const double round = std::sqrt(std::max(0.0, 1 - n.across * n.across));
    const double light = 0.72 + 0.26 * round - 0.1 * n.across;
    const bool inBand = n.along > bandStart && n.along < bandEnd;
    Colour colour = scale(inBand ? WORM_BAND : WORM_SKIN, light);
    const double ringSpacing = 5.5;
    const double ring = (n.along + 1.6 * n.across * n.across) / ringSpacing;
    const double fromRing = std::fabs(ring - std::floor(ring + 0.5)) * ringSpacing;
    colour = mix(colour, scale(WORM_OUTLINE, 1.2), 0.35 * bump(fromRing, 0.9) * smoothstep(-0.5, 2, n.along));
    return mix(colour, Colour{1, 0.93, 0.93}, 0.4 * bump(n.across + 0.45, 0.3));
  };
}

struct WormPose
{
  Tube body;
  Point head;
  double headRadius;
  // Where the pupils look, in head radii.
  Point gaze;
  bool eyesOpen;
};

void drawEye(Canvas& canvas, Point centre, double size, Point gaze, bool open)
{
  if (!open) {
    canvas.fill(stroke(arc(centre + Point{0, -0.25 * size}, 0.75 * size, 0.08, 0.42), 0.55), solid(INK));
    return;
  }
  fillOutlined(canvas, ellipse(centre, 0.8 * size, size), solid(rgb(252, 252, 248)), INK, 0.7);
  const Point pupil = centre + Point{gaze.x * 0.3 * size, 0.15 * size + gaze.y * 0.3 * size};
  canvas.fill(circle(pupil, 0.5 * size), solid(INK));
  canvas.fill(circle(pupil + Point{-0.18 * size, -0.2 * size}, 0.19 * size), solid(rgb(255, 255, 255)));
}

void drawWorm(Canvas& canvas, const WormPose& pose)
{
  const double outline = 1.3;
  const double bodyLength = pose.body.nearest(pose.body.centre.back()).along;
  fillOutlined(canvas, pose.body.shape(), wormSkin(pose.body, 0.3 * bodyLength, 0.42 * bodyLength), WORM_OUTLINE,
               outline);

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

const Colour STEEL = rgb(74, 80, 92);
const Colour MINE_OUTLINE = rgb(18, 18, 24);

// Round mine seen from above with spikes around it; light 0..1 is how brightly its lamp glows.
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

const Colour GRASS = rgb(104, 146, 70);
const int SCREEN_WIDTH = 640;
const int SCREEN_HEIGHT = 480;
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

  const double textTop = 32;
  const double textBottom = 56;
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

const Rgb GREEN_KEY{0, 255, 0};
const Rgb MAGENTA_KEY{255, 0, 255};

void drawGameOverSign(Canvas& canvas)
{
  const Colour darkWood = rgb(86, 52, 28);
  const Colour lightWood = rgb(184, 128, 72);
  const Box board{3, 3, 307, 277};
  const double frameWidth = 16;
  const Shape outer = roundedBox(board, 18);
  const Shape inner = roundedBox(expand(board, -frameWidth), 8);

  // The frame: dark wood, bevelled so it catches light on its upper-left side.
  canvas.fill(outer, solid(rgb(44, 26, 14)));
  canvas.fill(grow(outer, -2), [=](Point p) {
    const double grain = fractalNoise({p.x / 40, p.y / 3}, 131, 3);
    const double towardLight = clamp01(0.5 + ((p.x - 155) * -0.3 + (p.y - 140) * -0.7) / 260);
    return scale(darkWood, 0.8 + 0.35 * towardLight + 0.25 * (grain - 0.5));
  });

  // Planks inside the frame, each with its own grain and a dark gap below.
  const double plankHeight = (inner.bounds.bottom - inner.bounds.top) / 4;
  canvas.fill(grow(inner, 1.5), solid(rgb(40, 24, 12)));
  canvas.fill(inner, [=](Point p) {
    const int plank = static_cast<int>((p.y - inner.bounds.top) / plankHeight);
    const double inPlank = p.y - inner.bounds.top - plank * plankHeight;
    const double grain = fractalNoise({p.x / 55 + plank * 7.3, p.y / 2.6}, 151, 4);
    const double knots = smoothstep(0.7, 0.85, fractalNoise({p.x / 18 + plank * 3.1, p.y / 9}, 167, 2));
    Colour colour = scale(lightWood, 0.88 + 0.34 * (grain - 0.5) - 0.1 * knots + 0.04 * (plank % 2));
    colour = scale(colour, 1 - 0.45 * bump(inPlank, 1.6) - 0.25 * bump(inPlank - plankHeight, 2.5));
    return colour;
  });
  const Shape innerShade = subtract(
      inner, roundedBox({inner.bounds.left + 3, inner.bounds.top + 4, inner.bounds.right, inner.bounds.bottom}, 8));
  canvas.fill(innerShade, solid(rgb(30, 16, 8)), 0.45);

  // Nails in the frame's corners.
  const double nailInset = 10;
  for (Point nail :
       {Point{board.left + nailInset, board.top + nailInset}, Point{board.right - nailInset, board.top + nailInset},
        Point{board.left + nailInset, board.bottom - nailInset},
        Point{board.right - nailInset, board.bottom - nailInset}}) {
    fillOutlined(canvas, circle(nail, 3.2), ballShading(rgb(170, 172, 176), nail, 3.2, 0.5), rgb(36, 30, 26), 0.8);
  }

  // The words, cream paint with a dark rim and a shadow on the wood.
  const Typeface face("DejaVuSans-Bold.ttf", 92);
  const int margin = 6;
  const char* const lines[] = {"PELI", "OHI"};
  const int lineTops[] = {56, 156};
  for (int line = 0; line < 2; ++line) {
    const CoverageMask letters = textMask(face, lines[line], margin);
    const CoverageMask rim = dilate(letters, 3);
    const int left = canvas.width() / 2 - letters.width / 2;
    const int top = lineTops[line] - margin;
    canvas.fillMask(rim, left + 4, top + 5, solid(rgb(34, 18, 8)), 0.55);
    canvas.fillMask(rim, left, top, solid(rgb(52, 26, 12)));
    const double textTop = top + margin;
    canvas.fillMask(letters, left, top, [=](Point p) {
      const double down = clamp01((p.y - textTop) / 68);
      return mix(rgb(255, 248, 224), rgb(240, 200, 120), down);
    });
  }
}

void putBigEndian(std::vector<std::uint8_t>& bytes, std::uint32_t value)
{
  for (int shift = 24; shift >= 0; shift -= 8) {
    bytes.push_back(static_cast<std::uint8_t>(value >> shift));
  }
}

void putPngChunk(std::vector<std::uint8_t>& png, const char* type, const std::vector<std::uint8_t>& data)
{
  putBigEndian(png, static_cast<std::uint32_t>(data.size()));
  const std::size_t typeStart = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  const uLong crc = crc32(crc32(0, Z_NULL, 0), png.data() + typeStart, static_cast<uInt>(png.size() - typeStart));
  putBigEndian(png, static_cast<std::uint32_t>(crc));
}

// An 8-bit RGBA PNG, rows unfiltered and deflated by zlib.
void writePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgba)
{
  std::vector<std::uint8_t> rows;
  for (int y = 0; y < height; ++y) {
    rows.push_back(0);
    const auto row = rgba.begin() + static_cast<std::ptrdiff_t>(y) * width * 4;
    rows.insert(rows.end(), row, row + width * 4);
  }
  uLongf packedSize = compressBound(static_cast<uLong>(rows.size()));
  std::vector<std::uint8_t> packed(packedSize);
  if (compress2(packed.data(), &packedSize, rows.data(), static_cast<uLong>(rows.size()), Z_BEST_COMPRESSION) != Z_OK) {
    throw std::runtime_error("cannot compress " + path);
  }
  packed.resize(packedSize);

  std::vector<std::uint8_t> header;
  putBigEndian(header, static_cast<std::uint32_t>(width));
  putBigEndian(header, static_cast<std::uint32_t>(height));
  header.insert(header.end(), {8, 6, 0, 0, 0});

  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  putPngChunk(png, "IHDR", header);
  putPngChunk(png, "IDAT", packed);
  putPngChunk(png, "IEND", {});
  writeFile(path, png);
}

struct FrameLine
{
  std::string file;
  int pauseMs;
};

std::string keyText(Rgb key)
{
  return std::to_string(key.red) + " " + std::to_string(key.green) + " " + std::to_string(key.blue);
}

void writeInfo(const std::filesystem::path& directory, const std::vector<FrameLine>& frames, Rgb key,
               const std::string& comment)
{
  std::string text = "FILES: " + std::to_string(frames.size()) + "\n";
  text += "# name  pause_ms  transparent red green blue\n";
  text += "# " + comment + "\n";
  for (const FrameLine& frame : frames) {
    text += frame.file + " " + std::to_string(frame.pauseMs) + " " + keyText(key) + "\n";
  }
  writeFile((directory / "info").string(), std::vector<std::uint8_t>(text.begin(), text.end()));
}

void writeKeyedSprite(const std::filesystem::path& path, const Canvas& canvas, Rgb key)
{
  writeBmp(path.string(), canvas.width(), canvas.height(), canvas.keyed(key));
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

void writeBackground(const std::filesystem::path& path)
{
  Canvas canvas(SCREEN_WIDTH, SCREEN_HEIGHT);
  drawMeadow(canvas);
  writeBmp(path.string(), canvas.width(), canvas.height(), canvas.opaque(GRASS));
}

void writeGameOverSign(const std::filesystem::path& path)
{
  Canvas canvas(310, 280);
  drawGameOverSign(canvas);
  writeBmp(path.string(), canvas.width(), canvas.height(), canvas.keyedOver(GREEN_KEY, GRASS));
}

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

void writePictures(const std::filesystem::path& dataDirectory, const std::filesystem::path& iconDirectory)
{
  std::filesystem::create_directories(dataDirectory);
  std::filesystem::create_directories(iconDirectory);
  writeBackground(dataDirectory / "bg.bmp");
  writeGameOverSign(dataDirectory / "peliohi.bmp");
  writeWorm(dataDirectory / "mato");
  writeChicken(dataDirectory / "kana");
  writeMine(dataDirectory / "miina");
  writeIcon(iconDirectory / "kanamiina.png");
}

}

int main(int argc, char** argv)
{
  if (argc != 3) {
    std::cerr << "usage: makepictures <datadir> <icondir>\n";
    return 1;
  }
  try {
    writePictures(argv[1], argv[2]);
  } catch (const std::exception& error) {
    std::cerr << "makepictures: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
