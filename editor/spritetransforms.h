#pragma once

#include "editor/spritegrid.h"
#include "editor/spriteinks.h"

namespace quillox
{

// Whole-sprite moves of the active block. Hidden cells keep their colours.
enum class SpriteTransform {
    FlipHorizontal,
    FlipVertical,
    RotateClockwise, // square sprites only
    ShiftLeft,       // the shifts wrap around the block's edges
    ShiftRight,
    ShiftUp,
    ShiftDown,
};

bool canTransform(const SpriteGrid& grid, SpriteTransform transform);

// Moves the active block's colours; does nothing when canTransform() is false.
void transformSprite(SpriteGrid& grid, SpriteTransform transform);
// The same, carrying each cell's ink with its colour.
void transformSprite(SpriteGrid& grid, CellInks& inks, SpriteTransform transform);

} // namespace quillox
