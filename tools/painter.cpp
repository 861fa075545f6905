#include "painter.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include <zlib.h>

namespace {

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

double latticeValue(int x, int y, std::uint32_t seed)
{
  std::uint32_t h =
      static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u + seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return h / 4294967296.0;
}

double segmentDistance(Point p, Point a, Point b)
{
  const Point along = b - a;
  const double t = clamp01(dot(p - a, along) / std::max(dot(along, along), 1e-12));
  return length(p - (a + along * t));
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

}

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

double bump(double value, double width)
{
  return 1 - smoothstep(0, width, std::fabs(value));
}

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

Point rotate(Point v, double turns)
{
  const double c = cosineOfTurns(turns);
  const double s = sineOfTurns(turns);
  return {v.x * c - v.y * s, v.x * s + v.y * c};
}

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

Box expand(Box box, double margin)
{
  return {box.left - margin, box.top - margin, box.right + margin, box.bottom + margin};
}

Box enclose(Box a, Box b)
{
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

Shape circle(Point centre, double radius)
{
  return {{centre.x - radius, centre.y - radius, centre.x + radius, centre.y + radius},
          [=](Point p) { return length(p - centre) - radius; }};
}

Shape ellipse(Point centre, double radiusX, double radiusY, double turns)
{
  const double reach = std::max(radiusX, radiusY);
  return {{centre.x - reach, centre.y - reach, centre.x + reach, centre.y + reach}, [=](Point p) {
            const Point q = rotate(p - centre, -turns);
            const double k0 = length({q.x / radiusX, q.y / radiusY});
            const double k1 = length({q.x / (radiusX * radiusX), q.y / (radiusY * radiusY)});
            return k1 > 0 ? k0 * (k0 - 1) / k1 : -std::min(radiusX, radiusY);
          }};
}

Shape capsule(Point a, Point b, double radius)
{
  return {{std::min(a.x, b.x) - radius, std::min(a.y, b.y) - radius, std::max(a.x, b.x) + radius,
           std::max(a.y, b.y) + radius},
          [=](Point p) { return segmentDistance(p, a, b) - radius; }};
}

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

Shape unite(const Shape& a, const Shape& b, double seam)
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

Paint ballShading(Colour base, Point centre, double radius, double shadeDepth)
{
  return [=](Point p) {
    const Point offset = (p - centre) * (1 / radius);
    const double away = clamp01(offset.x * 0.6 + offset.y * 0.8);
    const double highlight = bump(length(offset - Point{-0.38, -0.45}), 0.55);
    const Colour lit = scale(base, 1 - shadeDepth * away);
    return mix(lit, Colour{1, 1, 1}, 0.45 * highlight);
  };
}

double CoverageMask::at(int x, int y) const
{
  if (x < 0 || y < 0 || x >= width || y >= height) {
    return 0;
  }
  return coverage[static_cast<std::size_t>(y) * width + x];
}

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), colour_(static_cast<std::size_t>(width) * height, Colour{0, 0, 0}),
      alpha_(static_cast<std::size_t>(width) * height, 0)
{
}

void Canvas::setView(Point offset, double scale)
{
  viewOffset_ = offset;
  viewScale_ = scale;
}

void Canvas::fill(const Shape& shape, const Paint& paint, double opacity)
{
  const int left = std::max(0, static_cast<int>(std::floor(viewOffset_.x + shape.bounds.left * viewScale_)) - 1);
  const int top = std::max(0, static_cast<int>(std::floor(viewOffset_.y + shape.bounds.top * viewScale_)) - 1);
  const int right = std::min(width_, static_cast<int>(std::ceil(viewOffset_.x + shape.bounds.right * viewScale_)) + 2);
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

void Canvas::fillMask(const CoverageMask& mask, int left, int top, const Paint& paint, double opacity)
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

std::vector<Rgb> Canvas::opaque(Colour backdrop) const
{
  std::vector<Rgb> pixels(colour_.size());
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    pixels[i] = toRgb(over(i, backdrop));
  }
  return pixels;
}

std::vector<Rgb> Canvas::keyed(Rgb key) const
{
  std::vector<Rgb> pixels(colour_.size());
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    pixels[i] = alpha_[i] >= 0.5 ? avoidKey(toRgb(scale(colour_[i], 1 / alpha_[i])), key) : key;
  }
  return pixels;
}

std::vector<Rgb> Canvas::keyedOver(Rgb key, Colour backdrop) const
{
  std::vector<Rgb> pixels(colour_.size());
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    pixels[i] = alpha_[i] >= 0.1 ? avoidKey(toRgb(over(i, backdrop)), key) : key;
  }
  return pixels;
}

std::vector<std::uint8_t> Canvas::rgba() const
{
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < colour_.size(); ++i) {
    const Rgb pixel = alpha_[i] > 0 ? toRgb(scale(colour_[i], 1 / alpha_[i])) : Rgb{0, 0, 0};
    bytes.insert(bytes.end(), {pixel.red, pixel.green, pixel.blue, toByte(alpha_[i])});
  }
  return bytes;
}

void Canvas::compose(int x, int y, Colour colour, double coverage)
{
  const std::size_t i = static_cast<std::size_t>(y) * width_ + x;
  const double keep = 1 - coverage;
  colour_[i] = {colour.red * coverage + colour_[i].red * keep, colour.green * coverage + colour_[i].green * keep,
                colour.blue * coverage + colour_[i].blue * keep};
  alpha_[i] = coverage + alpha_[i] * keep;
}

Colour Canvas::over(std::size_t i, Colour backdrop) const
{
  const double keep = 1 - alpha_[i];
  return {colour_[i].red + backdrop.red * keep, colour_[i].green + backdrop.green * keep,
          colour_[i].blue + backdrop.blue * keep};
}

void fillOutlined(Canvas& canvas, const Shape& shape, const Paint& paint, Colour outline, double width)
{
  canvas.fill(grow(shape, width), solid(outline));
  canvas.fill(shape, paint);
}

CoverageMask textMask(const Typeface& face, const std::u32string& text, int margin)
{
  std::vector<Glyph> glyphs;
  int pen = 0;
  int right = 0;
  int left = 0;
  int highest = 0;
  int deepest = 0;
  for (char32_t character : text) {
    glyphs.push_back(face.render(character));
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
