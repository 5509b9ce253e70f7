#pragma once

#include "editor/spritegrid.h"

#include <optional>
#include <string>
#include <string_view>

namespace quillox
{

// Reads sprite code as programs hold it, so that it can be brought back into
// the grid. One data line per row: ".db", "db", "defb" or ".byte" (any case)
// followed by values; labels, blank lines and ";" comments are skipped.
//
// - The editor's own form: every row one binary value ("%0110") with the same
//   number of digits, 1 to 15; that number is the width.
// - Byte forms: every row the same number of bytes, in binary ("%10100000",
//   "10100000b"), hex ("$A0", "0A0h", "0xA0") or decimal, the leftmost pixel
//   in bit 7 of the first byte. The width is the narrowest that holds every
//   set pixel, never fewer than 8 columns.
//
// The result is the sprite in the bottom-right block of an otherwise white
// grid. Text that cannot be a sprite of at most 15 x 15 gives the reason.
std::optional<SpriteGrid> readSpriteCodeText(std::string_view text, std::string& reason);

} // namespace quillox
