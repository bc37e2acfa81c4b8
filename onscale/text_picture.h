// The picture as text, framed, with the values at the ends of its axes beside them: a copy for the
// scrollback once trackplot's picture is put away, or the picture itself for a file or a pipe.
#pragma once

#include "kept.h"
#include "picture.h"

#include <cstdio>

// Writes the picture, rows by cols in all: the kept pairs placed again for the cells inside the
// frame, as trackplot places them on a screen of that size; false where the pairs could not be
// read back.
bool write_text_picture(FILE *out, const picture &pic, kept_pairs *kept, const unsure_readings &u,
                        const line_format &format, const options &opt, screen_size size);
