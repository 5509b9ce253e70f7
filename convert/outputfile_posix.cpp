#include "convert/outputfile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillox
{

namespace
{

std::string systemReason()
{
    return std::strerror(errno);
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The standard stream (1 or 2) that `path` names, or -1.
int standardStreamOf(const std::string& path, const struct stat& target)
{
    if (path == "-")
        return STDOUT_FILENO;
    for (const int fd : {STDOUT_FILENO, STDERR_FILENO}) {
        struct stat stream {
        };
        if (::fstat(fd, &stream) == 0 && sameFile(stream, target))
            return fd;
    }
    return -1;
}

// The file a symbolic link leads to is the one replaced, as an editor would.
std::string resolved(const std::string& path)
{
    char target[PATH_MAX];
    return ::realpath(path.c_str(), target) ? std::string(target) : path;
}

} // namespace

OutputFile::~OutputFile()
{
    cancel();
}

bool OutputFile::open(std::string& reason)
{
    struct stat target {
    };
    const bool exists = ::stat(path_.c_str(), &target) == 0;
    if (const int stream = path_ == "-" || exists ? standardStreamOf(path_, target) : -1;
        stream >= 0) {
        kind_ = stream == STDOUT_FILENO ? Kind::StandardOutput : Kind::Stream;
        fd_ = stream == STDOUT_FILENO ? -1 : stream;
        return true;
    }
    if (exists && S_ISDIR(target.st_mode)) {
        reason = "it is a folder";
        return false;
    }
    if (exists && !S_ISREG(target.st_mode)) {
        // Non-blocking, so a named pipe that nobody reads fails at once.
        fd_ = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd_ < 0) {
            reason = errno == ENXIO ? "no program reads it" : systemReason();
            return false;
        }
        ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
        kind_ = Kind::Stream;
        return true;
    }
    const std::string real = exists ? resolved(path_) : path_;
    const std::size_t slash = real.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : real.substr(0, slash + 1);
    temporary_ = folder + "." + real.substr(folder.size()) + ".XXXXXX";
    fd_ = ::mkostemp(temporary_.data(), O_CLOEXEC);
    if (fd_ < 0) {
        reason = systemReason();
        temporary_.clear();
        return false;
    }
    // The new file keeps the old one's permissions, or takes the usual ones.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd_, exists ? target.st_mode & 07777 : 0666 & ~mask);
    path_ = real;
    kind_ = Kind::Replacement;
    return true;
}

bool OutputFile::write(std::string_view bytes, std::string& reason)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            reason = written < 0 ? systemReason() : "nothing could be written";
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool OutputFile::commit(std::string& reason)
{
    if (kind_ == Kind::StandardOutput || (kind_ == Kind::Stream && fd_ <= STDERR_FILENO))
        return true;
    if (kind_ == Kind::Stream) {
        const bool closed = ::close(fd_) == 0;
        fd_ = -1;
        if (!closed)
            reason = systemReason();
        return closed;
    }
    if (::fsync(fd_) != 0 || ::close(fd_) != 0) {
        reason = systemReason();
        fd_ = -1;
        cancel();
        return false;
    }
    fd_ = -1;
    if (::rename(temporary_.c_str(), path_.c_str()) != 0) {
        reason = systemReason();
        cancel();
        return false;
    }
    temporary_.clear();
    return true;
}

void OutputFile::cancel()
{
    if (kind_ == Kind::Stream && fd_ > STDERR_FILENO)
        ::close(fd_);
    if (kind_ == Kind::Replacement && fd_ >= 0)
        ::close(fd_);
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
    temporary_.clear();
    fd_ = -1;
}

} // namespace quillox
