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

bool FileReplacement::write(std::string_view bytes, Failure& failure)
{
    // A temporary is written in pieces of this size.
    constexpr std::size_t WriteBuffer = 64 * 1024;
    if (mode_ == Mode::Closed)
        return failClosed(failure);
    if (mode_ == Mode::StandardOutput)
        return true;
    pending_.append(bytes);
    // A stream gets each piece at once; a temporary in pieces; a file
    // written in place only on commit, so that a failure before leaves it.
    return mode_ == Mode::InPlace || (mode_ == Mode::Temporary && pending_.size() < WriteBuffer) ||
           flush(failure);
}

bool writeWholeFile(const std::string& name, std::string_view bytes, Failure& failure)
{
    FileReplacement file(name);
    return file.open(failure) && file.write(bytes, failure) && file.commit(failure);
}

} // namespace quillox::fileaccess
