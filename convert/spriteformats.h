#pragma once

#include "editor/spritegrid.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace quillox
{

// The converter's readers are strict: input that is not exactly a sprite is
// refused with a reason, never guessed at.

// An empty sprite of the given size (1..15 each), its block shown.
SpriteGrid spriteOfSize(int width, int height);

// A sprite file: "01".."15" twice, height * width digits 0 or 1, then CR LF,
// a bare LF or nothing.
std::optional<SpriteGrid> parseSpriteFile(std::string_view bytes, std::string& reason);

// Code text as the editor writes it: 1 to 15 lines of TAB ".db" TAB "%" and
// 1 to 15 digits, all of one width, lines ended by CR LF or LF.
std::optional<SpriteGrid> parseSpriteCode(std::string_view text, std::string& reason);

// A sprite as the byte code writers take it: each pixel's grey level, 0 white
// to 3 black, and whether it is transparent, row by row from the top left.
struct SpritePixels {
    int width = 0;
    int height = 0;
    std::array<unsigned char, SpriteGrid::CellCount> levels{};
    std::array<bool, SpriteGrid::CellCount> transparent{};

    int at(int x, int y) const { return y * width + x; }
};

// Clear cells are white (level 0), the others black (3); none transparent.
SpritePixels pixelsOfSprite(const SpriteGrid& grid);
// White pixels are clear, all others set.
SpriteGrid spriteOfPixels(const SpritePixels& pixels);

enum class ByteRadix { Binary, Hex, Decimal };
enum class MaskOrder { None, Before, After, Interleaved };
enum class MaskPolarity { And, Or };

// How byte code is written. With grey levels (3 or 4 shades) each sprite is
// two planes, the dark one first: dark grey and black set the dark plane,
// light grey and black the light one (3 shades: grey sets the dark plane).
struct ByteStyle {
    ByteRadix radix = ByteRadix::Binary;
    std::string directive = ".db";
    bool header = false;
    MaskOrder maskOrder = MaskOrder::None;
    MaskPolarity maskPolarity = MaskPolarity::And;
    int shades = 2;
};

// Appends each plane of the sprite: its label ("LABEL:", with "_dark" and
// "_light" for grey planes) unless `label` is empty, the header line (height,
// bytes per row), then the rows of the sprite and its mask. Rows are padded on
// the right to whole bytes, the leftmost pixel in bit 7; transparent pixels
// and padding are clear in the sprite and in an OR mask, set in an AND mask.
// Every line ends with CR LF.
void appendByteCode(std::string& out, const SpritePixels& pixels, const ByteStyle& style,
                    const std::string& label);

// "NAME_HEIGHT .equ 8" and "NAME_WIDTH .equ 1" (bytes per row), or
// "NAME_HEIGHT: equ 8" for the directives without a dot.
void appendSizeConstants(std::string& out, const std::string& name, int width, int height,
                         const std::string& directive);

// Binary rows as an assembler reads the picture, the first line of each
// appendByteCode sprite without a label: CR LF between lines, nothing after
// the last.
std::string spriteByteCode(const SpriteGrid& grid);
// The same with the bytes written as "%10100000", "$A0" or "160".
std::string spriteByteCode(const SpriteGrid& grid, ByteRadix radix);

// A label made from a file name: its base name without the extension, with
// every character an assembler would refuse turned into "_", and a "_" in
// front of a leading digit or of a register name ("a.spr" gives "_a").
std::string labelForFile(std::string_view path);

// What ends a folder's name in a path: Windows takes "\\" and a drive's ":" too.
#ifdef _WIN32
inline constexpr char FolderSeparators[] = "/\\:";
#else
inline constexpr char FolderSeparators[] = "/";
#endif

bool isAssemblerIdentifier(std::string_view name);

} // namespace quillox
