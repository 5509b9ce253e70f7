#include "files/picture.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

namespace quillox
{

namespace
{

// Formats that cannot tell their size before decoding are decoded under these
// bounds, so that a picture claiming to be huge is never unpacked.
constexpr int SpriteDecodeLimitMiB = 1;
constexpr int SheetDecodeLimitMiB = 128;
constexpr int MaxSheetSide = 4096;

std::string sizeText(QSize size)
{
    return std::to_string(size.width()) + " x " + std::to_string(size.height());
}

// Why a picture of this size cannot give the tiles asked for, or "".
std::string sizeProblem(QSize size, const PictureRequest& request)
{
    const std::string picture = "the picture is " + sizeText(size) + " pixels";
    if (request.tileWidth == 0) {
        if (size.isEmpty() || size.width() > SpriteGrid::Side || size.height() > SpriteGrid::Side)
            return picture + "; a sprite is at most 15 x 15";
        return "";
    }
    if (size.isEmpty() || size.width() > MaxSheetSide || size.height() > MaxSheetSide)
        return picture + "; a sheet is at most 4096 x 4096";
    if (size.width() % request.tileWidth != 0 || size.height() % request.tileHeight != 0)
        return picture + ", not a whole number of " +
               sizeText({request.tileWidth, request.tileHeight}) + " tiles";
    return "";
}

// Grey level from the luminance: 0 white to 3 black; with 3 shades the grey
// in the middle is dark grey.
unsigned char greyLevel(QRgb rgb, int shades)
{
    const int luminance = (299 * qRed(rgb) + 587 * qGreen(rgb) + 114 * qBlue(rgb)) / 1000;
    const int darkness = 255 - luminance;
    const int step = (darkness * (shades - 1) + 127) / 255;
    return static_cast<unsigned char>(shades == 4 ? step : step == 0 ? 0 : step + 1);
}

} // namespace

bool tilesOfPicture(const std::string& data, const PictureRequest& request, const TileSink& sink,
                    std::string& reason)
{
    QBuffer buffer;
    buffer.setData(data.data(), static_cast<int>(data.size()));
    QImageReader reader(&buffer);
    if (!reader.canRead()) {
        reason = "it is neither a sprite file, nor sprite code, nor a picture";
        return false;
    }
    if (const QSize size = reader.size(); size.isValid()) {
        if (reason = sizeProblem(size, request); !reason.empty())
            return false;
    }
    reader.setAllocationLimit(request.tileWidth == 0 ? SpriteDecodeLimitMiB : SheetDecodeLimitMiB);
    const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32);
    if (image.isNull()) {
        reason = "the picture cannot be decoded: " + reader.errorString().toStdString();
        return false;
    }
    if (reason = sizeProblem(image.size(), request); !reason.empty())
        return false;
    const int tileWidth = request.tileWidth == 0 ? image.width() : request.tileWidth;
    const int tileHeight = request.tileWidth == 0 ? image.height() : request.tileHeight;
    SpritePixels tile;
    tile.width = tileWidth;
    tile.height = tileHeight;
    long long count = 0;
    for (int top = 0; top < image.height(); top += tileHeight)
        for (int left = 0; left < image.width(); left += tileWidth) {
            if (request.maxTiles >= 0 && count++ >= request.maxTiles)
                return true;
            for (int y = 0; y < tileHeight; ++y) {
                const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(top + y));
                for (int x = 0; x < tileWidth; ++x) {
                    const QRgb pixel = line[left + x];
                    const Rgb rgb = pixel & 0xFFFFFF;
                    const int at = tile.at(x, y);
                    // Without grey levels only the colour decides, as in the
                    // editor's grid: exactly white is clear.
                    tile.levels[at] = request.shades > 2 ? greyLevel(pixel, request.shades)
                                      : rgb == White     ? 0
                                                         : 3;
                    tile.transparent[at] =
                        request.mask &&
                        (request.maskColour ? rgb == *request.maskColour : qAlpha(pixel) < 128);
                }
            }
            if (!sink(tile))
                return true;
        }
    return true;
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

} // namespace quillox
