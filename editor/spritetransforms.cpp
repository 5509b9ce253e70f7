#include "editor/spritetransforms.h"

namespace quillox
{

bool canTransform(const SpriteGrid& grid, SpriteTransform transform)
{
    return transform != SpriteTransform::RotateClockwise || grid.width() == grid.height();
}

void transformSprite(SpriteGrid& grid, SpriteTransform transform)
{
    if (!canTransform(grid, transform))
        return;
    const int width = grid.width();
    const int height = grid.height();
    const int top = grid.rowPosition();
    const int left = grid.columnPosition();
    // Block coordinates from 0; each target cell names the cell it takes.
    auto source = [&](int row, int column) -> std::pair<int, int> {
        switch (transform) {
        case SpriteTransform::FlipHorizontal:
            return {row, width - 1 - column};
        case SpriteTransform::FlipVertical:
            return {height - 1 - row, column};
        case SpriteTransform::RotateClockwise:
            return {height - 1 - column, row};
        case SpriteTransform::ShiftLeft:
            return {row, (column + 1) % width};
        case SpriteTransform::ShiftRight:
            return {row, (column + width - 1) % width};
        case SpriteTransform::ShiftUp:
            return {(row + 1) % height, column};
        case SpriteTransform::ShiftDown:
            return {(row + height - 1) % height, column};
        }
        return {row, column};
    };
    const SpriteGrid before = grid;
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column) {
            const auto [fromRow, fromColumn] = source(row, column);
            grid.setColour(top + row, left + column,
                           before.colour(top + fromRow, left + fromColumn));
        }
}

} // namespace quillox
