#include "files/pixeltiles.h"

#include "editor/spritegrid.h"

#include <algorithm>

namespace quillox
{

namespace
{

std::string sizeText(int width, int height)
{
    return std::to_string(width) + " x " + std::to_string(height);
}

SpritePixels part(const SpritePixels& picture, int left, int top, int width, int height)
{
    SpritePixels out(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            out.levels[out.at(x, y)] = picture.levels[picture.at(left + x, top + y)];
            out.transparent[out.at(x, y)] = picture.transparent[picture.at(left + x, top + y)];
        }
    return out;
}

} // namespace

bool tilesOfPixels(const SpritePixels& picture, const PictureRequest& request, const TileSink& sink,
                   std::string& reason)
{
    const std::string size =
        "the picture is " + sizeText(picture.width, picture.height) + " pixels";
    const bool fits = picture.width <= SpriteGrid::Side && picture.height <= SpriteGrid::Side;
    if (request.tileWidth != 0) {
        if (picture.width % request.tileWidth != 0 || picture.height % request.tileHeight != 0) {
            reason = size + ", not a whole number of " +
                     sizeText(request.tileWidth, request.tileHeight) + " tiles";
            return false;
        }
        long long count = 0;
        for (int top = 0; top < picture.height; top += request.tileHeight)
            for (int left = 0; left < picture.width; left += request.tileWidth) {
                if (request.maxTiles >= 0 && count++ >= request.maxTiles)
                    return true;
                if (!sink(part(picture, left, top, request.tileWidth, request.tileHeight)))
                    return true;
            }
        return true;
    }
    if (fits || !request.cropToDrawn) {
        sink(picture);
        return true;
    }
    int left = picture.width, top = picture.height, right = -1, bottom = -1;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            if (picture.levels[picture.at(x, y)] != 0) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    if (right < 0) {
        reason = size + " with nothing drawn; a sprite is at most 15 x 15";
        return false;
    }
    const int width = right - left + 1, height = bottom - top + 1;
    if (width > SpriteGrid::Side || height > SpriteGrid::Side) {
        reason = size + " and its drawn pixels span " + sizeText(width, height) +
                 "; a sprite is at most 15 x 15";
        return false;
    }
    if (request.cropped)
        request.cropped(size + "; took the " + sizeText(width, height) + " pixels drawn at " +
                        std::to_string(left) + "," + std::to_string(top));
    sink(part(picture, left, top, width, height));
    return true;
}

} // namespace quillox
