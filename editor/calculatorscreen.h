#pragma once

#include "editor/spritepixels.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace quillox
{

// The TI-83 Plus screen as grey programs keep it: two buffers of 96 x 64
// bits, the dark and the light one, 12 bytes a row with the leftmost pixel in
// bit 7. A pixel's level is 2 x dark + light: 0 white, 1 light grey, 2 dark
// grey, 3 black. Sprites are drawn as the common routines draw them
// (ionPutSprite, ionLargeSprite, Axe's Pt- commands), any width alike.
class CalculatorScreen
{
public:
    static constexpr int Width = 96;
    static constexpr int Height = 64;
    static constexpr int BytesPerRow = Width / 8;
    static constexpr int BufferBytes = BytesPerRow * Height; // 768

    enum class Mode {
        Xor,       // a set pixel inverts, a clear one leaves (ionPutSprite, Pt-Change)
        Or,        // a set pixel sets, a clear one leaves (Pt-On)
        Overwrite, // a set pixel sets, a clear one clears (Pt-Off)
        Masked,    // a transparent pixel leaves, any other sets or clears (AND, then OR)
    };
    enum class Buffer { Dark, Light };

    // Both buffers white.
    void clear();

    bool bit(Buffer buffer, int x, int y) const;
    void setBit(Buffer buffer, int x, int y, bool on);
    // 0 white to 3 black.
    int level(int x, int y) const;
    const std::array<std::uint8_t, BufferBytes>& bytes(Buffer buffer) const;

    // Draws `sprite` with its top-left corner at (x, y). Clipped, pixels off
    // the screen are not drawn. Unclipped, each row writes whole bytes into
    // the 768-byte buffer as a routine without clipping does: a pixel past
    // column 95 shows at the start of the next row, and bytes past the
    // buffer's end are not written; the return value is how many there
    // would have been (0 when clipped).
    int draw(const SpritePixels& sprite, int x, int y, Mode mode, bool clip);

    // The sprite repeated over the whole screen on its own width and height
    // from the top left, each copy drawn in `mode` and clipped.
    void drawTiles(const SpritePixels& sprite, Mode mode);

    // A picture of at most 96 x 64 at the top left, into both buffers by its
    // levels (transparent pixels leave the screen).
    void drawPicture(const SpritePixels& picture);

    // The screen's 96 x 64 levels, none transparent.
    SpritePixels levels() const;

    // The positions a sprite's top-left corner may take: clipped, it may
    // stand partly off the screen (x from 1 - width to 95); unclipped, its
    // corner stays on it (x from 0 to 95).
    static int minimumX(int width, bool clip) { return clip ? 1 - width : 0; }
    static int maximumX() { return Width - 1; }
    static int minimumY(int height, bool clip) { return clip ? 1 - height : 0; }
    static int maximumY() { return Height - 1; }

private:
    std::array<std::uint8_t, BufferBytes>& buffer(Buffer which);
    // One pixel of the sprite's plane onto one buffer's bit, by the mode.
    static bool drawnBit(bool screen, bool plane, bool transparent, Mode mode);
    void drawPixel(std::size_t bitIndex, const SpritePixels& sprite, std::size_t at, Mode mode);

    std::array<std::uint8_t, BufferBytes> dark_{};
    std::array<std::uint8_t, BufferBytes> light_{};
};

// The plane bits of a pixel's level: black sets both, dark grey the dark
// plane, light grey the light one.
constexpr bool inDarkPlane(int level)
{
    return level >= 2;
}
constexpr bool inLightPlane(int level)
{
    return level == 1 || level == 3;
}

} // namespace quillox
