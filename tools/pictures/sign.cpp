#include "pictures/sign.h"

#include <string>

#include "layout.h"
#include "painter.h"
#include "pictures/palette.h"

namespace {

const Rgb GREEN_KEY{0, 255, 0};

// How thick the dark rim around letters is and how far its shadow falls, in pixels.
struct Rim
{
  double width;
  int shadowRight;
  int shadowDown;
};

// A centred line of cream paint, its ink top at row top, over a dark rim whose shadow falls on the wood.
void paintLettering(Canvas& canvas, const Typeface& face, const std::u32string& text, int top, Rim rim)
{
  const int margin = 6;
  const CoverageMask letters = textMask(face, text, margin);
  const CoverageMask rimMask = dilate(letters, rim.width);
  const int left = canvas.width() / 2 - letters.width / 2;
  const int maskTop = top - margin;
  canvas.fillMask(rimMask, left + rim.shadowRight, maskTop + rim.shadowDown, solid(rgb(34, 18, 8)), 0.55);
  canvas.fillMask(rimMask, left, maskTop, solid(rgb(52, 26, 12)));
  const double inkHeight = letters.height - 2 * margin;
  canvas.fillMask(letters, left, maskTop, [=](Point p) {
    const double down = clamp01((p.y - top) / inkHeight);
    return mix(rgb(255, 248, 224), rgb(240, 200, 120), down);
  });
}

// A board of planks in a bevelled frame with nails in its corners, lit from the upper left.
void drawBoard(Canvas& canvas, const Box& board, int planks)
{
  const Colour darkWood = rgb(86, 52, 28);
  const Colour lightWood = rgb(184, 128, 72);
  const double frameWidth = 16;
  const double middleX = (board.left + board.right) / 2;
  const double middleY = (board.top + board.bottom) / 2;
  const Shape outer = roundedBox(board, 18);
  const Shape inner = roundedBox(expand(board, -frameWidth), 8);

  // The frame: dark wood, bevelled so it catches light on its upper-left side.
  canvas.fill(outer, solid(rgb(44, 26, 14)));
  canvas.fill(grow(outer, -2), [=](Point p) {
    const double grain = fractalNoise({p.x / 40, p.y / 3}, 131, 3);
    const double towardLight = clamp01(0.5 + ((p.x - middleX) * -0.3 + (p.y - middleY) * -0.7) / 260);
    return scale(darkWood, 0.8 + 0.35 * towardLight + 0.25 * (grain - 0.5));
  });

  // Planks inside the frame, each with its own grain and a dark gap below.
  const double plankHeight = (inner.bounds.bottom - inner.bounds.top) / planks;
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
}

const Rim HEADLINE_RIM{3, 4, 5};
const Rim HINT_RIM{1.5, 1, 2};
const double HINT_SIZE = 17;

// The words and, on the bottom plank, what the keys do now.
void drawGameOverSign(Canvas& canvas)
{
  drawBoard(canvas, {3, 3, 307, 277}, 4);
  const Typeface headline("DejaVuSans-Bold.ttf", 86);
  paintLettering(canvas, headline, U"PELI", 38, HEADLINE_RIM);
  paintLettering(canvas, headline, U"OHI", 124, HEADLINE_RIM);
  const Typeface hint("DejaVuSansCondensed-Bold.ttf", HINT_SIZE);
  paintLettering(canvas, hint, U"Enter: uusi peli \u00b7 Esc: lopeta", 224, HINT_RIM);
}

// The same board a plank shorter: the word, and the key that goes on with the game.
void drawPauseSign(Canvas& canvas)
{
  drawBoard(canvas, {3, 3, TAUKO_WIDTH - 3.0, TAUKO_HEIGHT - 3.0}, 3);
  const Typeface headline("DejaVuSans-Bold.ttf", 66);
  paintLettering(canvas, headline, U"TAUKO", 52, HEADLINE_RIM);
  const Typeface hint("DejaVuSansCondensed-Bold.ttf", HINT_SIZE);
  paintLettering(canvas, hint, U"P: jatka peli\u00e4", 164, HINT_RIM);
}

void writeSign(const std::filesystem::path& path, int width, int height, void (*draw)(Canvas&))
{
  Canvas canvas(width, height);
  draw(canvas);
  writeBmp(path.string(), canvas.width(), canvas.height(), canvas.keyedOver(GREEN_KEY, GRASS));
}

}

void writeGameOverSign(const std::filesystem::path& path)
{
  writeSign(path, 310, 280, drawGameOverSign);
}

void writePauseSign(const std::filesystem::path& path)
{
  writeSign(path, TAUKO_WIDTH, TAUKO_HEIGHT, drawPauseSign);
}
