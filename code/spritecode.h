#pragma once

#include "editor/spritegrid.h"

#include <optional>
#include <string>
#include <string_view>

namespace quillox
{

// The sprite code: one "\t.db\t%" line per row of the active block, one digit
// per pixel ("0" exactly white, "1" otherwise), CR LF between lines and
// nothing after the last one.
inline constexpr char SpriteCodeLinePrefix[] = "\t.db\t%";

// Appends the code of the block rows rowPosition..15, columns
// columnPosition..15 to `out`, digit by digit, so that a failure part way
// leaves the text written so far.
void appendSpriteCode(std::string& out, int columnPosition, int rowPosition,
                      const std::array<Rgb, SpriteGrid::CellCount>& colours);

std::string spriteCode(int columnPosition, int rowPosition,
                       const std::array<Rgb, SpriteGrid::CellCount>& colours);
std::string spriteCode(const SpriteGrid& grid);

// The bytes of a saved code file: the code text and one CR LF.
std::string codeFileBytes(const std::string& codeText);

// The strict reader of the same text: 1 to 15 lines of TAB ".db" TAB "%" and
// 1 to 15 digits, all of one width, lines ended by CR LF or LF. Anything else
// is refused with a reason, never guessed at.
std::optional<SpriteGrid> parseSpriteCode(std::string_view text, std::string& reason);

// Whether the text is in that form: every line TAB ".db" TAB "%" and one
// count of 1 to 15 digits 0 or 1, lines ended by CR LF or LF, the last line
// end optional. Only such text holds one digit a pixel; in other code a
// binary value of up to 8 digits is a byte.
bool isEditorCodeForm(std::string_view text);

// H * (6 + W) + 2 * (H - 1)
constexpr std::size_t spriteCodeLength(int width, int height)
{
    return static_cast<std::size_t>(height * (6 + width) + 2 * (height - 1));
}

} // namespace quillox
