#pragma once

#include "editor/spritegrid.h"
#include "editor/spritepixels.h"

#include <cstdint>
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

// The same with grey levels and transparency, as the byte writers give them
// (bytecode.h, toolchaindata.h):
//
// - A grey sprite's two planes: rows under "NAME_dark:" then rows under
//   "NAME_light:" (or C arrays of those names); a pixel's level is 2 x dark
//   + light. Planes without a mask are as wide as their widest set pixel.
// - Mask rows marked " ; mask" (" /* mask */" in C), before, after or
//   between the rows: a pixel whose mask bit is set in an AND mask, or clear
//   in an OR mask, and which no plane sets, is transparent. The polarity is
//   the one the set pixels fit (both fitting: the one that gives the
//   narrower sprite, AND on a tie); the sprite is as wide as its last pixel
//   that is not padding.
// - C arrays of bytes, a line a row.
// - Axe's ".PT-MASK" comment then 32 hex digits: Pt-Mask( data, 8 x 8, its
//   grey read as dark grey.
std::optional<SpritePixels> readSpriteCodePixels(std::string_view text, std::string& reason,
                                                 bool& readAsCode);

// The pieces other readers of code share: a data directive (".db", "db",
// "defb", ".byte", any case), "equ" or ".equ", a comment that marks a mask
// row ("mask", any case), and one value as an assembler reads it (binary,
// hex or decimal in the forms above), with its binary digits when it is
// binary (else 0).
bool isDataDirective(std::string_view word);
bool isEquDirective(std::string_view word);
bool isMaskComment(std::string_view comment);
std::optional<std::uint64_t> codeValue(std::string_view token, int* binaryDigits = nullptr);

} // namespace quillox
