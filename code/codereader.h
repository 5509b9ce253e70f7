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
// Two other forms are read when the text is no such code (.db code that
// reads keeps its meaning, so a line of either before a .db line is a label):
//
// - Axe Parser's data: lines "[3C4281A581A5423C]" of an even number of hex
//   digits in either case, perhaps stored to a name ("→Pic1" or "->Pic1");
//   lines of a first "." are Axe's comments. Axe lays data lines out one
//   after another, so their bytes in order are the rows; a store names where
//   a sprite starts, so a data line after one is a second sprite, refused.
// - Lines of hex digits ("3C4281A581A5423C"), as TI-BASIC sprite routines
//   take them: every line that holds something (";" comments aside) is an
//   even run of hex digits, and one holds a letter A-F or more than 3 digits,
//   so that lines such as "60" and "90", which may be decimal, are refused.
//   All lines' bytes in order are the rows.
//
// Either way each byte is a row of 8 pixels, at most 15 rows.
//
// The result is the sprite in the bottom-right block of an otherwise white
// grid. Text that cannot be a sprite of at most 15 x 15 gives the reason,
// naming the line at fault.
std::optional<SpriteGrid> readSpriteCodeText(std::string_view text, std::string& reason);
// The same, telling also whether the text read as code up to the line at
// fault (.db rows, or Axe data or hex digits first), so that a refusal is
// worth showing rather than trying the text as a picture.
std::optional<SpriteGrid> readSpriteCodeText(std::string_view text, std::string& reason,
                                             bool& readAsCode);

} // namespace quillox
