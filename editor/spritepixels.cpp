#include "editor/spritepixels.h"

namespace quillox
{

SpritePixels pixelsOfSprite(const SpriteGrid& grid)
{
    SpritePixels pixels(grid.width(), grid.height());
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x)
            pixels.levels[pixels.at(x, y)] =
                grid.isClear(SpriteGrid::indexOf(grid.rowPosition() + y, grid.columnPosition() + x))
                    ? 0
                    : 3;
    return pixels;
}

SpriteGrid spriteOfPixels(const SpritePixels& pixels)
{
    SpriteGrid grid = spriteOfSize(pixels.width, pixels.height);
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x)
            grid.setColour(grid.rowPosition() + y, grid.columnPosition() + x,
                           pixels.levels[pixels.at(x, y)] == 0 ? White : Black);
    return grid;
}

} // namespace quillox
