#ifndef TOOLS_PICTURES_PALETTE_H
#define TOOLS_PICTURES_PALETTE_H

#include "painter.h"

// Dark lines of eyes and mouths, shared by the worm and the chicken.
inline const Colour INK = rgb(34, 20, 26);
// The worm's and the mine's own colours, which the smallest icon draws with too.
inline const Colour WORM_SKIN = rgb(236, 134, 146);
inline const Colour WORM_OUTLINE = rgb(92, 30, 48);
inline const Colour STEEL = rgb(74, 80, 92);
inline const Colour MINE_OUTLINE = rgb(18, 18, 24);
// The meadow's own green; soft edges of keyed pictures are blended over it.
inline const Colour GRASS = rgb(104, 146, 70);
// The see-through colour of the sprite frames and the window icon.
inline const Rgb MAGENTA_KEY{255, 0, 255};

#endif
