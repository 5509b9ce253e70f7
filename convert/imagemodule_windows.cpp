#include "convert/imagemodule.h"
#include "platform/fileaccess.h"

#include <windows.h>

namespace quillox
{

namespace
{

constexpr wchar_t ModuleName[] = L"quillox-convert-images.dll";

std::wstring executableFolder()
{
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
    path.resize(length);
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

} // namespace

const ImageCodec* openImageModule(std::string& reason)
{
    // Beside the program, where the installer puts it. The search for the
    // module's own Qt DLLs starts in its folder too.
    const std::wstring place = executableFolder() + L"\\" + ModuleName;
    if (GetFileAttributesW(place.c_str()) == INVALID_FILE_ATTRIBUTES) {
        reason = "the picture module " + fileaccess::utf8Text(ModuleName) + " is not installed";
        return nullptr;
    }
    const HMODULE module = LoadLibraryExW(place.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module) {
        const DWORD error = GetLastError();
        const std::string text = fileaccess::systemReason(error);
        reason = fileaccess::utf8Text(place) + ": " +
                 (text.empty() ? "error " + std::to_string(error) : text);
        return nullptr;
    }
    using EntryPoint = const ImageCodec* (*)();
    if (auto entry = reinterpret_cast<EntryPoint>(
            reinterpret_cast<void*>(GetProcAddress(module, "quilloxImageCodec"))))
        return entry();
    reason = fileaccess::utf8Text(place) + " is not the picture module";
    return nullptr;
}

} // namespace quillox
