#include "platform/qtfileaccess.h"

#include <QFile>

#include <cerrno>

namespace quillox
{

namespace
{

bool noName(FileError& error)
{
    error = {QStringLiteral("No file name was given."), ENOENT};
    return false;
}

QString decodedName(const std::string& name)
{
#ifdef Q_OS_WIN
    return QString::fromStdString(name);
#else
    return QFile::decodeName(QByteArray::fromStdString(name));
#endif
}

// The system's text: UTF-8 on Windows, the locale's encoding on POSIX.
QString decodedReason(const std::string& reason)
{
#ifdef Q_OS_WIN
    return QString::fromStdString(reason);
#else
    return QString::fromLocal8Bit(reason.data(), qsizetype(reason.size()));
#endif
}

} // namespace

std::string systemFileName(const QString& path)
{
#ifdef Q_OS_WIN
    return path.toStdString();
#else
    return QFile::encodeName(path).toStdString();
#endif
}

FileError editorFileError(const fileaccess::Failure& failure)
{
    switch (failure.problem) {
    case fileaccess::Problem::System:
    case fileaccess::Problem::Folder:
        return {failure.reason.empty() ? QStringLiteral("Error %1").arg(failure.systemError)
                                       : decodedReason(failure.reason),
                failure.code, failure.problem == fileaccess::Problem::Folder};
    case fileaccess::Problem::NotRegular:
    case fileaccess::Problem::NoReader:
        break;
    }
    return {QStringLiteral("Not a regular file"), failure.code};
}

bool writeWholeFile(const QString& path, const QByteArray& bytes, FileError& error)
{
    if (path.isEmpty())
        return noName(error);
    fileaccess::Failure failure;
    if (fileaccess::writeWholeFile(systemFileName(path),
                                   {bytes.constData(), std::size_t(bytes.size())}, failure))
        return true;
    error = editorFileError(failure);
    return false;
}

bool readRegularFile(const QString& path, std::size_t limit, std::string& out, FileError& error)
{
    if (path.isEmpty())
        return noName(error);
    fileaccess::Failure failure;
    if (fileaccess::readRegularFile(systemFileName(path), limit, out, failure))
        return true;
    error = editorFileError(failure);
    return false;
}

std::optional<qint64> regularFileSize(const QString& path, FileError& error)
{
    if (path.isEmpty()) {
        noName(error);
        return std::nullopt;
    }
    fileaccess::Failure failure;
    const std::optional<std::int64_t> size =
        fileaccess::regularFileSize(systemFileName(path), failure);
    if (!size)
        error = editorFileError(failure);
    return size;
}

bool appendWhole(const QString& path, const QByteArray& bytes, FileError& error)
{
    if (path.isEmpty())
        return noName(error);
    fileaccess::Failure failure;
    if (fileaccess::appendWhole(systemFileName(path),
                                {bytes.constData(), std::size_t(bytes.size())}, failure))
        return true;
    error = editorFileError(failure);
    return false;
}

QString userHomeFolder()
{
    return decodedName(fileaccess::userHomeFolder());
}

} // namespace quillox
