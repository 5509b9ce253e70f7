#include "convert/inputfile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillox
{

namespace
{

std::string systemReason(int error)
{
    return std::strerror(error);
}

bool isRegularFile(int fd, std::string& reason)
{
    struct stat status {
    };
    if (::fstat(fd, &status) != 0)
        reason = systemReason(errno);
    else if (S_ISDIR(status.st_mode))
        reason = "it is a folder";
    else if (!S_ISREG(status.st_mode))
        reason = "it is not a regular file";
    else
        return true;
    return false;
}

bool readBounded(int fd, std::size_t limit, std::string& bytes, std::string& reason)
{
    bytes.clear();
    char chunk[65536];
    while (bytes.size() <= limit) {
        const std::size_t wanted = std::min(sizeof chunk, limit + 1 - bytes.size());
        const ssize_t got = ::read(fd, chunk, wanted);
        if (got == 0)
            return true;
        if (got > 0)
            bytes.append(chunk, static_cast<std::size_t>(got));
        else if (errno != EINTR) {
            reason = systemReason(errno);
            return false;
        }
    }
    return true;
}

} // namespace

std::vector<std::string> programArguments(int argc, char* argv[])
{
    return std::vector<std::string>(argv + 1, argv + argc);
}

bool readInputFile(const std::string& path, std::size_t limit, std::string& bytes,
                   std::string& reason)
{
    if (path == "-")
        return readBounded(STDIN_FILENO, limit, bytes, reason);
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        reason = systemReason(errno);
        return false;
    }
    const bool ok = isRegularFile(fd, reason) && readBounded(fd, limit, bytes, reason);
    ::close(fd);
    return ok;
}

} // namespace quillox
