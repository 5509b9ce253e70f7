#include "code/bytecode.h"

#include <vector>

namespace quillox
{

namespace
{

void appendByte(std::string& out, unsigned char byte, ByteRadix radix)
{
    static const char digits[] = "0123456789ABCDEF";
    switch (radix) {
    case ByteRadix::Binary:
        out += '%';
        for (int bit = 7; bit >= 0; --bit)
            out += (byte >> bit) & 1 ? '1' : '0';
        break;
    case ByteRadix::Hex:
    case ByteRadix::HexC:
        out += radix == ByteRadix::Hex ? "$" : "0x";
        out += digits[byte >> 4];
        out += digits[byte & 0xF];
        break;
    case ByteRadix::Decimal:
        out += std::to_string(byte);
        break;
    }
}

} // namespace

void appendByteCode(std::string& out, const SpritePixels& pixels, const ByteStyle& style,
                    const std::string& label)
{
    const int bytesPerRow = (pixels.width + 7) / 8;
    const auto appendLine = [&](const auto& byteAt) {
        out += '\t';
        out += style.directive;
        out += '\t';
        for (int index = 0; index < bytesPerRow; ++index) {
            if (index > 0)
                out += ',';
            appendByte(out, byteAt(index), style.radix);
        }
        out += "\r\n";
    };
    // Bits of one row: `set` for a pixel, `padding` beyond the width.
    const auto rowByte = [&](int y, int index, bool padding, const auto& set) {
        unsigned char byte = 0;
        for (int bit = 0; bit < 8; ++bit) {
            const int x = index * 8 + bit;
            if (x < pixels.width ? set(pixels.at(x, y)) : padding)
                byte |= static_cast<unsigned char>(0x80 >> bit);
        }
        return byte;
    };
    const bool andMask = style.maskPolarity == MaskPolarity::And;
    const auto maskRow = [&](int y) {
        appendLine([&](int index) {
            return rowByte(y, index, andMask,
                           [&](int at) { return pixels.transparent[at] == andMask; });
        });
    };
    struct Plane {
        const char* suffix;
        bool (*has)(int level);
    };
    static const Plane ink{"", [](int level) { return level != 0; }};
    static const Plane dark{"_dark", [](int level) { return level >= 2; }};
    static const Plane light{"_light", [](int level) { return level == 1 || level == 3; }};
    std::vector<Plane> planes{ink};
    if (style.shades > 2)
        planes = {dark, light};
    for (const Plane& plane : planes) {
        if (!label.empty())
            out += label + plane.suffix + ":\r\n";
        if (style.header) {
            out += "\t" + style.directive + "\t" + std::to_string(pixels.height) + "," +
                   std::to_string(bytesPerRow) + "\r\n";
        }
        const auto spriteRow = [&](int y) {
            appendLine([&](int index) {
                return rowByte(y, index, false, [&](int at) {
                    return !pixels.transparent[at] && plane.has(pixels.levels[at]);
                });
            });
        };
        for (int y = 0; y < pixels.height && style.maskOrder == MaskOrder::Before; ++y)
            maskRow(y);
        for (int y = 0; y < pixels.height; ++y) {
            if (style.maskOrder == MaskOrder::Interleaved)
                maskRow(y);
            spriteRow(y);
        }
        for (int y = 0; y < pixels.height && style.maskOrder == MaskOrder::After; ++y)
            maskRow(y);
    }
}

void appendSizeConstants(std::string& out, const std::string& name, int width, int height,
                         const std::string& directive)
{
    const std::string equ = directive.front() == '.' ? " .equ " : ": equ ";
    out += name + "_HEIGHT" + equ + std::to_string(height) + "\r\n";
    out += name + "_WIDTH" + equ + std::to_string((width + 7) / 8) + "\r\n";
}

std::string spriteByteCode(const SpriteGrid& grid, const ByteStyle& style)
{
    std::string code;
    appendByteCode(code, pixelsOfSprite(grid), style, "");
    return code;
}

} // namespace quillox
