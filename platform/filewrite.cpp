// What file access does the same way on every system; the system calls are
// in filewrite_posix.cpp and filewrite_windows.cpp.
#include "platform/filewrite.h"

namespace quillox
{

FileReplacement::~FileReplacement()
{
    cancel();
}

bool writeWholeFile(const QString& path, const QByteArray& bytes, WriteFailure& failure)
{
    FileReplacement file(path);
    return file.open(failure) && file.write(bytes.constData(), bytes.size(), failure) &&
           file.commit(failure);
}

} // namespace quillox
