#pragma once

#include "convert/imagemodule.h"

namespace quillox
{

// The picture module's functions (see ImageCodec).
bool tilesOfPicture(const std::string& data, const PictureRequest& request, const TileSink& sink,
                    std::string& reason);

// The sprite as a PNG picture, one pixel per cell, black on white.
std::string pngOfSprite(const SpriteGrid& grid);

} // namespace quillox
