// File access through the POSIX calls, so that every open can be made
// non-blocking and checked on its own descriptor; a Windows build brings its
// own version of this file (filewrite_windows.cpp).
#include "platform/filewrite.h"

#include <QFile>

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

namespace quillox
{

namespace
{

constexpr int OpenFlags = O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
constexpr std::size_t WriteBuffer = 64 * 1024;
constexpr const char* TemporaryMark = ".quillox-";

bool fail(int error, WriteFailure& failure)
{
    failure = {QString::fromLocal8Bit(std::strerror(error)), error};
    return false;
}

// A folder, pipe, device or socket where a regular file was expected.
bool refuse(mode_t type, WriteFailure& failure)
{
    if (S_ISDIR(type))
        return fail(EISDIR, failure);
    failure = {QStringLiteral("Not a regular file"), EINVAL};
    return false;
}

bool noName(WriteFailure& failure)
{
    failure = {QStringLiteral("No file name was given."), ENOENT};
    return false;
}

// Opens `name` without waiting on it and keeps the descriptor only when it
// is a regular file.
int openRegular(const QByteArray& name, int flags, WriteFailure& failure, struct stat& status)
{
    const int descriptor = ::open(name.constData(), flags | OpenFlags, 0666);
    if (descriptor < 0) {
        const int error = errno;
        // A pipe that nobody reads refuses a non-blocking writer with ENXIO.
        if (error == ENXIO && ::stat(name.constData(), &status) == 0 && !S_ISREG(status.st_mode))
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

bool writeAll(int descriptor, const char* data, std::size_t size, WriteFailure& failure)
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

bool closeChecked(int descriptor, WriteFailure& failure)
{
    return ::close(descriptor) == 0 || fail(errno, failure);
}

// Removes temporaries that start with `prefix` and that no running save
// holds locked: they are what a killed save left behind.
void removeStaleTemporaries(const QByteArray& folder, const QByteArray& prefix)
{
    DIR* directory = ::opendir(folder.constData());
    if (!directory)
        return;
    const int folderDescriptor = ::dirfd(directory);
    while (const dirent* entry = ::readdir(directory)) {
        const char* name = entry->d_name;
        if (std::strlen(name) != std::size_t(prefix.size()) + 6 ||
            std::strncmp(name, prefix.constData(), std::size_t(prefix.size())) != 0)
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

} // namespace

FileReplacement::FileReplacement(const QString& path) : path_(path) {}

bool FileReplacement::open(WriteFailure& failure)
{
    cancel();
    if (path_.isEmpty())
        return noName(failure);
    const QByteArray name = QFile::encodeName(path_);
    struct stat status;
    if (::stat(name.constData(), &status) != 0)
        return errno == ENOENT ? openTemporary(name, -1, failure) : fail(errno, failure);
    if (S_ISCHR(status.st_mode)) {
        // Written directly and still non-blocking: a device that cannot take
        // the bytes at once fails instead of holding the program.
        descriptor_ = ::open(name.constData(), O_WRONLY | OpenFlags);
        if (descriptor_ < 0)
            return fail(errno, failure);
        const bool examined = ::fstat(descriptor_, &status) == 0;
        if (!examined || !S_ISCHR(status.st_mode)) {
            const int error = errno;
            cancel();
            return examined ? refuse(status.st_mode, failure) : fail(error, failure);
        }
        mode_ = Mode::Device;
        return true;
    }
    if (!S_ISREG(status.st_mode))
        return refuse(status.st_mode, failure);
    // A link keeps pointing at the file it names, which is the one replaced.
    QByteArray target = name;
    if (::lstat(name.constData(), &status) == 0 && S_ISLNK(status.st_mode)) {
        char* resolved = ::realpath(name.constData(), nullptr);
        if (!resolved)
            return fail(errno, failure);
        target = resolved;
        std::free(resolved);
        if (::stat(target.constData(), &status) != 0)
            return fail(errno, failure);
    }
    return openTemporary(target, static_cast<int>(status.st_mode & 0777), failure);
}

bool FileReplacement::openTemporary(const QByteArray& target, int mode, WriteFailure& failure)
{
    const int slash = target.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : target.left(slash == 0 ? 1 : slash);
    const QByteArray base = target.mid(slash + 1);
    // The temporary's name stays within the length a file name may have.
    const QByteArray prefix = '.' + base.left(NAME_MAX - 16) + TemporaryMark;
    removeStaleTemporaries(folder, prefix);
    QByteArray temporary = (slash < 0 ? QByteArray() : target.left(slash + 1)) + prefix + "XXXXXX";
    descriptor_ = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (descriptor_ < 0) {
        const int error = errno;
        if ((error != EACCES && error != EPERM) || mode < 0)
            return fail(error, failure);
        // A folder that may not be written, holding a file that may: the
        // file is written in place, all at once on commit().
        struct stat status;
        descriptor_ = openRegular(target, O_WRONLY, failure, status);
        if (descriptor_ < 0)
            return false;
        mode_ = Mode::InPlace;
        return true;
    }
    // The lock tells a later save that this temporary is still in use.
    ::flock(descriptor_, LOCK_EX | LOCK_NB);
    ::fchmod(descriptor_, mode < 0 ? newFileMode() : static_cast<mode_t>(mode));
    temporary_ = temporary;
    target_ = target;
    mode_ = Mode::Temporary;
    return true;
}

bool FileReplacement::flush(WriteFailure& failure)
{
    if (!writeAll(descriptor_, pending_.data(), pending_.size(), failure)) {
        cancel();
        return false;
    }
    pending_.clear();
    return true;
}

bool FileReplacement::write(const char* data, qint64 size, WriteFailure& failure)
{
    if (mode_ == Mode::Closed)
        return fail(EBADF, failure);
    pending_.append(data, static_cast<std::size_t>(size));
    return mode_ == Mode::InPlace || pending_.size() < WriteBuffer || flush(failure);
}

bool FileReplacement::commit(WriteFailure& failure)
{
    switch (mode_) {
    case Mode::Closed:
        return fail(EBADF, failure);
    case Mode::Device:
        if (!flush(failure))
            return false;
        break;
    case Mode::InPlace: {
        // Over the old bytes first, then cut to the new length.
        const auto size = static_cast<off_t>(pending_.size());
        if (!flush(failure))
            return false;
        if (::ftruncate(descriptor_, size) != 0 || ::fsync(descriptor_) != 0) {
            fail(errno, failure);
            cancel();
            return false;
        }
        break;
    }
    case Mode::Temporary:
        if (!flush(failure))
            return false;
        if (::fsync(descriptor_) != 0 ||
            ::rename(temporary_.constData(), target_.constData()) != 0) {
            fail(errno, failure);
            cancel();
            return false;
        }
        temporary_.clear();
        break;
    }
    const int descriptor = descriptor_;
    descriptor_ = -1;
    mode_ = Mode::Closed;
    return closeChecked(descriptor, failure);
}

void FileReplacement::cancel()
{
    if (descriptor_ >= 0)
        ::close(descriptor_);
    if (!temporary_.isEmpty())
        ::unlink(temporary_.constData());
    descriptor_ = -1;
    temporary_.clear();
    pending_.clear();
    mode_ = Mode::Closed;
}

bool readRegularFile(const QString& path, std::size_t limit, std::string& out,
                     WriteFailure& failure)
{
    if (path.isEmpty())
        return noName(failure);
    struct stat status;
    const int descriptor = openRegular(QFile::encodeName(path), O_RDONLY, failure, status);
    if (descriptor < 0)
        return false;
    std::string bytes(limit, '\0');
    std::size_t filled = 0;
    while (filled < limit) {
        const ssize_t read = ::read(descriptor, bytes.data() + filled, limit - filled);
        if (read < 0 && errno == EINTR)
            continue;
        if (read < 0) {
            fail(errno, failure);
            ::close(descriptor);
            return false;
        }
        if (read == 0)
            break;
        filled += static_cast<std::size_t>(read);
    }
    ::close(descriptor);
    bytes.resize(filled);
    out = std::move(bytes);
    return true;
}

std::optional<qint64> regularFileSize(const QString& path, WriteFailure& failure)
{
    // One stat call: it never opens the file, so a pipe cannot hold it.
    struct stat status;
    if (path.isEmpty()) {
        noName(failure);
        return std::nullopt;
    }
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) {
        fail(errno, failure);
        return std::nullopt;
    }
    if (!S_ISREG(status.st_mode)) {
        refuse(status.st_mode, failure);
        return std::nullopt;
    }
    return static_cast<qint64>(status.st_size);
}

bool appendWhole(const QString& path, const QByteArray& bytes, WriteFailure& failure)
{
    if (path.isEmpty())
        return noName(failure);
    const QByteArray name = QFile::encodeName(path);
    struct stat status;
    int descriptor = openRegular(name, O_WRONLY | O_APPEND, failure, status);
    bool created = false;
    if (descriptor < 0 && failure.code == ENOENT) {
        descriptor = openRegular(name, O_WRONLY | O_APPEND | O_CREAT | O_EXCL, failure, status);
        created = descriptor >= 0;
    }
    if (descriptor < 0)
        return false;
    const auto size = static_cast<std::size_t>(bytes.size());
    ssize_t written;
    do
        written = ::write(descriptor, bytes.constData(), size);
    while (written < 0 && errno == EINTR);
    // A short write does not say why; writing the rest does.
    if (written >= 0 && std::size_t(written) < size &&
        writeAll(descriptor, bytes.constData() + written, size - std::size_t(written), failure))
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
            ::unlink(name.constData());
        else if (::ftruncate(descriptor, status.st_size) != 0)
            failure.reason += QStringLiteral(" (the partial record could not be removed)");
        ::close(descriptor);
        return false;
    }
    return closeChecked(descriptor, failure);
}

QString userHomeFolder()
{
    const QByteArray home = qgetenv("HOME");
    if (!home.isEmpty())
        return QFile::decodeName(home);
    const passwd* entry = ::getpwuid(::getuid());
    if (entry && entry->pw_dir && *entry->pw_dir)
        return QFile::decodeName(entry->pw_dir);
    return {};
}

} // namespace quillox
