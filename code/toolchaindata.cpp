#include "code/toolchaindata.h"

#include "code/labels.h"

namespace quillox
{

namespace
{

void appendHex(std::string& out, unsigned char byte)
{
    static const char digits[] = "0123456789ABCDEF";
    out += digits[byte >> 4];
    out += digits[byte & 0xF];
}

void appendHexBytes(std::string& out, const SpritePixels& pixels, const ByteStyle& style)
{
    for (const BytePlane& plane : bytePlanesOf(pixels, style))
        for (const auto& line : plane.lines)
            for (const unsigned char byte : line)
                appendHex(out, byte);
}

} // namespace

void appendAxeData(std::string& out, const SpritePixels& pixels, const ByteStyle& style,
                   std::string_view name)
{
    out += '[';
    appendHexBytes(out, pixels, style);
    out += ']';
    if (!name.empty()) {
        out += "\xE2\x86\x92"; // →, Axe's store arrow
        out += name;
    }
    out += "\r\n";
}

void appendHexLine(std::string& out, const SpritePixels& pixels, const ByteStyle& style)
{
    appendHexBytes(out, pixels, style);
    out += "\r\n";
}

void appendCArrays(std::string& out, const SpritePixels& pixels, const ByteStyle& style,
                   const std::string& name)
{
    for (const BytePlane& plane : bytePlanesOf(pixels, style)) {
        out += "const unsigned char " + cIdentifierOf(name + plane.labelSuffix) + "[] = {\r\n";
        for (std::size_t line = 0; line < plane.lines.size(); ++line) {
            out += "    ";
            for (std::size_t index = 0; index < plane.lines[line].size(); ++index) {
                if (index > 0)
                    out += ", ";
                out += "0x";
                appendHex(out, plane.lines[line][index]);
            }
            if (line + 1 < plane.lines.size())
                out += ',';
            out += plane.maskLines[line] ? " /* mask */\r\n" : "\r\n";
        }
        out += "};\r\n";
    }
}

void appendCSizeDefines(std::string& out, const std::string& name, int width, int height)
{
    out += "#define " + name + "_HEIGHT " + std::to_string(height) + "\r\n";
    out += "#define " + name + "_WIDTH " + std::to_string((width + 7) / 8) + "\r\n";
}

void appendPtMaskData(std::string& out, const SpritePixels& pixels, std::string_view name)
{
    std::string digits;
    for (const bool secondLayer : {false, true})
        for (int y = 0; y < PtMaskSide; ++y) {
            unsigned char byte = 0;
            for (int x = 0; x < PtMaskSide; ++x) {
                const std::size_t at = pixels.at(x, y);
                const int level = pixels.levels[at];
                const bool bit = !pixels.transparent[at] &&
                                 (secondLayer ? level == 0 || level == 3 : level != 0);
                byte = static_cast<unsigned char>(byte | (bit ? 0x80 >> x : 0));
            }
            appendHex(digits, byte);
        }
    out += ".PT-MASK\r\n[" + digits + "]";
    if (!name.empty()) {
        out += "\xE2\x86\x92";
        out += name;
    }
    out += "\r\n";
}

bool isPtMaskSize(const SpritePixels& pixels)
{
    return pixels.width == PtMaskSide && pixels.height == PtMaskSide;
}

std::string axeDataOf(const SpriteGrid& grid)
{
    return axeDataOf(pixelsOfSprite(grid), {});
}

std::string axeDataOf(const SpritePixels& pixels, const ByteStyle& style)
{
    std::string data;
    const ByteStyle whole = styleForPixels(pixels, style);
    if (isPtMaskSize(pixels) && (whole.shades > 2 || whole.maskOrder != MaskOrder::None))
        appendPtMaskData(data, pixels, "");
    else
        appendAxeData(data, pixels, whole, "");
    return data;
}

std::string cArrayOf(const SpriteGrid& grid, std::string_view name)
{
    return cArrayOf(pixelsOfSprite(grid), {}, name);
}

std::string cArrayOf(const SpritePixels& pixels, const ByteStyle& style, std::string_view name)
{
    std::string array;
    appendCArrays(array, pixels, styleForPixels(pixels, style), std::string(name));
    return array;
}

} // namespace quillox
