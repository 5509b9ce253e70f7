#pragma once

#include "convert/spriteformats.h"

#include <functional>
#include <optional>
#include <string>

namespace quillox
{

// What to make of a picture. Without a tile size the whole picture is one
// sprite of at most 15 x 15 pixels; with one, a sheet cut into tiles left to
// right, top to bottom.
struct PictureRequest {
    int tileWidth = 0;
    int tileHeight = 0;
    long long maxTiles = -1; // -1: every tile
    // 2: exactly white is clear and every other colour set; 3 or 4: grey
    // levels from the luminance.
    int shades = 2;
    // Transparency is read only for masks: alpha below 128, or exactly the
    // mask colour when one is given.
    bool mask = false;
    std::optional<Rgb> maskColour;
};

// Takes each tile as it is cut; false stops the cutting.
using TileSink = std::function<bool(const SpritePixels&)>;

// Pictures are read and written by a module of their own, loaded only when a
// picture is met: linking Qt Gui into the converter would double the start-up
// time of every call, and a build runs it once per sprite.
struct ImageCodec {
    // False with the reason when the bytes are no picture or do not fit.
    bool (*tilesOfPicture)(const std::string& data, const PictureRequest& request,
                           const TileSink& sink, std::string& reason);
    std::string (*pngOfSprite)(const SpriteGrid& grid);
};

// The module's entry point.
extern "C" const ImageCodec* quilloxImageCodec();

// Loads the module once, from the converter's own folder or its installed
// place; null with the reason when it cannot be loaded.
const ImageCodec* loadImageCodec(std::string& reason);

// Loads the module through the system's calls, each time it is called
// (imagemodule_posix.cpp, imagemodule_windows.cpp).
const ImageCodec* openImageModule(std::string& reason);

} // namespace quillox
