#include "convert/outputfile.h"
#include "convert/windowsnames.h"

#include <algorithm>
#include <random>

#include <windows.h>

namespace quillox
{

namespace
{

HANDLE handleOf(std::intptr_t handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

std::string lastReason()
{
    return windowsReason(GetLastError());
}

std::string randomLetters()
{
    static std::mt19937 generator{std::random_device{}()};
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string text;
    for (int i = 0; i < 6; ++i)
        text += letters[generator() % (sizeof letters - 1)];
    return text;
}

} // namespace

OutputFile::~OutputFile()
{
    cancel();
}

bool OutputFile::open(std::string& reason)
{
    if (path_ == "-") {
        kind_ = Kind::StandardOutput;
        return true;
    }
    const std::wstring name = wideName(path_);
    const HANDLE existing =
        CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    const bool exists = existing != INVALID_HANDLE_VALUE;
    const DWORD type = exists ? GetFileType(existing) : FILE_TYPE_UNKNOWN;
    if (exists)
        CloseHandle(existing);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (exists && type == FILE_TYPE_DISK && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        reason = "it is a folder";
        return false;
    }
    if (exists && type != FILE_TYPE_DISK) {
        // A device such as NUL, or a pipe that a program reads: written directly.
        const HANDLE file =
            CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            reason = lastReason();
            return false;
        }
        fd_ = reinterpret_cast<std::intptr_t>(file);
        kind_ = Kind::Stream;
        return true;
    }
    const std::size_t slash = path_.find_last_of("/\\");
    const std::string folder = slash == std::string::npos ? "" : path_.substr(0, slash + 1);
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 100 && error == ERROR_FILE_EXISTS; ++attempt) {
        temporary_ = folder + "." + path_.substr(folder.size()) + "." + randomLetters();
        const HANDLE file = CreateFileW(wideName(temporary_).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            fd_ = reinterpret_cast<std::intptr_t>(file);
            kind_ = Kind::Replacement;
            return true;
        }
        error = GetLastError();
    }
    reason = windowsReason(error);
    temporary_.clear();
    return false;
}

bool OutputFile::write(std::string_view bytes, std::string& reason)
{
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD piece = DWORD(std::min<std::size_t>(bytes.size(), 1 << 30));
        if (!WriteFile(handleOf(fd_), bytes.data(), piece, &written, nullptr)) {
            reason = lastReason();
            return false;
        }
        if (written == 0) {
            reason = "nothing could be written";
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

bool OutputFile::commit(std::string& reason)
{
    if (kind_ == Kind::StandardOutput)
        return true;
    const HANDLE file = handleOf(fd_);
    fd_ = -1;
    if (kind_ == Kind::Stream) {
        if (CloseHandle(file))
            return true;
        reason = lastReason();
        return false;
    }
    if (!FlushFileBuffers(file) || !CloseHandle(file)) {
        reason = lastReason();
        cancel();
        return false;
    }
    const std::wstring temporary = wideName(temporary_);
    SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!MoveFileExW(temporary.c_str(), wideName(path_).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        reason = lastReason();
        cancel();
        return false;
    }
    temporary_.clear();
    return true;
}

void OutputFile::cancel()
{
    if (fd_ != -1)
        CloseHandle(handleOf(fd_));
    if (!temporary_.empty())
        DeleteFileW(wideName(temporary_).c_str());
    temporary_.clear();
    fd_ = -1;
}

} // namespace quillox
