#include "files/vorrel.h"

#include "platform/qtfileaccess.h"

namespace quillox::vorrel
{

std::optional<QString> SaveSpriteFile(const QString& name, const std::string& buffer)
{
    FileError failure;
    if (writeWholeFile(name, QByteArray::fromStdString(spriteFileBytes(buffer)), failure))
        return std::nullopt;
    return failure.reason;
}

std::optional<QString> readFilePrefix(const QString& name, std::size_t limit, std::string& out)
{
    FileError failure;
    if (readRegularFile(name, limit, out, failure))
        return std::nullopt;
    return failure.reason;
}

std::optional<QString> LoadSpriteFile(const QString& name, std::string& buffer, LoadTarget& target)
{
    std::string text;
    if (auto failure = readFilePrefix(name, MaxSpriteFileRead, text))
        return failure;
    buffer = std::move(text);
    applySpriteFile(buffer, target);
    return std::nullopt;
}

void applySpriteFile(const std::string& buffer, LoadTarget& target)
{
    const SpriteFileContent content = readSpriteFile(buffer);
    // An unrecognised size asks for position 16, which the slider refuses.
    target.setRowSliderPosition(SpriteGrid::Side + 1 - content.height);
    target.setColumnSliderPosition(SpriteGrid::Side + 1 - content.width);
    const int firstRow = SpriteGrid::Side + 1 - content.height;
    const int firstColumn = SpriteGrid::Side + 1 - content.width;
    std::size_t next = 0;
    for (int row = firstRow; row <= SpriteGrid::Side && next < content.cells.size(); ++row)
        for (int column = firstColumn; column <= SpriteGrid::Side; ++column)
            target.setCellColour(row, column, content.cells[next++]);
    target.rebuildCode();
}

void applySprite(const SpriteGrid& sprite, LoadTarget& target)
{
    target.setRowSliderPosition(sprite.rowPosition());
    target.setColumnSliderPosition(sprite.columnPosition());
    // Every cell, so that no earlier sprite's pixels wait in the hidden ones.
    for (int row = 1; row <= SpriteGrid::Side; ++row)
        for (int column = 1; column <= SpriteGrid::Side; ++column)
            target.setCellColour(row, column,
                                 row >= sprite.rowPosition() && column >= sprite.columnPosition()
                                     ? sprite.colour(row, column)
                                     : White);
    target.rebuildCode();
}

} // namespace quillox::vorrel
