#include "spriteformats.h"

#include "spritecode.h"
#include "spritefile.h"

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

std::string spriteByteCode(const SpriteGrid& grid)
{
    std::string code;
    const int bytesPerRow = (grid.width() + 7) / 8;
    for (int row = grid.rowPosition(); row <= SpriteGrid::Side; ++row) {
        if (row > grid.rowPosition())
            code += "\r\n";
        code += "\t.db\t";
        for (int bit = 0; bit < bytesPerRow * 8; ++bit) {
            if (bit % 8 == 0)
                code += bit == 0 ? "%" : ",%";
            const int column = grid.columnPosition() + bit;
            code += column <= SpriteGrid::Side && !grid.isClear(SpriteGrid::indexOf(row, column))
                        ? '1'
                        : '0';
        }
    }
    return code;
}

std::string spriteByteCode(const SpriteGrid& grid, ByteRadix radix)
{
    std::string code;
    const int bytesPerRow = (grid.width() + 7) / 8;
    for (int row = grid.rowPosition(); row <= SpriteGrid::Side; ++row) {
        if (row > grid.rowPosition())
            code += "\r\n";
        code += "\t.db\t";
        for (int byte = 0; byte < bytesPerRow; ++byte) {
            unsigned value = 0;
            for (int bit = 0; bit < 8; ++bit) {
                const int column = grid.columnPosition() + byte * 8 + bit;
                if (column <= SpriteGrid::Side && !grid.isClear(SpriteGrid::indexOf(row, column)))
                    value |= 0x80u >> bit;
            }
            static const char hexDigits[] = "0123456789ABCDEF";
            if (byte > 0)
                code += ',';
            if (radix == ByteRadix::Binary) {
                code += '%';
                for (int bit = 7; bit >= 0; --bit)
                    code += (value >> bit) & 1 ? '1' : '0';
            }
            if (radix == ByteRadix::Hex)
                code += std::string("$") + hexDigits[value >> 4] + hexDigits[value & 0xF];
            if (radix == ByteRadix::Decimal)
                code += std::to_string(value);
        }
    }
    return code;
}

std::string labelForFile(std::string_view path)
{
    std::string_view name = path.substr(path.find_last_of('/') + 1);
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
