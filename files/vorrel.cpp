#include "vorrel.h"

#include "filewrite.h"

#include <QFile>
#include <QFileInfo>

namespace quillox::vorrel
{

std::optional<QString> SaveSpriteFile(const QString& name, const std::string& buffer)
{
    WriteFailure failure;
    if (writeWholeFile(name, QByteArray::fromStdString(spriteFileBytes(buffer)), failure))
        return std::nullopt;
    return failure.reason;
}

std::optional<QString> readFilePrefix(const QString& name, std::size_t limit, std::string& out)
{
    if (name.isEmpty())
        return QStringLiteral("No file name was given.");
    const QFileInfo info(name);
    if (!info.exists())
        return QStringLiteral("The file does not exist.");
    if (info.isDir())
        return QStringLiteral("It is a folder, not a file.");
    // Opening a named pipe or a device could block or never end.
    if (!info.isFile())
        return QStringLiteral("It is not a regular file.");
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    std::string bytes(limit, '\0');
    const qint64 read = file.read(bytes.data(), static_cast<qint64>(limit));
    if (read < 0)
        return file.errorString();
    bytes.resize(static_cast<std::size_t>(read));
    out = std::move(bytes);
    return std::nullopt;
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

} // namespace quillox::vorrel
