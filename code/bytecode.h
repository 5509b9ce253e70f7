#pragma once

#include "editor/spritegrid.h"
#include "editor/spritepixels.h"

#include <string>
#include <vector>

namespace quillox
{

// "%10100000", "$A0", "0xA0" (as SDCC's sdasz80 takes hex) or "160".
enum class ByteRadix { Binary, Hex, HexC, Decimal };
enum class MaskOrder { None, Before, After, Interleaved };
enum class MaskPolarity { And, Or };
// What a header line holds: the height and the bytes per row (assembler
// routines, hex and AppVars), or the width in pixels and the height (z88dk's
// sprite functions, Axe's Bitmap()). Each is one byte.
enum class HeaderKind { HeightAndBytesPerRow, WidthAndHeight };

// How byte code is written. With grey levels (3 or 4 shades) each sprite is
// two planes, the dark one first: dark grey and black set the dark plane,
// light grey and black the light one (3 shades: grey sets the dark plane).
struct ByteStyle {
    ByteRadix radix = ByteRadix::Binary;
    std::string directive = ".db";
    bool header = false;
    HeaderKind headerKind = HeaderKind::HeightAndBytesPerRow;
    MaskOrder maskOrder = MaskOrder::None;
    MaskPolarity maskPolarity = MaskPolarity::And;
    int shades = 2;
};

// The bytes of one sprite as its code lines hold them, plane by plane (one,
// or the dark and the light one of grey levels): each plane's header line
// (height, bytes per row) when the style asks for it, then the rows of the
// sprite and its mask in the style's order. Rows are padded on the right to
// whole bytes, the leftmost pixel in bit 7; transparent pixels and padding
// are clear in the sprite and in an OR mask, set in an AND mask.
struct BytePlane {
    const char* labelSuffix; // "", "_dark" or "_light"
    std::vector<std::vector<unsigned char>> lines;
    std::vector<bool> maskLines; // which lines are mask rows
};
std::vector<BytePlane> bytePlanesOf(const SpritePixels& pixels, const ByteStyle& style);

// Why the sprite's header cannot hold its size (a value over 255), or "";
// the byte writers take only sprites whose header fits.
std::string headerProblem(const SpritePixels& pixels, const ByteStyle& style);

// Every byte of the sprite in order, as an assembler assembles its code.
std::vector<unsigned char> spriteBytes(const SpritePixels& pixels, const ByteStyle& style);

// Appends each plane of the sprite: its label ("LABEL:", with "_dark" and
// "_light" for grey planes) unless `label` is empty, the header line (height,
// bytes per row), then the rows of the sprite and its mask. Rows are padded on
// the right to whole bytes, the leftmost pixel in bit 7; transparent pixels
// and padding are clear in the sprite and in an OR mask, set in an AND mask.
// Each mask row ends with " ; mask", which tells it from the sprite's rows
// in any order. Every line ends with CR LF.
void appendByteCode(std::string& out, const SpritePixels& pixels, const ByteStyle& style,
                    const std::string& label);

// "NAME_HEIGHT .equ 8" and "NAME_WIDTH .equ 1" (bytes per row), or
// "NAME_HEIGHT: equ 8" for the directives without a dot.
void appendSizeConstants(std::string& out, const std::string& name, int width, int height,
                         const std::string& directive);

// The active block's rows as an assembler reads them, as appendByteCode
// writes a sprite without a label: every line ends with CR LF, so that a
// line pasted after them starts on its own.
std::string spriteByteCode(const SpriteGrid& grid, const ByteStyle& style = {});

// The style that writes these pixels whole: two grey planes when a pixel is
// grey, the mask (in the order and polarity of `style`, Before when it has
// none) when one is transparent; else `style` as it is.
ByteStyle styleForPixels(const SpritePixels& pixels, ByteStyle style);

// The editor's byte copies and saves: the active block's pixels in the style
// for them, grey planes under "LABEL_dark:" and "LABEL_light:" (`label`, or
// "sprite" when it is empty), plain rows under `label` as given.
std::string inkedByteCode(const SpritePixels& pixels, const ByteStyle& style,
                          const std::string& label);

} // namespace quillox
