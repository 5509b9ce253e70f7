#pragma once

#include <string>

#include <windows.h>

namespace quillox
{

// The converter keeps names as UTF-8 bytes; Windows takes them wide.
inline std::wstring wideName(const std::string& name)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, name.data(), int(name.size()), nullptr, 0);
    std::wstring wide(std::size_t(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, name.data(), int(name.size()), wide.data(), length);
    return wide;
}

inline std::string utf8Name(const std::wstring& wide)
{
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string name(std::size_t(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), name.data(), length, nullptr,
                        nullptr);
    return name;
}

// The system's description of `error`, without its closing full stop.
inline std::string windowsReason(DWORD error)
{
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string reason =
        length ? utf8Name(std::wstring(text, length)) : "error " + std::to_string(error);
    LocalFree(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                               reason.back() == ' ' || reason.back() == '.'))
        reason.pop_back();
    return reason;
}

} // namespace quillox
