#include "code/spritecode.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace quillox
{

namespace
{

bool isBinaryDigit(char c)
{
    return c == '0' || c == '1';
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

void appendSpriteCode(std::string& out, int columnPosition, int rowPosition,
                      const std::array<Rgb, SpriteGrid::CellCount>& colours)
{
    if (!SpriteGrid::isValidPosition(columnPosition) || !SpriteGrid::isValidPosition(rowPosition))
        throw std::out_of_range("slider position outside 1..15");
    const int width = SpriteGrid::Side + 1 - columnPosition;
    const int height = SpriteGrid::Side + 1 - rowPosition;
    out.reserve(out.size() + spriteCodeLength(width, height));
    out += SpriteCodeLinePrefix;
    for (int row = rowPosition; row <= SpriteGrid::Side; ++row) {
        const int first = SpriteGrid::indexOf(row, columnPosition) - 1;
        for (int i = first; i < first + width; ++i)
            out += colours[static_cast<std::size_t>(i)] == White ? '0' : '1';
        if (row < SpriteGrid::Side) {
            out += "\r\n";
            out += SpriteCodeLinePrefix;
        }
    }
}

std::string spriteCode(int columnPosition, int rowPosition,
                       const std::array<Rgb, SpriteGrid::CellCount>& colours)
{
    std::string text;
    appendSpriteCode(text, columnPosition, rowPosition, colours);
    return text;
}

std::string spriteCode(const SpriteGrid& grid)
{
    return spriteCode(grid.columnPosition(), grid.rowPosition(), grid.colours());
}

std::string codeFileBytes(const std::string& codeText)
{
    return codeText + "\r\n";
}

bool isEditorCodeForm(std::string_view text)
{
    const std::string_view prefix = SpriteCodeLinePrefix;
    const std::vector<std::string_view> lines = splitLines(text);
    if (lines.empty())
        return false;
    const std::size_t width = lines.front().size() - std::min(lines.front().size(), prefix.size());
    return width >= 1 && width <= SpriteGrid::Side &&
           std::all_of(lines.begin(), lines.end(), [&](std::string_view line) {
               return line.size() == prefix.size() + width &&
                      line.substr(0, prefix.size()) == prefix &&
                      std::all_of(line.begin() + prefix.size(), line.end(), isBinaryDigit);
           });
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

} // namespace quillox
