#pragma once

#include "files/picture.h"

#include <string>

namespace quillox
{

// Pictures are read and written by a module of their own, loaded only when a
// picture is met: linking Qt Gui into the converter would double the start-up
// time of every call, and a build runs it once per sprite.
struct ImageCodec {
    // False with the reason when the bytes are no picture or do not fit.
    bool (*tilesOfPicture)(const std::string& data, const PictureRequest& request,
                           const TileSink& sink, std::string& reason);
    std::string (*pngOfSprite)(const SpriteGrid& grid);
    std::string (*pngOfPixels)(const SpritePixels& pixels);
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
