#include "editor/calculatorscreen.h"

#include <algorithm>

namespace quillox
{

namespace
{

constexpr std::size_t ScreenBits = std::size_t(CalculatorScreen::BufferBytes) * 8;

std::size_t bitIndexOf(int x, int y)
{
    return std::size_t(y) * CalculatorScreen::Width + std::size_t(x);
}

bool bitAt(const std::array<std::uint8_t, CalculatorScreen::BufferBytes>& bytes, std::size_t index)
{
    return (bytes[index / 8] >> (7 - index % 8)) & 1u;
}

void putBit(std::array<std::uint8_t, CalculatorScreen::BufferBytes>& bytes, std::size_t index,
            bool on)
{
    const auto mask = static_cast<std::uint8_t>(0x80u >> (index % 8));
    bytes[index / 8] =
        static_cast<std::uint8_t>(on ? bytes[index / 8] | mask : bytes[index / 8] & ~mask);
}

} // namespace

void CalculatorScreen::clear()
{
    dark_.fill(0);
    light_.fill(0);
}

std::array<std::uint8_t, CalculatorScreen::BufferBytes>& CalculatorScreen::buffer(Buffer which)
{
    return which == Buffer::Dark ? dark_ : light_;
}

const std::array<std::uint8_t, CalculatorScreen::BufferBytes>&
CalculatorScreen::bytes(Buffer which) const
{
    return which == Buffer::Dark ? dark_ : light_;
}

bool CalculatorScreen::bit(Buffer which, int x, int y) const
{
    return bitAt(bytes(which), bitIndexOf(x, y));
}

void CalculatorScreen::setBit(Buffer which, int x, int y, bool on)
{
    putBit(buffer(which), bitIndexOf(x, y), on);
}

int CalculatorScreen::level(int x, int y) const
{
    return 2 * bit(Buffer::Dark, x, y) + bit(Buffer::Light, x, y);
}

bool CalculatorScreen::drawnBit(bool screen, bool plane, bool transparent, Mode mode)
{
    switch (mode) {
    case Mode::Xor:
        return screen != plane;
    case Mode::Or:
        return screen || plane;
    case Mode::Overwrite:
        return plane;
    case Mode::Masked:
        break;
    }
    return transparent ? screen : plane;
}

void CalculatorScreen::drawPixel(std::size_t index, const SpritePixels& sprite, std::size_t at,
                                 Mode mode)
{
    const int level = sprite.levels[at];
    const bool transparent = sprite.transparent[at] != 0;
    // A transparent pixel is clear in both planes.
    putBit(dark_, index,
           drawnBit(bitAt(dark_, index), !transparent && inDarkPlane(level), transparent, mode));
    putBit(light_, index,
           drawnBit(bitAt(light_, index), !transparent && inLightPlane(level), transparent, mode));
}

int CalculatorScreen::draw(const SpritePixels& sprite, int x, int y, Mode mode, bool clip)
{
    int pastEnd = 0;
    for (int row = 0; row < sprite.height; ++row) {
        const int screenY = y + row;
        if (clip) {
            if (screenY < 0 || screenY >= Height)
                continue;
            for (int column = 0; column < sprite.width; ++column) {
                const int screenX = x + column;
                if (screenX >= 0 && screenX < Width)
                    drawPixel(bitIndexOf(screenX, screenY), sprite, sprite.at(column, row), mode);
            }
            continue;
        }
        // The row's bytes, from byte 12 y + x / 8, as a routine writes them.
        const long long firstByte = 12LL * screenY + x / 8;
        const int rowBytes = (x % 8 + sprite.width + 7) / 8;
        for (int byte = 0; byte < rowBytes; ++byte)
            pastEnd += firstByte + byte >= BufferBytes ? 1 : 0;
        for (int column = 0; column < sprite.width; ++column) {
            const long long index = static_cast<long long>(bitIndexOf(0, screenY)) + x + column;
            if (index >= 0 && static_cast<std::size_t>(index) < ScreenBits)
                drawPixel(static_cast<std::size_t>(index), sprite, sprite.at(column, row), mode);
        }
    }
    return pastEnd;
}

void CalculatorScreen::drawTiles(const SpritePixels& sprite, Mode mode)
{
    if (sprite.width <= 0 || sprite.height <= 0)
        return;
    for (int y = 0; y < Height; y += sprite.height)
        for (int x = 0; x < Width; x += sprite.width)
            draw(sprite, x, y, mode, true);
}

void CalculatorScreen::drawPicture(const SpritePixels& picture)
{
    for (int y = 0; y < std::min(picture.height, int(Height)); ++y)
        for (int x = 0; x < std::min(picture.width, int(Width)); ++x) {
            const std::size_t at = picture.at(x, y);
            if (picture.transparent[at])
                continue;
            setBit(Buffer::Dark, x, y, inDarkPlane(picture.levels[at]));
            setBit(Buffer::Light, x, y, inLightPlane(picture.levels[at]));
        }
}

SpritePixels CalculatorScreen::levels() const
{
    SpritePixels pixels(Width, Height);
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            pixels.levels[pixels.at(x, y)] = static_cast<unsigned char>(level(x, y));
    return pixels;
}

} // namespace quillox
