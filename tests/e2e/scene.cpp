#include "scene.h"

#include <numeric>
#include <sstream>

namespace {

// A placement with the picture chosen for it.
struct Layer
{
  const Placement* placement;
  bool overChickens;
  size_t choice = 0;

  const Picture& picture() const { return (*placement->pictures)[choice]; }
  Rect area() const
  {
    Rect area{placement->at.x, placement->at.y, 0, 0};
    for (const Picture& picture : *placement->pictures) {
      area.w = std::max(area.w, picture.image.width);
      area.h = std::max(area.h, picture.image.height);
    }
    return area;
  }
  // The chosen picture's pixel at a screen position, when it draws one there.
  std::optional<Rgb> pixelAt(int x, int y) const
  {
    const Picture& shown = picture();
    int px = x - placement->at.x;
    int py = y - placement->at.y;
    if (!shown.image.contains(px, py) || !shown.opaqueAt(px, py)) {
      return std::nullopt;
    }
    return shown.image.at(px, py);
  }
};

bool inZone(const Scene& scene, int x, int y)
{
  for (const Rect& zone : scene.chickenZones) {
    if (zone.contains(x, y)) {
      return true;
    }
  }
  return false;
}

// What the layers show at a pixel, or nullopt where a chicken may hide it.
std::optional<Rgb> expectedAt(const Scene& scene, const std::vector<Layer*>& layers, int x, int y)
{
  for (auto layer = layers.rbegin(); layer != layers.rend(); ++layer) {
    if ((*layer)->overChickens) {
      if (auto colour = (*layer)->pixelAt(x, y)) {
        return colour;
      }
    }
  }
  if (inZone(scene, x, y)) {
    return std::nullopt;
  }
  for (auto layer = layers.rbegin(); layer != layers.rend(); ++layer) {
    if (!(*layer)->overChickens) {
      if (auto colour = (*layer)->pixelAt(x, y)) {
        return colour;
      }
    }
  }
  return scene.backdrop.at(x, y);
}

struct Mismatch
{
  int count = 0;
  std::string first;
};

Mismatch compare(const Image& screen, const Scene& scene, const std::vector<Layer*>& layers,
                 const std::vector<Point>& pixels, bool stopAtFirst)
{
  Mismatch mismatch;
  for (const Point& pixel : pixels) {
    std::optional<Rgb> expected = expectedAt(scene, layers, pixel.x, pixel.y);
    Rgb found = screen.at(pixel.x, pixel.y);
    if (expected && *expected != found) {
      if (mismatch.count++ == 0) {
        std::ostringstream text;
        text << "pixel " << pixel << " is " << hex(found) << ", expected " << hex(*expected);
        mismatch.first = text.str();
      }
      if (stopAtFirst) {
        break;
      }
    }
  }
  return mismatch;
}

// Steps to the next choice of pictures for a group of layers; false once every choice was tried.
bool nextChoice(std::vector<Layer*>& layers)
{
  for (Layer* layer : layers) {
    if (++layer->choice < layer->placement->pictures->size()) {
      return true;
    }
    layer->choice = 0;
  }
  return false;
}

std::string describe(const std::vector<Layer*>& layers)
{
  std::ostringstream text;
  for (const Layer* layer : layers) {
    text << " " << layer->picture().name << " at " << layer->placement->at << ";";
  }
  return text.str();
}

int findRoot(std::vector<int>& parent, int i)
{
  while (parent[i] != i) {
    i = parent[i] = parent[parent[i]];
  }
  return i;
}

}

std::ostream& operator<<(std::ostream& out, const Point& point)
{
  return out << "(" << point.x << ", " << point.y << ")";
}

testing::AssertionResult shows(const Image& screen, const Scene& scene)
{
  std::vector<Layer> layers;
  for (const Placement& placement : scene.below) {
    layers.push_back(Layer{&placement, false});
  }
  for (const Placement& placement : scene.above) {
    layers.push_back(Layer{&placement, true});
  }

  // Layers that overlap must be chosen together; the others one by one.
  std::vector<int> group(layers.size());
  std::iota(group.begin(), group.end(), 0);
  for (size_t i = 0; i < layers.size(); ++i) {
    for (size_t j = i + 1; j < layers.size(); ++j) {
      if (layers[i].area().overlaps(layers[j].area())) {
        group[findRoot(group, static_cast<int>(i))] = findRoot(group, static_cast<int>(j));
      }
    }
  }

  const int NOBODY = -1;
  std::vector<int> owner(static_cast<size_t>(screen.width) * screen.height, NOBODY);
  auto ownerAt = [&](int x, int y) -> int& { return owner[static_cast<size_t>(y) * screen.width + x]; };
  std::vector<std::vector<Point>> groupPixels(layers.size());
  for (size_t i = 0; i < layers.size(); ++i) {
    Rect area = layers[i].area();
    int root = findRoot(group, static_cast<int>(i));
    for (int y = area.y; y < area.y + area.h; ++y) {
      for (int x = area.x; x < area.x + area.w; ++x) {
        if (screen.contains(x, y) && ownerAt(x, y) == NOBODY) {
          ownerAt(x, y) = root;
          groupPixels[root].push_back(Point{x, y});
        }
      }
    }
  }

  std::vector<Point> open;
  for (int y = 0; y < screen.height; ++y) {
    for (int x = 0; x < screen.width; ++x) {
      if (ownerAt(x, y) == NOBODY) {
        open.push_back(Point{x, y});
      }
    }
  }
  Mismatch outside = compare(screen, scene, {}, open, true);
  if (outside.count > 0) {
    return testing::AssertionFailure() << "away from the sprites, " << outside.first;
  }

  for (size_t root = 0; root < layers.size(); ++root) {
    if (groupPixels[root].empty()) {
      continue;
    }
    std::vector<Layer*> members;
    for (size_t i = 0; i < layers.size(); ++i) {
      if (findRoot(group, static_cast<int>(i)) == static_cast<int>(root)) {
        members.push_back(&layers[i]);
      }
    }
    bool matched = false;
    do {
      matched = compare(screen, scene, members, groupPixels[root], true).count == 0;
    } while (!matched && nextChoice(members));
    if (matched) {
      continue;
    }
    Mismatch best;
    std::string bestChoice;
    do {
      Mismatch tried = compare(screen, scene, members, groupPixels[root], false);
      if (bestChoice.empty() || tried.count < best.count) {
        best = tried;
        bestChoice = describe(members);
      }
    } while (nextChoice(members));
    return testing::AssertionFailure() << "no choice of frames matches; the closest," << bestChoice << " differs in "
                                       << best.count << " pixels, first " << best.first;
  }
  return testing::AssertionSuccess();
}

testing::AssertionResult sameIn(const Image& screen, const Image& expected, const Rect& area)
{
  for (int y = area.y; y < area.y + area.h; ++y) {
    for (int x = area.x; x < area.x + area.w; ++x) {
      if (screen.at(x, y) != expected.at(x, y)) {
        return testing::AssertionFailure() << "pixel " << Point{x, y} << " is " << hex(screen.at(x, y))
                                           << ", expected " << hex(expected.at(x, y));
      }
    }
  }
  return testing::AssertionSuccess();
}

std::optional<Found> findPicture(const Image& screen, const std::vector<Picture>& pictures, const Rect& positions)
{
  std::vector<std::vector<Point>> drawn(pictures.size());
  for (size_t i = 0; i < pictures.size(); ++i) {
    for (int y = 0; y < pictures[i].image.height; ++y) {
      for (int x = 0; x < pictures[i].image.width; ++x) {
        if (pictures[i].opaqueAt(x, y)) {
          drawn[i].push_back(Point{x, y});
        }
      }
    }
  }
  for (int y = positions.y; y < positions.y + positions.h; ++y) {
    for (int x = positions.x; x < positions.x + positions.w; ++x) {
      for (size_t i = 0; i < pictures.size(); ++i) {
        size_t compared = 0;
        bool same = true;
        for (const Point& pixel : drawn[i]) {
          int sx = x + pixel.x;
          int sy = y + pixel.y;
          if (!screen.contains(sx, sy)) {
            continue;
          }
          ++compared;
          if (screen.at(sx, sy) != pictures[i].image.at(pixel.x, pixel.y)) {
            same = false;
            break;
          }
        }
        // Most of the picture must be on screen for the match to mean anything.
        if (same && compared * 2 >= drawn[i].size() && compared > 0) {
          return Found{Point{x, y}, i};
        }
      }
    }
  }
  return std::nullopt;
}

std::optional<Point> findColour(const Image& screen, Rgb colour)
{
  for (int y = 0; y < screen.height; ++y) {
    for (int x = 0; x < screen.width; ++x) {
      if (screen.at(x, y) == colour) {
        return Point{x, y};
      }
    }
  }
  return std::nullopt;
}
