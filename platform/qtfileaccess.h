#pragma once

// The editor's side of the file layer (platform/fileaccess.h): QString names
// and the editor's wording of failures.

#include "platform/fileaccess.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <string>

namespace quillox
{

// What went wrong, as the editor shows it: the system's description (or
// "Not a regular file", "No file name was given.") and the error number.
struct FileError {
    QString reason;
    int code = 0;
    // The name is a folder's, which a caller may word its own way.
    bool isFolder = false;
};

// The bytes the system calls take for `path`: QFile::encodeName on POSIX,
// UTF-8 on Windows.
std::string systemFileName(const QString& path);

FileError editorFileError(const fileaccess::Failure& failure);

// These do what the fileaccess functions of the same name do, with the
// editor's rules; an empty name fails with "No file name was given.".
bool writeWholeFile(const QString& path, const QByteArray& bytes, FileError& error);
bool readRegularFile(const QString& path, std::size_t limit, std::string& out, FileError& error);
std::optional<qint64> regularFileSize(const QString& path, FileError& error);
bool appendWhole(const QString& path, const QByteArray& bytes, FileError& error);
QString userHomeFolder();

} // namespace quillox
