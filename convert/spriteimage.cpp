#include "spriteimage.h"

#include "imagemodule.h"
#include "spriteformats.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

namespace quillox
{

namespace
{

// Formats that cannot tell their size before decoding are decoded under this
// bound, so that a picture claiming to be huge is never unpacked.
constexpr int DecodeLimitMiB = 1;

bool fitsSprite(QSize size)
{
    return !size.isEmpty() && size.width() <= SpriteGrid::Side && size.height() <= SpriteGrid::Side;
}

std::string sizeReason(QSize size)
{
    return "the picture is " + std::to_string(size.width()) + " x " +
           std::to_string(size.height()) + " pixels; a sprite is at most 15 x 15";
}

} // namespace

std::optional<SpriteGrid> spriteFromImage(const std::string& data, std::string& reason)
{
    QBuffer buffer;
    buffer.setData(data.data(), static_cast<int>(data.size()));
    QImageReader reader(&buffer);
    if (!reader.canRead()) {
        reason = "it is neither a sprite file, nor sprite code, nor a picture";
        return std::nullopt;
    }
    const QSize size = reader.size();
    if (size.isValid() && !fitsSprite(size)) {
        reason = sizeReason(size);
        return std::nullopt;
    }
    reader.setAllocationLimit(DecodeLimitMiB);
    const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32);
    if (image.isNull()) {
        reason = "the picture cannot be decoded: " + reader.errorString().toStdString();
        return std::nullopt;
    }
    if (!fitsSprite(image.size())) {
        reason = sizeReason(image.size());
        return std::nullopt;
    }
    // Alpha is ignored: only the colour decides, as in the editor's grid.
    SpriteGrid grid = spriteOfSize(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const Rgb rgb = image.pixel(x, y) & 0xFFFFFF;
            grid.setColour(grid.rowPosition() + y, grid.columnPosition() + x,
                           rgb == White ? White : Black);
        }
    return grid;
}

std::string pngOfSprite(const SpriteGrid& grid)
{
    QImage image(grid.width(), grid.height(), QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    for (int y = 0; y < grid.height(); ++y)
        for (int x = 0; x < grid.width(); ++x)
            image.setPixel(
                x, y,
                grid.isClear(SpriteGrid::indexOf(grid.rowPosition() + y, grid.columnPosition() + x))
                    ? 0
                    : 1);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png.toStdString();
}

extern "C" const ImageCodec* quilloxImageCodec()
{
    static const ImageCodec codec{spriteFromImage, pngOfSprite};
    return &codec;
}

} // namespace quillox
