// What file access does the same way on every system; the system calls are
// in fileaccess_posix.cpp and fileaccess_windows.cpp.
#include "platform/fileaccess.h"

namespace quillox::fileaccess
{

FileReplacement::FileReplacement(std::string name, SpecialFiles special)
    : name_(std::move(name)), special_(special)
{
}

FileReplacement::~FileReplacement()
{
    cancel();
}

bool writeWholeFile(const std::string& name, std::string_view bytes, Failure& failure)
{
    FileReplacement file(name);
    return file.open(failure) && file.write(bytes, failure) && file.commit(failure);
}

} // namespace quillox::fileaccess
