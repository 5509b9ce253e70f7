#include "convert/imagemodule.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

namespace quillox
{

namespace
{

constexpr char ModuleName[] = "quillox-convert-images.so";

std::string executableFolder()
{
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return ".";
    const std::string executable(path, static_cast<std::size_t>(length));
    return executable.substr(0, executable.find_last_of('/'));
}

} // namespace

const ImageCodec* openImageModule(std::string& reason)
{
    const std::string folder = executableFolder();
    // Beside the program in a build, under libexec once installed.
    for (const std::string& place :
         {folder + "/" + ModuleName, folder + "/" QUILLOX_IMAGE_MODULE_DIR "/" + ModuleName}) {
        if (::access(place.c_str(), R_OK) != 0)
            continue;
        void* module = ::dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            reason = ::dlerror();
            return nullptr;
        }
        using EntryPoint = const ImageCodec* (*)();
        if (auto entry = reinterpret_cast<EntryPoint>(::dlsym(module, "quilloxImageCodec")))
            return entry();
        reason = std::string(place) + " is not the picture module";
        return nullptr;
    }
    reason = std::string("the picture module ") + ModuleName + " is not installed";
    return nullptr;
}

} // namespace quillox
