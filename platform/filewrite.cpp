#include "filewrite.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace quillox
{

namespace
{

template <typename File> bool writeAll(File& file, const QByteArray& bytes)
{
    return file.write(bytes) == bytes.size();
}

bool fail(const QFileDevice& file, WriteFailure& failure)
{
    failure.reason = file.errorString();
    failure.code = static_cast<int>(file.error());
    return false;
}

} // namespace

bool writeWholeFile(const QString& path, const QByteArray& bytes, WriteFailure& failure)
{
    if (path.isEmpty()) {
        failure = {QStringLiteral("No file name was given."), static_cast<int>(QFile::OpenError)};
        return false;
    }
    const QFileInfo info(path);
    if (info.exists() && !info.isFile() && !info.isDir()) {
        QFile device(path);
        if (!device.open(QIODevice::WriteOnly) || !writeAll(device, bytes) || !device.flush())
            return fail(device, failure);
        return true;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file, failure);
    // QSaveFile::commit() does not see a short write (a full disk, a size
    // limit) that happens while flushing its buffer, so flush first.
    if (!writeAll(file, bytes) || !file.flush() || file.error() != QFileDevice::NoError) {
        fail(file, failure);
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
        return fail(file, failure);
    return true;
}

} // namespace quillox
