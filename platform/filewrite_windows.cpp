// File access through the Windows calls: every open is checked with
// GetFileType on its own handle, so a device (NUL, CON, COM1) or a pipe is
// refused, and a replacement ends with MoveFileExW.
#include "platform/filewrite.h"

#include <QDir>

#include <algorithm>
#include <cerrno>
#include <random>

#include <windows.h>

namespace quillox
{

namespace
{

constexpr std::size_t WriteBuffer = 64 * 1024;
constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
const QString TemporaryMark = QStringLiteral(".quillox-");

HANDLE handleOf(std::intptr_t descriptor)
{
    return reinterpret_cast<HANDLE>(descriptor);
}

std::wstring nativeName(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

// The callers compare error numbers with the C library's, as on Linux.
int errnoOf(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    default:
        return EIO;
    }
}

bool fail(DWORD error, WriteFailure& failure)
{
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    QString reason = length ? QString::fromWCharArray(text, int(length)).trimmed()
                            : QStringLiteral("Error %1").arg(error);
    LocalFree(text);
    if (reason.endsWith(QLatin1Char('.')))
        reason.chop(1);
    failure = {reason, errnoOf(error)};
    return false;
}

bool failLast(WriteFailure& failure)
{
    return fail(GetLastError(), failure);
}

bool refuse(bool folder, WriteFailure& failure)
{
    failure = folder ? WriteFailure{QStringLiteral("Is a directory"), EISDIR}
                     : WriteFailure{QStringLiteral("Not a regular file"), EINVAL};
    return false;
}

// Names in the device namespace (\\.\pipe\NAME, \\.\COM1) are refused
// before any open: opening a pipe would take one of its connections.
bool isDeviceNamespace(const QString& path)
{
    const QString name = QDir::fromNativeSeparators(path);
    return name.startsWith(QLatin1String("//./"));
}

bool noName(WriteFailure& failure)
{
    failure = {QStringLiteral("No file name was given."), ENOENT};
    return false;
}

// Opens `name` and keeps the handle only when it is a file on a disk: a
// device or a pipe is closed again before anything is read or written.
HANDLE openRegular(const std::wstring& name, DWORD access, DWORD disposition, WriteFailure& failure)
{
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        refuse(true, failure);
        return INVALID_HANDLE_VALUE;
    }
    const HANDLE file = CreateFileW(name.c_str(), access, ShareAll, nullptr, disposition,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        failLast(failure);
        return file;
    }
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        refuse(false, failure);
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

bool writeAll(HANDLE file, const char* data, std::size_t size, WriteFailure& failure)
{
    while (size > 0) {
        DWORD written = 0;
        const DWORD piece = DWORD(std::min<std::size_t>(size, 1 << 30));
        if (!WriteFile(file, data, piece, &written, nullptr))
            return failLast(failure);
        if (written == 0)
            return fail(ERROR_DISK_FULL, failure);
        data += written;
        size -= written;
    }
    return true;
}

// Removes temporaries that start with `prefix` and that no running save
// holds open: a running save shares its temporary with nobody, so only what
// a killed save left can be deleted.
void removeStaleTemporaries(const QString& folder, const QString& prefix)
{
    WIN32_FIND_DATAW entry;
    const std::wstring pattern = nativeName(folder + QLatin1Char('/') + prefix + QLatin1Char('*'));
    const HANDLE search = FindFirstFileW(pattern.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const QString name = QString::fromWCharArray(entry.cFileName);
        if (name.size() == prefix.size() + 6 &&
            !(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileW(nativeName(folder + QLatin1Char('/') + name).c_str());
    } while (FindNextFileW(search, &entry));
    FindClose(search);
}

QString randomLetters()
{
    static std::mt19937 generator{std::random_device{}()};
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString text;
    for (int i = 0; i < 6; ++i)
        text += QLatin1Char(letters[generator() % (sizeof letters - 1)]);
    return text;
}

} // namespace

FileReplacement::FileReplacement(const QString& path) : path_(path) {}

bool FileReplacement::open(WriteFailure& failure)
{
    cancel();
    if (path_.isEmpty())
        return noName(failure);
    if (isDeviceNamespace(path_))
        return refuse(false, failure);
    const std::wstring name = nativeName(path_);
    const HANDLE existing = CreateFileW(name.c_str(), 0, ShareAll, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (existing == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? openTemporary(path_.toUtf8(), -1, failure)
                                             : fail(error, failure);
    }
    // A device (NUL, CON, COM1) or a pipe is never a sprite's file.
    BY_HANDLE_FILE_INFORMATION information;
    const bool disk = GetFileType(existing) == FILE_TYPE_DISK;
    const bool examined = disk && GetFileInformationByHandle(existing, &information);
    const DWORD error = GetLastError();
    // A link keeps pointing at the file it names, which is the one replaced.
    QString target = path_;
    if (examined && (GetFileAttributesW(name.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT)) {
        wchar_t resolved[32768];
        const DWORD length =
            GetFinalPathNameByHandleW(existing, resolved, 32768, FILE_NAME_NORMALIZED);
        if (length > 0 && length < 32768)
            target = QString::fromWCharArray(resolved, int(length));
    }
    CloseHandle(existing);
    if (!disk)
        return refuse(false, failure);
    if (!examined)
        return fail(error, failure);
    if (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return refuse(true, failure);
    return openTemporary(target.toUtf8(), 0, failure);
}

// `target` is the name as QFile::encodeName gives it; `mode` is -1 for a new
// file and 0 for one that exists.
bool FileReplacement::openTemporary(const QByteArray& target, int mode, WriteFailure& failure)
{
    const QString name = QDir::fromNativeSeparators(QString::fromUtf8(target));
    const int slash = name.lastIndexOf(QLatin1Char('/'));
    const QString folder = slash < 0 ? QStringLiteral(".") : name.left(slash);
    const QString prefix = QLatin1Char('.') + name.mid(slash + 1) + TemporaryMark;
    removeStaleTemporaries(folder, prefix);
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 100 && error == ERROR_FILE_EXISTS; ++attempt) {
        const QString temporary = folder + QLatin1Char('/') + prefix + randomLetters();
        // Shared with nobody: a later save cannot delete it while it is in use.
        const HANDLE file = CreateFileW(nativeName(temporary).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            descriptor_ = reinterpret_cast<std::intptr_t>(file);
            temporary_ = temporary.toUtf8();
            target_ = target;
            mode_ = Mode::Temporary;
            return true;
        }
        error = GetLastError();
    }
    if (error != ERROR_ACCESS_DENIED || mode < 0)
        return fail(error, failure);
    // A folder that may not be written, holding a file that may: the file
    // is written in place, all at once on commit().
    const HANDLE file = openRegular(nativeName(name), GENERIC_WRITE, OPEN_EXISTING, failure);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    descriptor_ = reinterpret_cast<std::intptr_t>(file);
    mode_ = Mode::InPlace;
    return true;
}

bool FileReplacement::flush(WriteFailure& failure)
{
    if (!writeAll(handleOf(descriptor_), pending_.data(), pending_.size(), failure)) {
        cancel();
        return false;
    }
    pending_.clear();
    return true;
}

bool FileReplacement::write(const char* data, qint64 size, WriteFailure& failure)
{
    if (mode_ == Mode::Closed)
        return fail(ERROR_INVALID_HANDLE, failure);
    pending_.append(data, static_cast<std::size_t>(size));
    return mode_ == Mode::InPlace || pending_.size() < WriteBuffer || flush(failure);
}

bool FileReplacement::commit(WriteFailure& failure)
{
    if (mode_ == Mode::Closed || mode_ == Mode::Device)
        return fail(ERROR_INVALID_HANDLE, failure);
    const HANDLE file = handleOf(descriptor_);
    LARGE_INTEGER size;
    size.QuadPart = LONGLONG(pending_.size());
    const bool inPlace = mode_ == Mode::InPlace;
    if (!flush(failure))
        return false;
    // In place: over the old bytes first, then cut to the new length.
    if ((inPlace && (!SetFilePointerEx(file, size, nullptr, FILE_BEGIN) || !SetEndOfFile(file))) ||
        !FlushFileBuffers(file)) {
        failLast(failure);
        cancel();
        return false;
    }
    descriptor_ = -1;
    mode_ = Mode::Closed;
    if (!CloseHandle(file)) {
        failLast(failure);
        cancel();
        return false;
    }
    if (inPlace)
        return true;
    const std::wstring temporary = nativeName(QString::fromUtf8(temporary_));
    SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!MoveFileExW(temporary.c_str(), nativeName(QString::fromUtf8(target_)).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        failLast(failure);
        cancel();
        return false;
    }
    temporary_.clear();
    return true;
}

void FileReplacement::cancel()
{
    if (descriptor_ != -1)
        CloseHandle(handleOf(descriptor_));
    if (!temporary_.isEmpty())
        DeleteFileW(nativeName(QString::fromUtf8(temporary_)).c_str());
    descriptor_ = -1;
    temporary_.clear();
    pending_.clear();
    mode_ = Mode::Closed;
}

bool readRegularFile(const QString& path, std::size_t limit, std::string& out,
                     WriteFailure& failure)
{
    if (path.isEmpty())
        return noName(failure);
    const HANDLE file = openRegular(nativeName(path), GENERIC_READ, OPEN_EXISTING, failure);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    std::string bytes(limit, '\0');
    std::size_t filled = 0;
    while (filled < limit) {
        DWORD read = 0;
        const DWORD wanted = DWORD(std::min<std::size_t>(limit - filled, 1 << 30));
        if (!ReadFile(file, bytes.data() + filled, wanted, &read, nullptr)) {
            failLast(failure);
            CloseHandle(file);
            return false;
        }
        if (read == 0)
            break;
        filled += read;
    }
    CloseHandle(file);
    bytes.resize(filled);
    out = std::move(bytes);
    return true;
}

std::optional<qint64> regularFileSize(const QString& path, WriteFailure& failure)
{
    // The attributes only: nothing is opened, so nothing can hold the call.
    if (path.isEmpty()) {
        noName(failure);
        return std::nullopt;
    }
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(nativeName(path).c_str(), GetFileExInfoStandard, &data)) {
        failLast(failure);
        return std::nullopt;
    }
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        refuse(true, failure);
        return std::nullopt;
    }
    return (qint64(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool appendWhole(const QString& path, const QByteArray& bytes, WriteFailure& failure)
{
    if (path.isEmpty())
        return noName(failure);
    const std::wstring name = nativeName(path);
    HANDLE file = openRegular(name, GENERIC_WRITE, OPEN_EXISTING, failure);
    bool created = false;
    if (file == INVALID_HANDLE_VALUE && failure.code == ENOENT) {
        file = openRegular(name, GENERIC_WRITE, CREATE_NEW, failure);
        created = file != INVALID_HANDLE_VALUE;
    }
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER oldSize{};
    const LARGE_INTEGER zero{};
    bool written = GetFileSizeEx(file, &oldSize) && SetFilePointerEx(file, zero, nullptr, FILE_END);
    if (!written)
        failLast(failure);
    written = written && writeAll(file, bytes.constData(), std::size_t(bytes.size()), failure);
    if (written && !FlushFileBuffers(file))
        written = failLast(failure);
    if (!written) {
        // Leave the log exactly as it was.
        if (!created &&
            (!SetFilePointerEx(file, oldSize, nullptr, FILE_BEGIN) || !SetEndOfFile(file)))
            failure.reason += QStringLiteral(" (the partial record could not be removed)");
        CloseHandle(file);
        if (created)
            DeleteFileW(name.c_str());
        return false;
    }
    return CloseHandle(file) || failLast(failure);
}

// HOME when it is set, as on Linux (MSYS and Cygwin shells set it), else
// the user's profile folder.
QString userHomeFolder()
{
    const QString home = qEnvironmentVariable("HOME");
    return home.isEmpty() ? QDir::homePath() : QDir::fromNativeSeparators(home);
}

} // namespace quillox
