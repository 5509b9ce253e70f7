#include "spriteimage.h"

#include "imagemodule.h"
#include "spriteformats.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPainter>

namespace quillox
{

std::optional<SpriteGrid> spriteFromImage(const std::string& data, std::string& reason)
{
    QBuffer buffer;
    buffer.setData(data.data(), static_cast<int>(data.size()));
    QImageReader reader(&buffer);
    // Checked before decoding, so that a huge picture is never unpacked.
    const QSize size = reader.size();
    if (!reader.canRead() || !size.isValid()) {
        reason = "it is neither a sprite file, nor sprite code, nor a picture";
        return std::nullopt;
    }
    if (size.width() > SpriteGrid::Side || size.height() > SpriteGrid::Side || size.isEmpty()) {
        reason = "the picture is " + std::to_string(size.width()) + " x " +
                 std::to_string(size.height()) + " pixels; a sprite is at most 15 x 15";
        return std::nullopt;
    }
    QImage image = reader.read();
    if (image.isNull()) {
        reason = "the picture cannot be decoded: " + reader.errorString().toStdString();
        return std::nullopt;
    }
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter(&flat).drawImage(0, 0, image);

    SpriteGrid grid = spriteOfSize(flat.width(), flat.height());
    for (int y = 0; y < flat.height(); ++y)
        for (int x = 0; x < flat.width(); ++x) {
            const Rgb rgb = flat.pixel(x, y) & 0xFFFFFF;
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
