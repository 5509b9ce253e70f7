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
// of bytePlanesOf (header, rows) on its own line, mask rows ending with
// " /* mask */", then "};". A grey sprite's
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

// Axe's Pt-Mask( data of an 8 x 8 sprite: the comment line ".PT-MASK", then
// "[...]" of 16 bytes, the 8 rows of layer 1 and the 8 of layer 2, where
// each pixel's bits (layer 1, layer 2) are 00 transparent, 01 white, 10 grey
// (dark or light), 11 black; "→NAME" after it when `name` is not empty.
constexpr int PtMaskSide = 8;
void appendPtMaskData(std::string& out, const SpritePixels& pixels, std::string_view name);
bool isPtMaskSize(const SpritePixels& pixels);

// The same for a sprite with inks, in the style for its pixels
// (styleForPixels): an 8 x 8 sprite with a grey or transparent pixel as
// Pt-Mask( data, any other as the planes and the mask one after another.
std::string axeDataOf(const SpritePixels& pixels, const ByteStyle& style);
std::string cArrayOf(const SpritePixels& pixels, const ByteStyle& style,
                     std::string_view name = "sprite");

} // namespace quillox
