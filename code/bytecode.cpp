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

std::vector<BytePlane> bytePlanesOf(const SpritePixels& pixels, const ByteStyle& style)
{
    const int bytesPerRow = (pixels.width + 7) / 8;
    // One row's bytes: `set` for a pixel, `padding` beyond the width.
    const auto rowBytes = [&](int y, bool padding, const auto& set) {
        std::vector<unsigned char> bytes(static_cast<std::size_t>(bytesPerRow));
        for (int x = 0; x < bytesPerRow * 8; ++x)
            if (x < pixels.width ? set(pixels.at(x, y)) : padding)
                bytes[static_cast<std::size_t>(x / 8)] |=
                    static_cast<unsigned char>(0x80 >> (x % 8));
        return bytes;
    };
    const bool andMask = style.maskPolarity == MaskPolarity::And;
    const auto maskRow = [&](int y) {
        return rowBytes(y, andMask,
                        [&](std::size_t at) { return (pixels.transparent[at] != 0) == andMask; });
    };
    struct Plane {
        const char* suffix;
        bool (*has)(int level);
    };
    static const Plane ink{"", [](int level) { return level != 0; }};
    static const Plane dark{"_dark", [](int level) { return level >= 2; }};
    static const Plane light{"_light", [](int level) { return level == 1 || level == 3; }};
    std::vector<BytePlane> planes;
    for (const Plane& plane :
         style.shades > 2 ? std::vector<Plane>{dark, light} : std::vector<Plane>{ink}) {
        BytePlane out{plane.suffix, {}, {}};
        if (style.header && style.headerKind == HeaderKind::WidthAndHeight)
            out.lines.push_back({static_cast<unsigned char>(pixels.width),
                                 static_cast<unsigned char>(pixels.height)});
        else if (style.header)
            out.lines.push_back({static_cast<unsigned char>(pixels.height),
                                 static_cast<unsigned char>(bytesPerRow)});
        const auto pushMask = [&](int y) {
            out.lines.push_back(maskRow(y));
            out.maskLines.resize(out.lines.size());
            out.maskLines.back() = true;
        };
        const auto spriteRow = [&](int y) {
            return rowBytes(y, false, [&](std::size_t at) {
                return !pixels.transparent[at] && plane.has(pixels.levels[at]);
            });
        };
        for (int y = 0; y < pixels.height && style.maskOrder == MaskOrder::Before; ++y)
            pushMask(y);
        for (int y = 0; y < pixels.height; ++y) {
            if (style.maskOrder == MaskOrder::Interleaved)
                pushMask(y);
            out.lines.push_back(spriteRow(y));
        }
        for (int y = 0; y < pixels.height && style.maskOrder == MaskOrder::After; ++y)
            pushMask(y);
        out.maskLines.resize(out.lines.size());
        planes.push_back(std::move(out));
    }
    return planes;
}

std::string headerProblem(const SpritePixels& pixels, const ByteStyle& style)
{
    if (!style.header)
        return "";
    const bool widthFirst = style.headerKind == HeaderKind::WidthAndHeight;
    const std::pair<const char*, int> values[] = {
        {widthFirst ? "width" : "height", widthFirst ? pixels.width : pixels.height},
        {widthFirst ? "height" : "bytes per row",
         widthFirst ? pixels.height : (pixels.width + 7) / 8}};
    for (const auto& [name, value] : values)
        if (value > 255)
            return "the sprite is " + std::to_string(pixels.width) + " x " +
                   std::to_string(pixels.height) + " pixels; its " + name + ", " +
                   std::to_string(value) + ", does not fit the header's byte (at most 255)";
    return "";
}

std::vector<unsigned char> spriteBytes(const SpritePixels& pixels, const ByteStyle& style)
{
    std::vector<unsigned char> bytes;
    for (const BytePlane& plane : bytePlanesOf(pixels, style))
        for (const auto& line : plane.lines)
            bytes.insert(bytes.end(), line.begin(), line.end());
    return bytes;
}

void appendByteCode(std::string& out, const SpritePixels& pixels, const ByteStyle& style,
                    const std::string& label)
{
    for (const BytePlane& plane : bytePlanesOf(pixels, style)) {
        if (!label.empty())
            out += label + plane.labelSuffix + ":\r\n";
        for (std::size_t line = 0; line < plane.lines.size(); ++line) {
            out += '\t';
            out += style.directive;
            out += '\t';
            const bool header = style.header && line == 0;
            for (std::size_t index = 0; index < plane.lines[line].size(); ++index) {
                if (index > 0)
                    out += ',';
                // The header's numbers are counts, written in decimal.
                if (header)
                    out += std::to_string(plane.lines[line][index]);
                else
                    appendByte(out, plane.lines[line][index], style.radix);
            }
            if (plane.maskLines[line])
                out += " ; mask";
            out += "\r\n";
        }
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

ByteStyle styleForPixels(const SpritePixels& pixels, ByteStyle style)
{
    style.shades = hasGrey(pixels) ? 4 : 2;
    if (!hasTransparency(pixels))
        style.maskOrder = MaskOrder::None;
    else if (style.maskOrder == MaskOrder::None)
        style.maskOrder = MaskOrder::Before;
    return style;
}

std::string inkedByteCode(const SpritePixels& pixels, const ByteStyle& style,
                          const std::string& label)
{
    const ByteStyle whole = styleForPixels(pixels, style);
    std::string code;
    appendByteCode(code, pixels, whole, whole.shades > 2 && label.empty() ? "sprite" : label);
    return code;
}

} // namespace quillox
