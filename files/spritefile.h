#pragma once

#include "editor/spritegrid.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillox
{

// The one-line sprite file: height and width as two digits each ("01".."15"),
// one digit per cell of the active block in ascending cell index, CR LF.

// Only these leading characters of a sprite file can matter: 4 size digits and
// at most 225 cells. Readers take at most MaxSpriteFileRead bytes.
constexpr std::size_t MaxSpriteFileRead = 64 * 1024;

// The buffer text of the sprite file: sizes and cells, without the line end.
std::string spriteFileText(const SpriteGrid& grid);
// The bytes on disk: the buffer text followed by CR LF.
std::string spriteFileBytes(const std::string& bufferText);

// A size field: "01".."15" gives 1..15; anything else is unrecognised (0).
int spriteSizeField(std::string_view text, std::size_t offset);

// What the lenient reader takes from a buffer: each size 1..15, or 0 when its
// field is unrecognised. Cells are row by row, left to right, height * width
// of them, and only when both sizes are recognised: "0" is white, any other
// character and any position past the end is black.
struct SpriteFileContent {
    int height = 0;
    int width = 0;
    std::vector<Rgb> cells;
};

SpriteFileContent readSpriteFile(std::string_view text);

// What a load of `text` could not apply when a size field is not 01 to 15,
// such as: its height field "xx" is not 01 to 15; only the width was applied.
// Empty when both fields are sizes.
std::string unappliedSizes(std::string_view text);

// The strict reader: "01".."15" twice, height * width digits 0 or 1, then
// CR LF, a bare LF or nothing. Anything else is refused with a reason.
std::optional<SpriteGrid> parseSpriteFile(std::string_view bytes, std::string& reason);

} // namespace quillox
