#pragma once

#include "spritegrid.h"

#include <cstddef>
#include <optional>
#include <string>

namespace quillox
{

// Pictures are read and written by a module of their own, loaded only when a
// picture is met: linking Qt Gui into the converter would double the start-up
// time of every call, and a build runs it once per sprite.
struct ImageCodec {
    std::optional<SpriteGrid> (*spriteFromImage)(const std::string& data, std::string& reason);
    std::string (*pngOfSprite)(const SpriteGrid& grid);
};

// The module's entry point.
extern "C" const ImageCodec* quilloxImageCodec();

// Loads the module once, from the converter's own folder or its installed
// place; null with the reason when it cannot be loaded.
const ImageCodec* loadImageCodec(std::string& reason);

} // namespace quillox
