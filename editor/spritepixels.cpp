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

SpritePixels pixelsOfSprite(const SpriteGrid& grid, const CellInks& inks)
{
    SpritePixels pixels(grid.width(), grid.height());
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x) {
            const int index =
                SpriteGrid::indexOf(grid.rowPosition() + y, grid.columnPosition() + x);
            const Ink ink =
                resolvedInk(grid.colour(index), inks[static_cast<std::size_t>(index - 1)]);
            pixels.levels[pixels.at(x, y)] = greyLevelOf(ink);
            pixels.transparent[pixels.at(x, y)] = ink == Ink::Transparent;
        }
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

InkedSprite inkedSpriteOfPixels(const SpritePixels& pixels)
{
    InkedSprite sprite{spriteOfSize(pixels.width, pixels.height), {}};
    const SpriteGrid& grid = sprite.grid;
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x) {
            const std::size_t at = pixels.at(x, y);
            const Ink ink = inkOfLevel(pixels.levels[at], pixels.transparent[at] != 0);
            const int index =
                SpriteGrid::indexOf(grid.rowPosition() + y, grid.columnPosition() + x);
            sprite.grid.setColour(index, gridColourOf(ink));
            sprite.inks[static_cast<std::size_t>(index - 1)] = ink;
        }
    return sprite;
}

bool hasGrey(const SpritePixels& pixels)
{
    for (std::size_t at = 0; at < pixels.levels.size(); ++at)
        if (!pixels.transparent[at] && (pixels.levels[at] == 1 || pixels.levels[at] == 2))
            return true;
    return false;
}

bool hasTransparency(const SpritePixels& pixels)
{
    for (const unsigned char transparent : pixels.transparent)
        if (transparent)
            return true;
    return false;
}

} // namespace quillox
