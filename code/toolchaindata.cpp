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
            out += line + 1 < plane.lines.size() ? ",\r\n" : "\r\n";
        }
        out += "};\r\n";
    }
}

void appendCSizeDefines(std::string& out, const std::string& name, int width, int height)
{
    out += "#define " + name + "_HEIGHT " + std::to_string(height) + "\r\n";
    out += "#define " + name + "_WIDTH " + std::to_string((width + 7) / 8) + "\r\n";
}

std::string axeDataOf(const SpriteGrid& grid)
{
    std::string data;
    appendAxeData(data, pixelsOfSprite(grid), {}, "");
    return data;
}

std::string cArrayOf(const SpriteGrid& grid, std::string_view name)
{
    std::string array;
    appendCArrays(array, pixelsOfSprite(grid), {}, std::string(name));
    return array;
}

} // namespace quillox
