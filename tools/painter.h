#ifndef TOOLS_PAINTER_H
#define TOOLS_PAINTER_H

// A small vector painter: shapes given by signed distance, filled with paints onto a
// canvas that turns them into BMP pixels or PNG bytes.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "bitmap.h"

struct Point
{
  double x;
  double y;
};

Point operator+(Point a, Point b);
Point operator-(Point a, Point b);
Point operator*(Point a, double factor);
double dot(Point a, Point b);
double cross(Point a, Point b);
double length(Point a);

double clamp01(double value);
double smoothstep(double edge0, double edge1, double value);
// 1 at zero, falling smoothly to 0 at +-width.
double bump(double value, double width);

// Sine of a whole number of turns, from a polynomial so that every build draws the same bits.
double sineOfTurns(double turns);
double cosineOfTurns(double turns);
Point direction(double turns);
// Turns the vector v by the given turns (clockwise on screen, where y grows downward).
Point rotate(Point v, double turns);

struct Colour
{
  double red;
  double green;
  double blue;
};

Colour rgb(int red, int green, int blue);
Colour mix(Colour a, Colour b, double t);
Colour scale(Colour c, double factor);

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

// Smooth random field in 0..1 with features about one unit apart.
double valueNoise(Point p, std::uint32_t seed);
// Several octaves of value noise, still in 0..1.
double fractalNoise(Point p, std::uint32_t seed, int octaves);

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

Box expand(Box box, double margin);
Box enclose(Box a, Box b);

struct Shape
{
  Box bounds;
  Distance distance;
};

Shape circle(Point centre, double radius);
// An ellipse turned by the given turns; its distance is a close estimate.
Shape ellipse(Point centre, double radiusX, double radiusY, double turns = 0);
// A line from a to b with round ends, radius thick on each side.
Shape capsule(Point a, Point b, double radius);
// A round-ended stroke through the points.
Shape stroke(const std::vector<Point>& points, double radius);
// Points along a circular arc from startTurns to endTurns.
std::vector<Point> arc(Point centre, double radius, double startTurns, double endTurns);
Shape roundedBox(Box box, double radius);
Shape polygon(const std::vector<Point>& corners);
Shape grow(const Shape& shape, double margin);
// The union of two shapes, blended over a seam of the given width.
Shape unite(const Shape& a, const Shape& b, double seam = 0);
Shape intersect(const Shape& a, const Shape& b);
Shape subtract(const Shape& a, const Shape& b);

Paint solid(Colour colour);
// A ball lit from the upper left: highlight near the light, shade toward the far rim.
Paint ballShading(Colour base, Point centre, double radius, double shadeDepth = 0.35);

struct CoverageMask
{
  int width = 0;
  int height = 0;
  std::vector<double> coverage;

  double at(int x, int y) const;
};

// A picture being painted: premultiplied colour and coverage per pixel. Shapes are given in
// art coordinates; the view maps them to pixels so that one drawing can be shown at any size.
class Canvas
{
public:
  Canvas(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }

  void setView(Point offset, double scale);
  // How many art units cover the given number of pixels in the current view, so that a drawing can
  // keep its lines at least a pixel wide and leave out what would be too small to see.
  double unitsOfPixels(double pixels) const { return pixels / viewScale_; }
  void fill(const Shape& shape, const Paint& paint, double opacity = 1);
  // Paints through a mask whose top-left pixel lands on pixel (left, top).
  void fillMask(const CoverageMask& mask, int left, int top, const Paint& paint, double opacity = 1);

  // Every pixel over a solid backdrop, for pictures that cover the screen.
  std::vector<Rgb> opaque(Colour backdrop) const;
  // Hard-edged sprite: pixels at least half covered keep their colour, the rest become the key.
  std::vector<Rgb> keyed(Rgb key) const;
  // Soft-edged picture for a colour key: the edge is blended over the colour it usually stands on.
  std::vector<Rgb> keyedOver(Rgb key, Colour backdrop) const;
  // Straight (not premultiplied) red, green, blue, alpha bytes, row by row.
  std::vector<std::uint8_t> rgba() const;

private:
  void compose(int x, int y, Colour colour, double coverage);
  Colour over(std::size_t i, Colour backdrop) const;

  int width_;
  int height_;
  std::vector<Colour> colour_;
  std::vector<double> alpha_;
  Point viewOffset_{0, 0};
  double viewScale_ = 1;
};

// Draws the outline colour a little outside the shape, then the shape itself.
void fillOutlined(Canvas& canvas, const Shape& shape, const Paint& paint, Colour outline, double width);

// The line of text rasterised with its top-left ink corner at the mask's (margin, margin).
CoverageMask textMask(const Typeface& face, const std::u32string& text, int margin);
// The mask widened by radius pixels in every direction, for outlines around letters.
CoverageMask dilate(const CoverageMask& mask, double radius);

// An 8-bit RGBA PNG, rows unfiltered and deflated by zlib.
void writePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgba);

#endif
