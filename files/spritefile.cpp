#include "files/spritefile.h"

namespace quillox
{

namespace
{

void appendTwoDigits(std::string& out, int value)
{
    out += static_cast<char>('0' + value / 10);
    out += static_cast<char>('0' + value % 10);
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

} // namespace quillox
