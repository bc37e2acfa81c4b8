// Values written as a person reads them beside the picture: at the edges of the screen, said after
// it, and at the ends of its axes, in the copy as text.
#pragma once

#include "data.h"
#include "place.h"

#include <string>

// The shortest text that reads back as the value.
std::string shortest(double v);

// What a cell of the screen spans of the axis, as the frame places the values.
double cell_span(const frame &f, int axis, screen_size screen);

// The value, as its column holds it, with digits enough to tell apart values a cell apart.
std::string value_text(double v, double cell, const column_kind &kind, const char *time_format);
