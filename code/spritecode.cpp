#include "code/spritecode.h"

#include <stdexcept>

namespace quillox
{

void appendSpriteCode(std::string& out, int columnPosition, int rowPosition,
                      const std::array<Rgb, SpriteGrid::CellCount>& colours)
{
    if (!SpriteGrid::isValidPosition(columnPosition) || !SpriteGrid::isValidPosition(rowPosition))
        throw std::out_of_range("slider position outside 1..15");
    const int width = SpriteGrid::Side + 1 - columnPosition;
    const int height = SpriteGrid::Side + 1 - rowPosition;
    out.reserve(out.size() + spriteCodeLength(width, height));
    out += SpriteCodeLinePrefix;
    for (int row = rowPosition; row <= SpriteGrid::Side; ++row) {
        const int first = SpriteGrid::indexOf(row, columnPosition) - 1;
        for (int i = first; i < first + width; ++i)
            out += colours[static_cast<std::size_t>(i)] == White ? '0' : '1';
        if (row < SpriteGrid::Side) {
            out += "\r\n";
            out += SpriteCodeLinePrefix;
        }
    }
}

std::string spriteCode(int columnPosition, int rowPosition,
                       const std::array<Rgb, SpriteGrid::CellCount>& colours)
{
    std::string text;
    appendSpriteCode(text, columnPosition, rowPosition, colours);
    return text;
}

std::string spriteCode(const SpriteGrid& grid)
{
    return spriteCode(grid.columnPosition(), grid.rowPosition(), grid.colours());
}

std::string codeFileBytes(const std::string& codeText)
{
    return codeText + "\r\n";
}

} // namespace quillox
