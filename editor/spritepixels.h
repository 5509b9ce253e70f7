#pragma once

#include "editor/spritegrid.h"

#include <array>

namespace quillox
{

// A sprite as the byte code writers and the picture reader see it: each
// pixel's grey level, 0 white to 3 black, and whether it is transparent, row
// by row from the top left.
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

} // namespace quillox
