#pragma once

#include "spritegrid.h"

#include <optional>
#include <string>

namespace quillox
{

// A picture of at most 15 x 15 pixels as a sprite: a pixel of exactly white
// colour is clear, every other colour set, whatever its alpha.
std::optional<SpriteGrid> spriteFromImage(const std::string& data, std::string& reason);

// The sprite as a PNG picture, one pixel per cell, black on white.
std::string pngOfSprite(const SpriteGrid& grid);

} // namespace quillox
