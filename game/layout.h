#ifndef LAYOUT_H
#define LAYOUT_H

// Where things lie on the field, in pixels. Plain numbers without SDL, so that the
// programs that draw the data, the tests and the benchmarks take them from here too.

// The field, and the furthest the worm's and the chickens' top-left corners go on it.
const int SCREEN_WIDTH = 640;
const int SCREEN_HEIGHT = 480;
const int MAX_X = 590;
const int MAX_Y = 380;

// Where the worm starts, and where a mine lands from the worm's position.
const int MATO_START_X = 50;
const int MATO_START_Y = 320;
const int MIINA_OFFSET_X = 35;
const int MIINA_OFFSET_Y = 30;

// Chickens start at random in a band below the score line, this many places from its left and top.
const int KANA_START_LEFT = 250;
const int KANA_START_COLUMNS = 350;
const int KANA_START_TOP = 90;
const int KANA_START_ROWS = 20;

// The game-over sign's top-left corner.
const int GAMEOVER_X = 165;
const int GAMEOVER_Y = 100;

// The pause sign's size, and its top-left corner that centres it on the field.
const int TAUKO_WIDTH = 310;
const int TAUKO_HEIGHT = 220;
const int TAUKO_X = 165;
const int TAUKO_Y = 130;

// The score line along the top: "Pisteet:" and the points, "Miinat:" and the mines left.
const int SCORE_Y = 37;
const int PISTEET_X = 5;
const int SCORE_X = 60;
const int MIINAT_LABEL_X = 570;
const int MIINAT_X = 610;

// The font's letters, drawn at 11 pixels, each in a square cell of 16 pixels: a line of text is a cell high.
const double FONT_PIXEL_SIZE = 11.0;
const int FONT_CELL = 16;

#endif
