#include "files/picture.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

#include <algorithm>

namespace quillox
{

namespace
{

// Formats that cannot tell their size before decoding are decoded under these
// bounds, so that a picture claiming to be huge is never unpacked.
constexpr int SpriteDecodeLimitMiB = 1;
constexpr int SheetDecodeLimitMiB = 128;

std::string sizeText(QSize size)
{
    return std::to_string(size.width()) + " x " + std::to_string(size.height());
}

bool fitsSprite(QSize size)
{
    return size.width() <= SpriteGrid::Side && size.height() <= SpriteGrid::Side;
}

// Why a picture of this size cannot give the tiles asked for, or "".
std::string sizeProblem(QSize size, const PictureRequest& request)
{
    const std::string picture = "the picture is " + sizeText(size) + " pixels";
    const bool sheetLimits = request.tileWidth != 0 || request.cropToDrawn;
    if (request.tileWidth == 0 && request.wholeWidth != 0 && !size.isEmpty() &&
        (size.width() > request.wholeWidth || size.height() > request.wholeHeight))
        return picture + "; a picture is at most " +
               sizeText({request.wholeWidth, request.wholeHeight});
    if (size.isEmpty() || (!sheetLimits && request.wholeWidth == 0 && !fitsSprite(size)))
        return picture + "; a sprite is at most 15 x 15";
    if (size.width() > MaxPictureSide || size.height() > MaxPictureSide)
        return picture + "; a " + (request.tileWidth != 0 ? "sheet" : "picture") +
               " is at most 4096 x 4096";
    if (request.tileWidth == 0)
        return "";
    if (size.width() % request.tileWidth != 0 || size.height() % request.tileHeight != 0)
        return picture + ", not a whole number of " +
               sizeText({request.tileWidth, request.tileHeight}) + " tiles";
    return "";
}

bool isOpaque(QRgb pixel)
{
    return qAlpha(pixel) >= 128;
}

// Grey level from the luminance: 0 white to 3 black; with 3 shades the grey
// in the middle is dark grey.
unsigned char greyLevel(QRgb rgb, int shades)
{
    const int darkness = 255 - luminance(rgb & 0xFFFFFF);
    const int step = (darkness * (shades - 1) + 127) / 255;
    return static_cast<unsigned char>(shades == 4 ? step : step == 0 ? 0 : step + 1);
}

bool isTransparent(QRgb pixel, const PictureRequest& request)
{
    return request.maskColour ? (pixel & 0xFFFFFF) == *request.maskColour : !isOpaque(pixel);
}

unsigned char levelOf(QRgb pixel, const PictureRequest& request)
{
    if (!isOpaque(pixel))
        return 0;
    if (request.shades > 2)
        return greyLevel(pixel, request.shades);
    return luminance(pixel & 0xFFFFFF) < request.threshold ? 3 : 0;
}

// Whether every opaque pixel is grey (R = G = B), of at most four values.
bool isFourGreys(const QImage& image)
{
    QRgb greys[4];
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x];
            if (!isOpaque(pixel))
                continue;
            if (qRed(pixel) != qGreen(pixel) || qGreen(pixel) != qBlue(pixel))
                return false;
            const QRgb grey = pixel & 0xFFFFFF;
            if (std::find(greys, greys + count, grey) != greys + count)
                continue;
            if (count == 4)
                return false;
            greys[count++] = grey;
        }
    }
    return true;
}

// The smallest rectangle that holds every set pixel.
QRect drawnBox(const QImage& image, const PictureRequest& request)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (levelOf(line[x], request) != 0)
                box |= QRect(x, y, 1, 1);
    }
    return box;
}

// A picture larger than a sprite becomes the box of its drawn pixels, when
// that box fits; false with the reason otherwise.
bool cropToDrawn(QImage& image, const PictureRequest& request, std::string& reason)
{
    const QRect box = drawnBox(image, request);
    const std::string picture = "the picture is " + sizeText(image.size()) + " pixels";
    if (box.isEmpty()) {
        reason = picture + " with nothing drawn; a sprite is at most 15 x 15";
        return false;
    }
    if (!fitsSprite(box.size())) {
        reason = picture + " and its drawn pixels span " + sizeText(box.size()) +
                 "; a sprite is at most 15 x 15";
        return false;
    }
    image = image.copy(box);
    if (request.cropped)
        request.cropped(picture + "; took the " + sizeText(box.size()) + " pixels drawn at " +
                        std::to_string(box.x()) + "," + std::to_string(box.y()));
    return true;
}

} // namespace

int luminance(Rgb rgb)
{
    return static_cast<int>(
        (299 * ((rgb >> 16) & 0xFF) + 587 * ((rgb >> 8) & 0xFF) + 114 * (rgb & 0xFF)) / 1000);
}

bool tilesOfPicture(const std::string& data, const PictureRequest& asked, const TileSink& sink,
                    std::string& reason)
{
    PictureRequest request = asked;
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
    const bool sheetLimits =
        request.tileWidth != 0 || request.cropToDrawn || request.wholeWidth != 0;
    reader.setAllocationLimit(sheetLimits ? SheetDecodeLimitMiB : SpriteDecodeLimitMiB);
    QImage image = reader.read().convertToFormat(QImage::Format_ARGB32);
    if (image.isNull()) {
        reason = "the picture cannot be decoded: " + reader.errorString().toStdString();
        return false;
    }
    if (reason = sizeProblem(image.size(), request); !reason.empty())
        return false;
    if (request.greyPicturesInLevels && isFourGreys(image))
        request.shades = 4;
    if (request.tileWidth == 0 && request.wholeWidth == 0 && !fitsSprite(image.size()) &&
        !cropToDrawn(image, request, reason))
        return false;
    const int tileWidth = request.tileWidth == 0 ? image.width() : request.tileWidth;
    const int tileHeight = request.tileWidth == 0 ? image.height() : request.tileHeight;
    SpritePixels tile(tileWidth, tileHeight);
    long long count = 0;
    for (int top = 0; top < image.height(); top += tileHeight)
        for (int left = 0; left < image.width(); left += tileWidth) {
            if (request.maxTiles >= 0 && count++ >= request.maxTiles)
                return true;
            for (int y = 0; y < tileHeight; ++y) {
                const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(top + y));
                for (int x = 0; x < tileWidth; ++x) {
                    const QRgb pixel = line[left + x];
                    const int at = tile.at(x, y);
                    tile.levels[at] = levelOf(pixel, request);
                    tile.transparent[at] = request.mask && isTransparent(pixel, request);
                }
            }
            if (!sink(tile))
                return true;
        }
    return true;
}

std::string pngOfSprite(const SpriteGrid& grid)
{
    return pngOfPixels(pixelsOfSprite(grid));
}

std::string pngOfPixels(const SpritePixels& pixels)
{
    QImage image(pixels.width, pixels.height, QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x)
            image.setPixel(x, y, pixels.levels[pixels.at(x, y)] != 0 ? 1 : 0);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png.toStdString();
}

std::string pngOfGreyPixels(const SpritePixels& pixels)
{
    static const QRgb colours[] = {qRgb(0xFF, 0xFF, 0xFF), qRgb(0xAA, 0xAA, 0xAA),
                                   qRgb(0x55, 0x55, 0x55), qRgb(0, 0, 0)};
    QImage image(pixels.width, pixels.height, QImage::Format_ARGB32);
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x) {
            const std::size_t at = pixels.at(x, y);
            image.setPixel(x, y,
                           pixels.transparent[at] ? qRgba(0xFF, 0xFF, 0xFF, 0)
                                                  : colours[pixels.levels[at] & 3]);
        }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png.toStdString();
}

} // namespace quillox
