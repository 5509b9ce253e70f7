#include "editor/spritetransforms.h"

namespace quillox
{

bool canTransform(const SpriteGrid& grid, SpriteTransform transform)
{
    return transform != SpriteTransform::RotateClockwise || grid.width() == grid.height();
}

namespace
{

// Moves the block's cells: `move(to, from)` takes each target cell's content
// from its source cell, as both were before the move.
template <typename Move>
void moveCells(const SpriteGrid& grid, SpriteTransform transform, Move move)
{
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
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column) {
            const auto [fromRow, fromColumn] = source(row, column);
            move(SpriteGrid::indexOf(top + row, left + column),
                 SpriteGrid::indexOf(top + fromRow, left + fromColumn));
        }
}

} // namespace

void transformSprite(SpriteGrid& grid, SpriteTransform transform)
{
    if (!canTransform(grid, transform))
        return;
    const SpriteGrid before = grid;
    moveCells(before, transform,
              [&](int to, int from) { grid.setColour(to, before.colour(from)); });
}

void transformSprite(SpriteGrid& grid, CellInks& inks, SpriteTransform transform)
{
    if (!canTransform(grid, transform))
        return;
    const SpriteGrid before = grid;
    const CellInks inksBefore = inks;
    moveCells(before, transform, [&](int to, int from) {
        grid.setColour(to, before.colour(from));
        inks[std::size_t(to - 1)] = inksBefore[std::size_t(from - 1)];
    });
}

} // namespace quillox
