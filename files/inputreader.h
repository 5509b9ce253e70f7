#pragma once

#include "editor/spritepixels.h"
#include "files/inputkind.h"
#include "files/picture.h"
#include "files/spriteset.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quillox
{

// Reads a picture in any format it knows and hands its sprite, or each tile
// of a sheet, to the sink; false with the reason. Each program hands in its
// own: the editor Qt's, the converter its picture module, so that this
// library needs no Qt.
using PictureReader = std::function<bool(const std::string& data, const PictureRequest& request,
                                         const TileSink& sink, std::string& reason)>;

struct InputRequest {
    // What to make of a picture or a calculator's Pic.
    PictureRequest picture;
    // Without one, a picture is refused.
    PictureReader readPicture;
    // Takes a sprite file's text (at most MaxSpriteFileRead bytes) as it is,
    // for a load that reads damaged files too; without it a sprite file is
    // read strictly and its sprite handed to the sink.
    std::function<void(std::string_view text)> takeSpriteFile;
    // Takes a set of sprites (InputKind::SpriteSet); false with the reason.
    // Without it a set is refused, naming how many sprites it holds.
    std::function<bool(const SpriteSet& set, std::string& reason)> takeSpriteSet;
    // The caller's refusal of a kind before it is read (such as a mask asked
    // of an input that has no transparency), in its own words, or nothing.
    std::function<std::optional<std::string>(InputKind kind)> refuseKind;
};

// What reading an input gave: the kind it was read as, and whether it was
// read with every sprite taken by the sink, else the reason (empty when the
// sink refused).
struct InputReading {
    InputKind kind = InputKind::Picture;
    bool read = false;
    std::string reason;
};

// The one way in for both programs: tells the input's kind once
// (kindOfInput) and calls the one reader of that kind. Sprite files and code
// give one sprite; pictures and calculator Pics one sprite or a sheet's
// tiles, as the request says.
InputReading readInput(std::string_view name, const std::string& bytes, const InputRequest& request,
                       const TileSink& sink);

} // namespace quillox
