#include "convert/spriteformats.h"

#include "code/spritecode.h"
#include "files/spritefile.h"

#include <algorithm>
#include <vector>

namespace quillox
{

namespace
{

bool isBinaryDigit(char c)
{
    return c == '0' || c == '1';
}

bool isIdentifierStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool isIdentifierChar(char c)
{
    return isIdentifierStart(c) || (c >= '0' && c <= '9');
}

// Z80 register and condition names: an assembler refuses them as labels, in
// any case.
bool isReservedWord(std::string_view name)
{
    static const char* const reserved[] = {
        "a",  "b",  "c",  "d",   "e",   "h",   "l",   "i",  "r", "f",  "af", "bc", "de", "hl", "ix",
        "iy", "sp", "pc", "ixh", "ixl", "iyh", "iyl", "nz", "z", "nc", "po", "pe", "p",  "m"};
    std::string lower(name);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return std::any_of(std::begin(reserved), std::end(reserved),
                       [&lower](const char* word) { return lower == word; });
}

void setCells(SpriteGrid& grid, int row, std::string_view digits)
{
    for (int i = 0; i < static_cast<int>(digits.size()); ++i)
        grid.setColour(row, grid.columnPosition() + i, digits[i] == '1' ? Black : White);
}

// Splits at LF, taking off a CR before it; a line end after the last line
// does not start another line.
std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (end != std::string_view::npos && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return lines;
}

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
        out += '$';
        out += digits[byte >> 4];
        out += digits[byte & 0xF];
        break;
    case ByteRadix::Decimal:
        out += std::to_string(byte);
        break;
    }
}

} // namespace

SpriteGrid spriteOfSize(int width, int height)
{
    SpriteGrid grid;
    grid.setColumnPosition(SpriteGrid::Side + 1 - width);
    grid.setRowPosition(SpriteGrid::Side + 1 - height);
    grid.updateShownFlags();
    return grid;
}

std::optional<SpriteGrid> parseSpriteFile(std::string_view bytes, std::string& reason)
{
    const int height = spriteSizeField(bytes, 0);
    const int width = spriteSizeField(bytes, 2);
    if (height == 0 || width == 0) {
        reason = "the size fields are not two numbers from 01 to 15";
        return std::nullopt;
    }
    const std::size_t cells = static_cast<std::size_t>(width * height);
    const std::string_view rest = bytes.substr(4);
    const std::size_t count =
        std::find_if_not(rest.begin(), rest.end(), isBinaryDigit) - rest.begin();
    const std::string_view end = rest.substr(count);
    const bool lineEnd = end.empty() || end == "\r\n" || end == "\n";
    if (count < cells && !lineEnd && end.front() != '\r' && end.front() != '\n') {
        reason = "a pixel is not 0 or 1";
        return std::nullopt;
    }
    if (count != cells || !lineEnd) {
        reason = "it does not hold exactly " + std::to_string(cells) + " pixels and a line end";
        return std::nullopt;
    }
    const std::string_view digits = rest.substr(0, cells);
    SpriteGrid grid = spriteOfSize(width, height);
    for (int row = 0; row < height; ++row)
        setCells(
            grid, grid.rowPosition() + row,
            digits.substr(static_cast<std::size_t>(row * width), static_cast<std::size_t>(width)));
    return grid;
}

std::optional<SpriteGrid> parseSpriteCode(std::string_view text, std::string& reason)
{
    const std::string_view prefix = SpriteCodeLinePrefix;
    const std::vector<std::string_view> lines = splitLines(text);
    if (lines.empty() || lines.size() > SpriteGrid::Side) {
        reason = "the code has " + std::to_string(lines.size()) + " lines, not 1 to 15";
        return std::nullopt;
    }
    const std::size_t width = lines.front().size() - std::min(lines.front().size(), prefix.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        const std::string_view digits = line.substr(std::min(line.size(), prefix.size()));
        const std::string where = "line " + std::to_string(i + 1);
        if (line.substr(0, prefix.size()) != prefix) {
            reason = where + " does not begin with TAB .db TAB %";
            return std::nullopt;
        }
        if (digits.empty() || digits.size() > SpriteGrid::Side ||
            !std::all_of(digits.begin(), digits.end(), isBinaryDigit)) {
            reason = where + " does not hold 1 to 15 digits 0 or 1";
            return std::nullopt;
        }
        if (digits.size() != width) {
            reason = where + " is not as wide as the first";
            return std::nullopt;
        }
    }
    SpriteGrid grid = spriteOfSize(static_cast<int>(width), static_cast<int>(lines.size()));
    for (std::size_t i = 0; i < lines.size(); ++i)
        setCells(grid, grid.rowPosition() + static_cast<int>(i), lines[i].substr(prefix.size()));
    return grid;
}

SpritePixels pixelsOfSprite(const SpriteGrid& grid)
{
    SpritePixels pixels;
    pixels.width = grid.width();
    pixels.height = grid.height();
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x)
            pixels.levels[pixels.at(x, y)] =
                grid.isClear(SpriteGrid::indexOf(grid.rowPosition() + y, grid.columnPosition() + x))
                    ? 0
                    : 3;
    return pixels;
}

SpriteGrid spriteOfPixels(const SpritePixels& pixels)
{
    SpriteGrid grid = spriteOfSize(pixels.width, pixels.height);
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x)
            grid.setColour(grid.rowPosition() + y, grid.columnPosition() + x,
                           pixels.levels[pixels.at(x, y)] == 0 ? White : Black);
    return grid;
}

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

std::string spriteByteCode(const SpriteGrid& grid, ByteRadix radix)
{
    ByteStyle style;
    style.radix = radix;
    std::string code;
    appendByteCode(code, pixelsOfSprite(grid), style, "");
    code.resize(code.size() - 2);
    return code;
}

std::string spriteByteCode(const SpriteGrid& grid)
{
    return spriteByteCode(grid, ByteRadix::Binary);
}

std::string labelForFile(std::string_view path)
{
    std::string_view name = path.substr(path.find_last_of(FolderSeparators) + 1);
    if (const std::size_t dot = name.rfind('.'); dot != std::string_view::npos && dot > 0)
        name = name.substr(0, dot);
    std::string label;
    for (const char c : name)
        label += isIdentifierChar(c) ? c : '_';
    if (label.empty() || !isIdentifierStart(label.front()) || isReservedWord(label))
        label.insert(label.begin(), '_');
    return label;
}

bool isAssemblerIdentifier(std::string_view name)
{
    return !name.empty() && isIdentifierStart(name.front()) &&
           std::all_of(name.begin(), name.end(), isIdentifierChar) && !isReservedWord(name);
}

} // namespace quillox
