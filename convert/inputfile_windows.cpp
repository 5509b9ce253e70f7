#include "convert/inputfile.h"
#include "convert/windowsnames.h"

#include <algorithm>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace quillox
{

namespace
{

bool readBounded(HANDLE file, std::size_t limit, std::string& bytes, std::string& reason)
{
    bytes.clear();
    char chunk[65536];
    while (bytes.size() <= limit) {
        const DWORD wanted = DWORD(std::min(sizeof chunk, limit + 1 - bytes.size()));
        DWORD got = 0;
        if (!ReadFile(file, chunk, wanted, &got, nullptr)) {
            // A pipe whose writer has gone is the end of the input.
            if (GetLastError() == ERROR_BROKEN_PIPE)
                return true;
            reason = windowsReason(GetLastError());
            return false;
        }
        if (got == 0)
            return true;
        bytes.append(chunk, got);
    }
    return true;
}

} // namespace

std::vector<std::string> programArguments(int, char*[])
{
    // Standard streams carry bytes: CR LF line ends are the code's own.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> result;
    for (int i = 1; i < count; ++i)
        result.push_back(utf8Name(arguments[i]));
    LocalFree(arguments);
    return result;
}

bool readInputFile(const std::string& path, std::size_t limit, std::string& bytes,
                   std::string& reason)
{
    if (path == "-")
        return readBounded(GetStdHandle(STD_INPUT_HANDLE), limit, bytes, reason);
    const std::wstring name = wideName(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        reason = "it is a folder";
        return false;
    }
    const HANDLE file = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        reason = windowsReason(GetLastError());
        return false;
    }
    bool ok = GetFileType(file) == FILE_TYPE_DISK;
    if (!ok)
        reason = "it is not a regular file";
    ok = ok && readBounded(file, limit, bytes, reason);
    CloseHandle(file);
    return ok;
}

} // namespace quillox
