#pragma once

#include <cairo.h>

// The mouse seen from above, for the key and lighting pages: left and right buttons, the wheel,
// the DPI button behind it and two side buttons on the left flank, each drawn as its own part.
// Drawn for a 300 x 270 picture whose spots match the device layout file: left button (118, 92),
// right button (182, 92), wheel (150, 84), DPI button (150, 130), forward (104, 160) and
// backward (104, 196).
void DrawMousePicture(cairo_t* cr, double w, double h);
