// File access through the POSIX calls, so that every open can be made
// non-blocking and checked on its own descriptor; a Windows build brings its
// own version of this file (fileaccess_windows.cpp).
#include "platform/fileaccess.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillox::fileaccess
{

namespace
{

constexpr int OpenFlags = O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
constexpr const char* TemporaryMark = ".quillox-";

std::atomic<std::size_t> openedForReading{0};

bool fail(int error, Failure& failure)
{
    failure = {Problem::System, std::strerror(error), error, static_cast<unsigned long>(error)};
    return false;
}

// A folder, pipe, device or socket where a regular file was expected.
bool refuse(mode_t type, Failure& failure)
{
    if (S_ISDIR(type))
        failure = {Problem::Folder, std::strerror(EISDIR), EISDIR};
    else
        failure = {Problem::NotRegular, {}, EINVAL};
    return false;
}

// Opens `name` without waiting on it and keeps the descriptor only when it
// is a regular file.
int openRegular(const std::string& name, int flags, Failure& failure, struct stat& status)
{
    const int descriptor = ::open(name.c_str(), flags | OpenFlags, 0666);
    if (descriptor < 0) {
        const int error = errno;
        // A pipe that nobody reads refuses a non-blocking writer with ENXIO.
        if (error == ENXIO && ::stat(name.c_str(), &status) == 0 && !S_ISREG(status.st_mode))
            refuse(status.st_mode, failure);
        else
            fail(error, failure);
        return -1;
    }
    if (::fstat(descriptor, &status) != 0) {
        fail(errno, failure);
        ::close(descriptor);
        return -1;
    }
    if (!S_ISREG(status.st_mode)) {
        refuse(status.st_mode, failure);
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

bool writeAll(int descriptor, const char* data, std::size_t size, Failure& failure)
{
    while (size > 0) {
        const ssize_t written = ::write(descriptor, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return fail(written < 0 ? errno : ENOSPC, failure);
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool readBounded(int descriptor, std::size_t limit, std::string& out, Failure& failure)
{
    std::string bytes;
    char chunk[65536];
    while (bytes.size() < limit) {
        const std::size_t wanted = std::min(sizeof chunk, limit - bytes.size());
        const ssize_t got = ::read(descriptor, chunk, wanted);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return fail(errno, failure);
        if (got == 0)
            break;
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
    out = std::move(bytes);
    return true;
}

bool closeChecked(int descriptor, Failure& failure)
{
    return ::close(descriptor) == 0 || fail(errno, failure);
}

// Removes temporaries that start with `prefix` and that no running
// replacement holds locked: they are what a killed one left behind.
void removeStaleTemporaries(const std::string& folder, const std::string& prefix)
{
    DIR* directory = ::opendir(folder.c_str());
    if (!directory)
        return;
    const int folderDescriptor = ::dirfd(directory);
    while (const dirent* entry = ::readdir(directory)) {
        const char* name = entry->d_name;
        if (std::strlen(name) != prefix.size() + 6 ||
            std::strncmp(name, prefix.c_str(), prefix.size()) != 0)
            continue;
        const int descriptor = ::openat(folderDescriptor, name, O_RDONLY | O_NOFOLLOW | OpenFlags);
        if (descriptor < 0)
            continue;
        struct stat status;
        if (::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) &&
            ::flock(descriptor, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(folderDescriptor, name, 0);
        ::close(descriptor);
    }
    ::closedir(directory);
}

mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The program's own standard output or error (1 or 2) when `status` is
// that of one of them, else -1.
int standardStreamOf(const struct stat& status)
{
    for (const int stream : {STDOUT_FILENO, STDERR_FILENO}) {
        struct stat streamStatus;
        if (::fstat(stream, &streamStatus) == 0 && sameFile(streamStatus, status))
            return stream;
    }
    return -1;
}

} // namespace

bool FileReplacement::open(Failure& failure)
{
    cancel();
    if (special_ == SpecialFiles::Stream && name_ == "-") {
        mode_ = Mode::StandardOutput;
        return true;
    }
    struct stat status;
    if (::stat(name_.c_str(), &status) != 0)
        return errno == ENOENT ? openTemporary(name_, -1, failure) : fail(errno, failure);
    if (special_ == SpecialFiles::Stream) {
        if (const int stream = standardStreamOf(status); stream == STDOUT_FILENO) {
            mode_ = Mode::StandardOutput;
            return true;
        } else if (stream == STDERR_FILENO) {
            handle_ = stream;
            ownsHandle_ = false;
            mode_ = Mode::Direct;
            return true;
        }
    }
    if (S_ISDIR(status.st_mode))
        return refuse(status.st_mode, failure);
    if (special_ == SpecialFiles::Stream && !S_ISREG(status.st_mode)) {
        // Non-blocking, so a named pipe that nobody reads fails at once; then
        // blocking, so that a reader slower than the converter gets it all.
        const int descriptor = ::open(name_.c_str(), O_WRONLY | OpenFlags);
        if (descriptor < 0) {
            if (errno != ENXIO)
                return fail(errno, failure);
            failure = {Problem::NoReader, std::strerror(ENXIO), ENXIO};
            return false;
        }
        ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
        handle_ = descriptor;
        mode_ = Mode::Direct;
        return true;
    }
    if (S_ISCHR(status.st_mode)) {
        // Written directly and still non-blocking: a device that cannot take
        // the bytes at once fails instead of holding the program.
        const int descriptor = ::open(name_.c_str(), O_WRONLY | OpenFlags);
        if (descriptor < 0)
            return fail(errno, failure);
        handle_ = descriptor;
        const bool examined = ::fstat(descriptor, &status) == 0;
        if (!examined || !S_ISCHR(status.st_mode)) {
            const int error = errno;
            cancel();
            return examined ? refuse(status.st_mode, failure) : fail(error, failure);
        }
        mode_ = Mode::Direct;
        return true;
    }
    if (!S_ISREG(status.st_mode))
        return refuse(status.st_mode, failure);
    // A link keeps pointing at the file it names, which is the one replaced.
    std::string target = name_;
    if (::lstat(name_.c_str(), &status) == 0 && S_ISLNK(status.st_mode)) {
        char* resolved = ::realpath(name_.c_str(), nullptr);
        if (!resolved)
            return fail(errno, failure);
        target = resolved;
        std::free(resolved);
        if (::stat(target.c_str(), &status) != 0)
            return fail(errno, failure);
    }
    return openTemporary(target, static_cast<int>(status.st_mode & 0777), failure);
}

// `mode` is the existing file's permissions, or -1 for a new file.
bool FileReplacement::openTemporary(const std::string& target, int mode, Failure& failure)
{
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : target.substr(0, slash);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    // The temporary's name stays within the length a file name may have.
    const std::string prefix = '.' + base.substr(0, NAME_MAX - 16) + TemporaryMark;
    removeStaleTemporaries(folder, prefix);
    std::string temporary =
        (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) + prefix +
        "XXXXXX";
    const int descriptor = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (descriptor < 0) {
        const int error = errno;
        if ((error != EACCES && error != EPERM) || mode < 0)
            return fail(error, failure);
        // A folder that may not be written, holding a file that may: the
        // file is written in place, all at once on commit().
        struct stat status;
        const int file = openRegular(target, O_WRONLY, failure, status);
        if (file < 0)
            return false;
        handle_ = file;
        mode_ = Mode::InPlace;
        return true;
    }
    // The lock tells a later replacement that this temporary is in use.
    ::flock(descriptor, LOCK_EX | LOCK_NB);
    ::fchmod(descriptor, mode < 0 ? newFileMode() : static_cast<mode_t>(mode));
    handle_ = descriptor;
    temporary_ = temporary;
    target_ = target;
    mode_ = Mode::Temporary;
    return true;
}

bool FileReplacement::failClosed(Failure& failure)
{
    return fail(EBADF, failure);
}

bool FileReplacement::flush(Failure& failure)
{
    if (!writeAll(static_cast<int>(handle_), pending_.data(), pending_.size(), failure)) {
        cancel();
        return false;
    }
    pending_.clear();
    return true;
}

bool FileReplacement::commit(Failure& failure)
{
    switch (mode_) {
    case Mode::Closed:
        return fail(EBADF, failure);
    case Mode::StandardOutput:
        mode_ = Mode::Closed;
        return true;
    case Mode::Direct:
        break;
    case Mode::InPlace: {
        // Over the old bytes first, then cut to the new length.
        const auto size = static_cast<off_t>(pending_.size());
        if (!flush(failure))
            return false;
        if (::ftruncate(static_cast<int>(handle_), size) != 0 ||
            ::fsync(static_cast<int>(handle_)) != 0) {
            fail(errno, failure);
            cancel();
            return false;
        }
        break;
    }
    case Mode::Temporary:
        if (!flush(failure))
            return false;
        if (::fsync(static_cast<int>(handle_)) != 0 ||
            ::rename(temporary_.c_str(), target_.c_str()) != 0) {
            fail(errno, failure);
            cancel();
            return false;
        }
        temporary_.clear();
        break;
    }
    const int descriptor = static_cast<int>(handle_);
    const bool owned = ownsHandle_;
    handle_ = -1;
    ownsHandle_ = true;
    mode_ = Mode::Closed;
    return !owned || closeChecked(descriptor, failure);
}

void FileReplacement::closeHandle()
{
    if (handle_ >= 0 && ownsHandle_)
        ::close(static_cast<int>(handle_));
    handle_ = -1;
    ownsHandle_ = true;
}

void FileReplacement::cancel()
{
    closeHandle();
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
    temporary_.clear();
    pending_.clear();
    mode_ = Mode::Closed;
}

bool readRegularFile(const std::string& name, std::size_t limit, std::string& out, Failure& failure)
{
    struct stat status;
    const int descriptor = openRegular(name, O_RDONLY, failure, status);
    if (descriptor < 0)
        return false;
    ++openedForReading;
    const bool read = readBounded(descriptor, limit, out, failure);
    ::close(descriptor);
    return read;
}

bool readStandardInput(std::size_t limit, std::string& out, Failure& failure)
{
    return readBounded(STDIN_FILENO, limit, out, failure);
}

std::size_t filesOpenedForReading()
{
    return openedForReading;
}

std::optional<std::int64_t> regularFileSize(const std::string& name, Failure& failure)
{
    // One stat call: it never opens the file, so a pipe cannot hold it.
    struct stat status;
    if (::stat(name.c_str(), &status) != 0) {
        fail(errno, failure);
        return std::nullopt;
    }
    if (!S_ISREG(status.st_mode)) {
        refuse(status.st_mode, failure);
        return std::nullopt;
    }
    return static_cast<std::int64_t>(status.st_size);
}

bool appendWhole(const std::string& name, std::string_view bytes, Failure& failure)
{
    struct stat status;
    int descriptor = openRegular(name, O_WRONLY | O_APPEND, failure, status);
    bool created = false;
    if (descriptor < 0 && failure.problem == Problem::System && failure.code == ENOENT) {
        descriptor = openRegular(name, O_WRONLY | O_APPEND | O_CREAT | O_EXCL, failure, status);
        created = descriptor >= 0;
    }
    if (descriptor < 0)
        return false;
    const std::size_t size = bytes.size();
    ssize_t written;
    do
        written = ::write(descriptor, bytes.data(), size);
    while (written < 0 && errno == EINTR);
    // A short write does not say why; writing the rest does.
    if (written >= 0 && std::size_t(written) < size &&
        writeAll(descriptor, bytes.data() + written, size - std::size_t(written), failure))
        written = static_cast<ssize_t>(size);
    else if (written < 0)
        fail(errno, failure);
    if (written == static_cast<ssize_t>(size) && ::fsync(descriptor) != 0) {
        fail(errno, failure);
        written = -1;
    }
    if (written != static_cast<ssize_t>(size)) {
        // Leave the log exactly as it was.
        if (created)
            ::unlink(name.c_str());
        else if (::ftruncate(descriptor, status.st_size) != 0)
            failure.reason += " (the partial record could not be removed)";
        ::close(descriptor);
        return false;
    }
    return closeChecked(descriptor, failure);
}

std::string userHomeFolder()
{
    const char* home = std::getenv("HOME");
    if (home && *home)
        return home;
    const passwd* entry = ::getpwuid(::getuid());
    if (entry && entry->pw_dir && *entry->pw_dir)
        return entry->pw_dir;
    return {};
}

std::vector<std::string> programArguments(int argc, char* argv[])
{
    return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
}

void setStandardStreamsBinary() {}

bool standardOutputIsTerminal()
{
    return ::isatty(STDOUT_FILENO) == 1;
}

} // namespace quillox::fileaccess
