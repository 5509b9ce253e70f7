#pragma once

#include "code/bytecode.h"
#include "editor/spritegrid.h"
#include "editor/spritepixels.h"

#include <string>
#include <string_view>

namespace quillox
{

// The bytes of spriteBytes for the other TI-83 toolchains: the same bytes in
// the same order (header, sprite and mask rows, grey planes), as Axe Parser
// data, a line of hex digits or C arrays. Every line ends with CR LF.

// "[3C4281A581A5423C]", the hex digits in upper case, then "→NAME" (UTF-8)
// when `name` is not empty: one line per sprite.
void appendAxeData(std::string& out, const SpritePixels& pixels, const ByteStyle& style,
                   std::string_view name);

// "3C4281A581A5423C": the hex digits in upper case, one line per sprite.
void appendHexLine(std::string& out, const SpritePixels& pixels, const ByteStyle& style);

// One array per plane, "const unsigned char NAME[] = {" then each byte line
// of bytePlanesOf (header, rows) on its own line, then "};". A grey sprite's
// planes are NAME_dark and NAME_light. Each name is made a C name by
// cIdentifierOf, so a valid NAME is kept as it is.
void appendCArrays(std::string& out, const SpritePixels& pixels, const ByteStyle& style,
                   const std::string& name);

// "#define NAME_HEIGHT 8" and "#define NAME_WIDTH 1" (bytes per row).
void appendCSizeDefines(std::string& out, const std::string& name, int width, int height);

// What the converter writes for the editor's active block with default
// options: Axe's data line ending with one CR LF ("Copy as Axe Hex"), and the
// C array named `name` ending with one CR LF ("Copy as C Array").
std::string axeDataOf(const SpriteGrid& grid);
std::string cArrayOf(const SpriteGrid& grid, std::string_view name = "sprite");

} // namespace quillox
