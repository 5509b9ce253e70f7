#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QTime>

#include <optional>

namespace quillox
{

class Platform;

enum class WayOfClosing { ExitCommand, Other };

// One record of the exit log: CR LF, the text line, CR LF.
QByteArray exitRecord(const QTime& time, const QDate& date, WayOfClosing way);

// Appends the record for `way` to the exit log in one piece, reading the
// time before the date. Returns the failure's description with the path, or
// nothing when it was written; a record that fails leaves the log as it was.
std::optional<QString> appendExitRecord(Platform& platform, WayOfClosing way);

// The exit log's size in bytes, the fact that it does not exist, or the
// description of any other failure.
struct LogSize {
    enum class State { Present, Missing, Failed };
    State state = State::Missing;
    qint64 bytes = 0;
    QString failure;
};

LogSize exitLogSize(const QString& path);

// Deletes the exit log. Returns the failure's description, a missing log
// included, or nothing when it was deleted.
std::optional<QString> deleteExitLog(const QString& path);

// The log's path as the user knows it: "~/quillox.ini" under the home folder.
QString displayedLogPath(const QString& path);

} // namespace quillox
