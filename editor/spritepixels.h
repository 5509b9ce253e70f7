#pragma once

#include "editor/spritegrid.h"
#include "editor/spriteinks.h"

#include <cstddef>
#include <vector>

namespace quillox
{

// A sprite of any size as the byte code writers and the picture reader see
// it: each pixel's grey level, 0 white to 3 black, and whether it is
// transparent, row by row from the top left.
struct SpritePixels {
    SpritePixels() = default;
    SpritePixels(int width, int height)
        : width(width), height(height), levels(std::size_t(width) * std::size_t(height)),
          transparent(levels.size())
    {
    }

    int width = 0;
    int height = 0;
    std::vector<unsigned char> levels;
    std::vector<unsigned char> transparent; // 0 or 1

    std::size_t at(int x, int y) const
    {
        return std::size_t(y) * std::size_t(width) + std::size_t(x);
    }
};

// Clear cells are white (level 0), the others black (3); none transparent.
SpritePixels pixelsOfSprite(const SpriteGrid& grid);
// The active block with each cell's ink: its grey level, or transparent.
SpritePixels pixelsOfSprite(const SpriteGrid& grid, const CellInks& inks);
// White pixels are clear, all others set.
SpriteGrid spriteOfPixels(const SpritePixels& pixels);

// A sprite with its inks, as an input gives it: the grid in its two colours,
// every cell outside the block white.
struct InkedSprite {
    SpriteGrid grid;
    CellInks inks{};
};
InkedSprite inkedSpriteOfPixels(const SpritePixels& pixels);

// Whether any pixel is grey, or transparent.
bool hasGrey(const SpritePixels& pixels);
bool hasTransparency(const SpritePixels& pixels);

} // namespace quillox
