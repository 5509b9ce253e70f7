#include "files/inputreader.h"

#include "code/codereader.h"
#include "code/spritecode.h"
#include "files/calculatorfile.h"
#include "files/pixeltiles.h"
#include "files/spritefile.h"

namespace quillox
{

namespace
{

// Sprite files and code: one sprite of at most 15 x 15.
bool readSprite(InputKind kind, std::string_view bytes, const TileSink& sink, std::string& reason)
{
    if (bytes.size() > MaxSpriteFileRead) {
        reason = "it is larger than 64 KiB";
        return false;
    }
    if (kind == InputKind::Code) {
        bool readAsCode = false;
        const std::optional<SpritePixels> pixels = readSpriteCodePixels(bytes, reason, readAsCode);
        return pixels && sink(*pixels);
    }
    const std::optional<SpriteGrid> grid = kind == InputKind::SpriteFile
                                               ? parseSpriteFile(bytes, reason)
                                               : parseSpriteCode(bytes, reason);
    return grid && sink(pixelsOfSprite(*grid));
}

} // namespace

InputReading readInput(std::string_view name, const std::string& bytes, const InputRequest& request,
                       const TileSink& sink)
{
    InputReading reading;
    reading.kind = kindOfInput(name, bytes);
    if (request.refuseKind)
        if (std::optional<std::string> refusal = request.refuseKind(reading.kind)) {
            reading.reason = std::move(*refusal);
            return reading;
        }
    switch (reading.kind) {
    case InputKind::SpriteFile:
        if (request.takeSpriteFile) {
            request.takeSpriteFile(std::string_view(bytes).substr(0, MaxSpriteFileRead));
            reading.read = true;
            return reading;
        }
        [[fallthrough]];
    case InputKind::EditorCode:
    case InputKind::Code:
        reading.read = readSprite(reading.kind, bytes, sink, reading.reason);
        return reading;
    case InputKind::SpriteSet: {
        const SpriteSet set = SpriteSet::read(bytes);
        if (request.takeSpriteSet)
            reading.read = request.takeSpriteSet(set, reading.reason);
        else
            reading.reason = spriteSetRefusal(set.size());
        return reading;
    }
    case InputKind::CalculatorFile: {
        const std::optional<SpritePixels> picture = readPicFile(bytes, reading.reason);
        reading.read = picture && tilesOfPixels(*picture, request.picture, sink, reading.reason);
        return reading;
    }
    case InputKind::Picture:
        break;
    }
    if (!request.readPicture) {
        reading.reason = "it is neither a sprite file nor sprite code";
        return reading;
    }
    reading.read = request.readPicture(bytes, request.picture, sink, reading.reason);
    return reading;
}

} // namespace quillox
