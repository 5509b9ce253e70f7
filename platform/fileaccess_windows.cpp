// File access through the Windows calls: names are UTF-8, turned into wide
// names for every call; every open is checked with GetFileType on its own
// handle, so a device (NUL, CON, COM1) or a pipe is refused, and a
// replacement ends with MoveFileExW.
#include "platform/fileaccess.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cwchar>
#include <random>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace quillox::fileaccess
{

namespace
{

constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr const char* TemporaryMark = ".quillox-";

std::atomic<std::size_t> openedForReading{0};

HANDLE handleOf(std::intptr_t handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

std::string utf8Text(const wchar_t* wide, std::size_t size)
{
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide, int(size), nullptr, 0, nullptr, nullptr);
    std::string text(std::size_t(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, int(size), text.data(), length, nullptr, nullptr);
    return text;
}

} // namespace

std::wstring wideText(const std::string& text)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(std::size_t(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wide.data(), length);
    return wide;
}

std::string utf8Text(const std::wstring& text)
{
    return utf8Text(text.data(), text.size());
}

std::string systemReason(unsigned long error)
{
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string reason = length ? utf8Text(text, length) : std::string();
    LocalFree(text);
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!reason.empty() && space(reason.back()))
        reason.pop_back();
    reason.erase(
        0, std::size_t(std::find_if_not(reason.begin(), reason.end(), space) - reason.begin()));
    if (!reason.empty() && reason.back() == '.')
        reason.pop_back();
    return reason;
}

namespace
{

// The wide name of `name`, with the system's separators.
std::wstring nativeName(const std::string& name)
{
    std::wstring wide = wideText(name);
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    return wide;
}

// The callers compare error numbers with the C library's, as on POSIX.
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

bool fail(DWORD error, Failure& failure)
{
    failure = {Problem::System, systemReason(error), errnoOf(error), error};
    return false;
}

bool failLast(Failure& failure)
{
    return fail(GetLastError(), failure);
}

bool refuse(bool folder, Failure& failure)
{
    failure = folder ? Failure{Problem::Folder, "Is a directory", EISDIR}
                     : Failure{Problem::NotRegular, {}, EINVAL};
    return false;
}

// Names in the device namespace (\\.\pipe\NAME, \\.\COM1) are refused
// before any open: opening a pipe would take one of its connections.
bool isDeviceNamespace(const std::wstring& name)
{
    return name.compare(0, 4, L"\\\\.\\") == 0;
}

// Opens `name` and keeps the handle only when it is a file on a disk: a
// device or a pipe is closed again before anything is read or written.
HANDLE openRegular(const std::wstring& name, DWORD access, DWORD disposition, Failure& failure)
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

bool writeAll(HANDLE file, const char* data, std::size_t size, Failure& failure)
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

bool readBounded(HANDLE file, std::size_t limit, std::string& out, Failure& failure)
{
    std::string bytes;
    char chunk[65536];
    while (bytes.size() < limit) {
        const DWORD wanted = DWORD(std::min(sizeof chunk, limit - bytes.size()));
        DWORD got = 0;
        if (!ReadFile(file, chunk, wanted, &got, nullptr)) {
            // A pipe whose writer has gone is the end of the input.
            if (GetLastError() == ERROR_BROKEN_PIPE)
                break;
            return failLast(failure);
        }
        if (got == 0)
            break;
        bytes.append(chunk, got);
    }
    out = std::move(bytes);
    return true;
}

// Removes temporaries that start with `prefix` and that no running
// replacement holds open: a running one shares its temporary with nobody, so
// only what a killed one left can be deleted.
void removeStaleTemporaries(const std::string& folder, const std::string& prefix)
{
    WIN32_FIND_DATAW entry;
    const std::wstring pattern = nativeName(folder + "/" + prefix + "*");
    const HANDLE search = FindFirstFileW(pattern.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return;
    const std::size_t prefixLength = wideText(prefix).size();
    do {
        if (std::wcslen(entry.cFileName) == prefixLength + 6 &&
            !(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileW((nativeName(folder) + L"\\" + std::wstring(entry.cFileName)).c_str());
    } while (FindNextFileW(search, &entry));
    FindClose(search);
}

std::string randomLetters()
{
    static std::mt19937 generator{std::random_device{}()};
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string text;
    for (int i = 0; i < 6; ++i)
        text += letters[generator() % (sizeof letters - 1)];
    return text;
}

} // namespace

bool FileReplacement::open(Failure& failure)
{
    cancel();
    if (special_ == SpecialFiles::Stream && name_ == "-") {
        mode_ = Mode::StandardOutput;
        return true;
    }
    const std::wstring name = nativeName(name_);
    if (special_ == SpecialFiles::Refuse && isDeviceNamespace(name))
        return refuse(false, failure);
    const HANDLE existing = CreateFileW(name.c_str(), 0, ShareAll, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (existing == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? openTemporary(name_, -1, failure)
                                             : fail(error, failure);
    }
    BY_HANDLE_FILE_INFORMATION information;
    const bool disk = GetFileType(existing) == FILE_TYPE_DISK;
    const bool examined = disk && GetFileInformationByHandle(existing, &information);
    const DWORD error = GetLastError();
    // A link keeps pointing at the file it names, which is the one replaced.
    std::string target = name_;
    if (examined && (GetFileAttributesW(name.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT)) {
        std::wstring resolved(32768, L'\0');
        const DWORD length =
            GetFinalPathNameByHandleW(existing, resolved.data(), 32768, FILE_NAME_NORMALIZED);
        if (length > 0 && length < 32768)
            target = utf8Text(resolved.data(), length);
    }
    CloseHandle(existing);
    if (!disk && special_ == SpecialFiles::Stream) {
        // The converter's one exception to the refusal of devices: "-o NUL"
        // and a pipe that a program reads are written directly.
        const HANDLE file =
            CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return failLast(failure);
        handle_ = reinterpret_cast<std::intptr_t>(file);
        mode_ = Mode::Direct;
        return true;
    }
    // A device (NUL, CON, COM1) or a pipe is never a sprite's file.
    if (!disk)
        return refuse(false, failure);
    if (!examined)
        return fail(error, failure);
    if (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return refuse(true, failure);
    return openTemporary(target, 0, failure);
}

// `mode` is -1 for a new file and 0 for one that exists.
bool FileReplacement::openTemporary(const std::string& target, int mode, Failure& failure)
{
    const std::size_t slash = target.find_last_of("/\\");
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash);
    const std::string prefix =
        '.' + (slash == std::string::npos ? target : target.substr(slash + 1)) + TemporaryMark;
    removeStaleTemporaries(folder, prefix);
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 100 && error == ERROR_FILE_EXISTS; ++attempt) {
        const std::string temporary = folder + "/" + prefix + randomLetters();
        // Shared with nobody: a later replacement cannot delete it while it
        // is in use.
        const HANDLE file = CreateFileW(nativeName(temporary).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            handle_ = reinterpret_cast<std::intptr_t>(file);
            temporary_ = temporary;
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
    const HANDLE file = openRegular(nativeName(target), GENERIC_WRITE, OPEN_EXISTING, failure);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    handle_ = reinterpret_cast<std::intptr_t>(file);
    mode_ = Mode::InPlace;
    return true;
}

bool FileReplacement::failClosed(Failure& failure)
{
    return fail(ERROR_INVALID_HANDLE, failure);
}

bool FileReplacement::flush(Failure& failure)
{
    if (!writeAll(handleOf(handle_), pending_.data(), pending_.size(), failure)) {
        cancel();
        return false;
    }
    pending_.clear();
    return true;
}

bool FileReplacement::commit(Failure& failure)
{
    if (mode_ == Mode::Closed)
        return fail(ERROR_INVALID_HANDLE, failure);
    if (mode_ == Mode::StandardOutput) {
        mode_ = Mode::Closed;
        return true;
    }
    const HANDLE file = handleOf(handle_);
    if (mode_ == Mode::Direct) {
        handle_ = -1;
        mode_ = Mode::Closed;
        return CloseHandle(file) || failLast(failure);
    }
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
    handle_ = -1;
    mode_ = Mode::Closed;
    if (!CloseHandle(file)) {
        failLast(failure);
        cancel();
        return false;
    }
    if (inPlace)
        return true;
    const std::wstring temporary = nativeName(temporary_);
    SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!MoveFileExW(temporary.c_str(), nativeName(target_).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        failLast(failure);
        cancel();
        return false;
    }
    temporary_.clear();
    return true;
}

void FileReplacement::closeHandle()
{
    if (handle_ != -1 && ownsHandle_)
        CloseHandle(handleOf(handle_));
    handle_ = -1;
    ownsHandle_ = true;
}

void FileReplacement::cancel()
{
    closeHandle();
    if (!temporary_.empty())
        DeleteFileW(nativeName(temporary_).c_str());
    temporary_.clear();
    pending_.clear();
    mode_ = Mode::Closed;
}

bool readRegularFile(const std::string& name, std::size_t limit, std::string& out, Failure& failure)
{
    const HANDLE file = openRegular(nativeName(name), GENERIC_READ, OPEN_EXISTING, failure);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    ++openedForReading;
    const bool read = readBounded(file, limit, out, failure);
    CloseHandle(file);
    return read;
}

bool readStandardInput(std::size_t limit, std::string& out, Failure& failure)
{
    return readBounded(GetStdHandle(STD_INPUT_HANDLE), limit, out, failure);
}

std::size_t filesOpenedForReading()
{
    return openedForReading;
}

std::optional<std::int64_t> regularFileSize(const std::string& name, Failure& failure)
{
    // The attributes only: nothing is opened, so nothing can hold the call.
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(nativeName(name).c_str(), GetFileExInfoStandard, &data)) {
        failLast(failure);
        return std::nullopt;
    }
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        refuse(true, failure);
        return std::nullopt;
    }
    return (std::int64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool appendWhole(const std::string& name, std::string_view bytes, Failure& failure)
{
    const std::wstring wide = nativeName(name);
    HANDLE file = openRegular(wide, GENERIC_WRITE, OPEN_EXISTING, failure);
    bool created = false;
    if (file == INVALID_HANDLE_VALUE && failure.problem == Problem::System &&
        failure.code == ENOENT) {
        file = openRegular(wide, GENERIC_WRITE, CREATE_NEW, failure);
        created = file != INVALID_HANDLE_VALUE;
    }
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER oldSize{};
    const LARGE_INTEGER zero{};
    bool written = GetFileSizeEx(file, &oldSize) && SetFilePointerEx(file, zero, nullptr, FILE_END);
    if (!written)
        failLast(failure);
    written = written && writeAll(file, bytes.data(), bytes.size(), failure);
    if (written && !FlushFileBuffers(file))
        written = failLast(failure);
    if (!written) {
        // Leave the log exactly as it was.
        if (!created &&
            (!SetFilePointerEx(file, oldSize, nullptr, FILE_BEGIN) || !SetEndOfFile(file)))
            failure.reason += " (the partial record could not be removed)";
        CloseHandle(file);
        if (created)
            DeleteFileW(wide.c_str());
        return false;
    }
    return CloseHandle(file) || failLast(failure);
}

// HOME when it is set, as on POSIX (MSYS and Cygwin shells set it), else the
// user's profile folder.
std::string userHomeFolder()
{
    for (const wchar_t* variable : {L"HOME", L"USERPROFILE"}) {
        const wchar_t* value = _wgetenv(variable);
        if (value && *value) {
            std::string home = utf8Text(value, std::wcslen(value));
            std::replace(home.begin(), home.end(), '\\', '/');
            return home;
        }
    }
    return {};
}

std::vector<std::string> programArguments(int, char*[])
{
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> result;
    for (int i = 1; i < count; ++i)
        result.push_back(utf8Text(arguments[i], std::wcslen(arguments[i])));
    LocalFree(arguments);
    return result;
}

void setStandardStreamsBinary()
{
    // CR LF line ends are the code's own, not the C library's translation.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

bool standardOutputIsTerminal()
{
    return _isatty(_fileno(stdout)) != 0;
}

} // namespace quillox::fileaccess
