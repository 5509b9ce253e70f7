#pragma once

#include "editor/spritepixels.h"
#include "files/picture.h"

#include <string>

namespace quillox
{

// A picture already in pixels (a calculator's Pic) as the picture reader
// hands a decoded one on: whole, cut into the request's tiles, or, when it is
// larger than a sprite and the request crops, the box of its drawn pixels
// (`request.cropped` hears what was taken). False with the reason, worded
// as the picture reader words it, when the pixels do not fit the request.
// Plain C++.
bool tilesOfPixels(const SpritePixels& picture, const PictureRequest& request, const TileSink& sink,
                   std::string& reason);

} // namespace quillox
