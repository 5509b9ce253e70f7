#pragma once

#include "editor/spritegrid.h"
#include "editor/spritepixels.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace quillox
{

// A picture, or a sheet of them, is read up to this size; sprite files and
// code up to MaxSpriteFileRead.
constexpr std::size_t MaxPictureRead = 16 * 1024 * 1024;
// The widest and tallest picture or sheet read.
constexpr int MaxPictureSide = 4096;

// What to make of a picture. Without a tile size the whole picture is one
// sprite of at most 15 x 15 pixels (or, with `wholeWidth`, of any size up
// to a sheet's limits); with one, a sheet cut into tiles left to right, top
// to bottom.
struct PictureRequest {
    int tileWidth = 0;
    int tileHeight = 0;
    long long maxTiles = -1; // -1: every tile
    // 2: a pixel is set when it is opaque (alpha at least 128) and its
    // luminance (299 R + 587 G + 114 B) / 1000 is below `threshold`; 3 or 4:
    // grey levels from the luminance. Transparent pixels are always clear.
    int shades = 2;
    int threshold = 128;
    // A picture whose opaque pixels are all grey (R = G = B) of at most four
    // values is read by the levels of 4 shades, whatever `shades` says: so
    // the grey pictures the editor saves open as they were drawn.
    bool greyPicturesInLevels = false;
    // Transparency is marked for masks: alpha below 128, or exactly the mask
    // colour when one is given.
    bool mask = false;
    std::optional<Rgb> maskColour;
    // A single picture larger than 15 x 15 gives the box of its set pixels
    // when that box fits; `cropped` hears what was taken.
    bool cropToDrawn = false;
    // A single picture up to this size is taken whole (any size up to
    // MaxPictureSide for the byte outputs, a calculator's screen for a Pic);
    // 0 keeps a sprite's 15 x 15.
    int wholeWidth = 0;
    int wholeHeight = 0;
    std::function<void(const std::string& note)> cropped;
};

// Takes each tile as it is cut; false stops the cutting.
using TileSink = std::function<bool(const SpritePixels&)>;

// Reads a picture in any format Qt reads and hands its sprite, or each tile
// of a sheet, to `sink`. False with the reason when the bytes are no picture
// or do not fit the request.
bool tilesOfPicture(const std::string& data, const PictureRequest& request, const TileSink& sink,
                    std::string& reason);

// The luminance of a colour, 0 black to 255 white.
int luminance(Rgb rgb);

// The sprite as a PNG picture, one pixel per cell, black on white.
std::string pngOfSprite(const SpriteGrid& grid);
// Pixels of any size as a PNG picture: those of level 0 white, the others black.
std::string pngOfPixels(const SpritePixels& pixels);
// Pixels with their grey levels and transparency as a PNG picture: black
// 000000, dark grey 555555, light grey AAAAAA, white FFFFFF, transparent
// with alpha 0. A picture read with greyPicturesInLevels and a mask gives
// the same pixels back.
std::string pngOfGreyPixels(const SpritePixels& pixels);

} // namespace quillox
