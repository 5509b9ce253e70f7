#include "app/exitlog.h"

#include "platform/platform.h"
#include "platform/qtfileaccess.h"

#include <QDir>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace quillox
{

namespace
{

std::filesystem::path nativePath(const QString& path)
{
    return std::filesystem::path(path.toStdU16String());
}

QString describe(const std::error_code& error)
{
    return QString::fromLocal8Bit(error.message().c_str());
}

QString withPath(const QString& path, const QString& description)
{
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), description);
}

// Only a plain file is deleted as the log.
std::optional<QString> notAPlainFile(const std::filesystem::file_status& status)
{
    if (status.type() == std::filesystem::file_type::directory)
        return describe(std::make_error_code(std::errc::is_a_directory));
    if (status.type() != std::filesystem::file_type::regular)
        return QStringLiteral("Not a regular file");
    return std::nullopt;
}

} // namespace

QByteArray exitRecord(const QTime& time, const QDate& date, WayOfClosing way)
{
    QByteArray record = "\r\nQuillox v.1.25 was closed: ";
    record += time.toString(QStringLiteral("hh:mm:ss")).toLatin1();
    record += ' ';
    record += date.toString(QStringLiteral("MM-dd-yyyy")).toLatin1();
    record += way == WayOfClosing::ExitCommand ? "  With the Exit-button"
                                               : "  Without using the Exit-button";
    record += "\r\n";
    return record;
}

std::optional<QString> appendExitRecord(Platform& platform, WayOfClosing way)
{
    const QString path = platform.exitLogPath();
    const QTime time = platform.currentTime();
    const QDate date = platform.currentDate();
    FileError failure;
    if (appendWhole(path, exitRecord(time, date, way), failure))
        return std::nullopt;
    return withPath(path, failure.reason);
}

LogSize exitLogSize(const QString& path)
{
    FileError failure;
    if (const std::optional<qint64> bytes = regularFileSize(path, failure))
        return {LogSize::State::Present, *bytes, {}};
    if (failure.code == ENOENT || failure.code == ENOTDIR)
        return {};
    return {LogSize::State::Failed, 0, withPath(path, failure.reason)};
}

std::optional<QString> deleteExitLog(const QString& path)
{
    std::error_code error;
    const auto status = std::filesystem::status(nativePath(path), error);
    if (error)
        return withPath(path, describe(error));
    if (const auto failure = notAPlainFile(status))
        return withPath(path, *failure);
    if (!std::filesystem::remove(nativePath(path), error) || error)
        return withPath(
            path,
            describe(error ? error : std::make_error_code(std::errc::no_such_file_or_directory)));
    return std::nullopt;
}

QString displayedLogPath(const QString& path)
{
    const QString home = userHomeFolder() + QLatin1Char('/');
    if (path.startsWith(home))
        return QStringLiteral("~/") + path.mid(home.size());
#ifdef Q_OS_WIN
    return QDir::toNativeSeparators(path).toLower();
#else
    return QDir::toNativeSeparators(path);
#endif
}

} // namespace quillox
