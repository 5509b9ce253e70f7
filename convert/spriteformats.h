#pragma once

#include "spritegrid.h"

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

// Code an assembler reads as the picture: each row padded on the right to
// whole bytes, the leftmost pixel in bit 7, the bytes of a row joined by ",".
// CR LF between lines, nothing after the last.
std::string spriteByteCode(const SpriteGrid& grid);

// The same layout with the bytes written as "%10100000", "$A0" or "160".
enum class ByteRadix { Binary, Hex, Decimal };
std::string spriteByteCode(const SpriteGrid& grid, ByteRadix radix);

// A label made from a file name: its base name without the extension, with
// every character an assembler would refuse turned into "_", and a "_" in
// front of a leading digit or of a register name ("a.spr" gives "_a").
std::string labelForFile(std::string_view path);
bool isAssemblerIdentifier(std::string_view name);

} // namespace quillox
