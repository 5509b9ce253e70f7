#include "files/spritefile.h"

#include <algorithm>

namespace quillox
{

namespace
{

void appendTwoDigits(std::string& out, int value)
{
    out += static_cast<char>('0' + value / 10);
    out += static_cast<char>('0' + value % 10);
}

bool isBinaryDigit(char c)
{
    return c == '0' || c == '1';
}

void setCells(SpriteGrid& grid, int row, std::string_view digits)
{
    for (int i = 0; i < static_cast<int>(digits.size()); ++i)
        grid.setColour(row, grid.columnPosition() + i, digits[i] == '1' ? Black : White);
}

} // namespace

std::string spriteFileText(const SpriteGrid& grid)
{
    std::string text;
    text.reserve(4 + SpriteGrid::CellCount);
    appendTwoDigits(text, grid.height());
    appendTwoDigits(text, grid.width());
    for (int index = 1; index <= SpriteGrid::CellCount; ++index)
        if (grid.isShown(index))
            text += grid.isClear(index) ? '0' : '1';
    return text;
}

std::string spriteFileBytes(const std::string& bufferText)
{
    return bufferText + "\r\n";
}

int spriteSizeField(std::string_view text, std::size_t offset)
{
    if (text.size() < offset + 2)
        return 0;
    const char tens = text[offset];
    const char units = text[offset + 1];
    if (tens == '0' && units >= '1' && units <= '9')
        return units - '0';
    if (tens == '1' && units >= '0' && units <= '5')
        return 10 + (units - '0');
    return 0;
}

std::string unappliedSizes(std::string_view text)
{
    const bool height = spriteSizeField(text, 0) != 0;
    const bool width = spriteSizeField(text, 2) != 0;
    const auto field = [text](const char* name, std::size_t offset) {
        return std::string("its ") + name + " field \"" +
               std::string(text.substr(std::min(offset, text.size()), 2)) + "\"";
    };
    if (height && width)
        return "";
    if (height)
        return field("width", 2) + " is not 01 to 15; only the height was applied";
    if (width)
        return field("height", 0) + " is not 01 to 15; only the width was applied";
    return field("height", 0) + " and " + field("width", 2).substr(4) +
           " are not 01 to 15; neither size nor any cell was applied";
}

SpriteFileContent readSpriteFile(std::string_view text)
{
    SpriteFileContent content;
    content.height = spriteSizeField(text, 0);
    content.width = spriteSizeField(text, 2);
    const std::size_t count = static_cast<std::size_t>(content.height * content.width);
    content.cells.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t position = 4 + i;
        const bool white = position < text.size() && text[position] == '0';
        content.cells.push_back(white ? White : Black);
    }
    return content;
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

} // namespace quillox
