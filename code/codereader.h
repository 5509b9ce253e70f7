#pragma once

#include "editor/spritegrid.h"

#include <optional>
#include <string>
#include <string_view>

namespace quillox
{

// Reads sprite code as programs and other tools write it, so that it can be
// brought back into the grid. Data lines are ".db", "db", "defb" or ".byte"
// (any case) followed by values in binary ("%10100000", "0b10100000",
// "10100000b"), hex ("$A0", "#A0", "0xA0", "0A0h") or decimal. CR, LF and
// CR LF end lines; blank lines, ";" comments and "NAME equ 8" lines (also
// "NAME: equ 8", "NAME .equ 8") are skipped, and so are labels before the
// first data line; a label after it starts a second sprite, which is refused.
//
// - Lines of one or two values: each line is a row, and all hold the same
//   count. The editor's own form is one binary value a row with the same
//   number of digits, 1 to 15; that number is the width. Otherwise the values
//   are bytes, the leftmost pixel in bit 7 of the first, and the width is the
//   narrowest that holds every set pixel, never fewer than 8 columns.
// - Any line of three or more values: every value in order is a row of 8
//   pixels, one byte a row.
// - A first line "H,B" before exactly H lines of B values is the size header
//   that sprite routines take, and is skipped.
//
// The result is the sprite in the bottom-right block of an otherwise white
// grid. Text that cannot be a sprite of at most 15 x 15 gives the reason,
// naming the line at fault.
std::optional<SpriteGrid> readSpriteCodeText(std::string_view text, std::string& reason);

} // namespace quillox
