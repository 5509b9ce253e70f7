#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace quillox
{

// What went wrong: the system's description and its error number.
struct WriteFailure {
    QString reason;
    int code = 0;
};

// Replaces the file `path` atomically: what is written goes to a hidden
// temporary file beside it (".NAME.quillox-XXXXXX") that takes the old one's
// place only on commit(), so a failure at any step leaves an existing file as
// it was. Temporaries left by an earlier save that was killed are removed.
// Two cases differ: a character device such as /dev/null is written
// directly, and a file that may be written in a folder that may not is
// written in place on commit(). Pipes, sockets and block devices are refused;
// nothing is ever waited on. On Windows every device (NUL, CON, COM1) and
// pipe is refused, and the temporary is a hidden file.
class FileReplacement
{
public:
    explicit FileReplacement(const QString& path);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    bool open(WriteFailure& failure);
    bool write(const char* data, qint64 size, WriteFailure& failure);
    bool commit(WriteFailure& failure);
    // Drops what was written; the old file stays.
    void cancel();

private:
    enum class Mode { Closed, Temporary, InPlace, Device };
    bool openTemporary(const QByteArray& target, int mode, WriteFailure& failure);
    bool flush(WriteFailure& failure);

    QString path_;
    Mode mode_ = Mode::Closed;
    std::intptr_t descriptor_ = -1; // a descriptor, or a Windows handle
    QByteArray target_;
    QByteArray temporary_;
    std::string pending_;
};

// Replaces the file `path` with `bytes` through a FileReplacement. Returns
// false and fills `failure`.
bool writeWholeFile(const QString& path, const QByteArray& bytes, WriteFailure& failure);

// Reads at most `limit` bytes of the regular file `path`. Folders, pipes,
// devices and sockets are refused without being waited on.
bool readRegularFile(const QString& path, std::size_t limit, std::string& out,
                     WriteFailure& failure);

// The size of the regular file `path`; a missing file fails with ENOENT.
std::optional<qint64> regularFileSize(const QString& path, WriteFailure& failure);

// Appends `bytes` to the regular file `path`, creating it if missing, in one
// piece: when the whole cannot be written the file is left exactly as it was.
bool appendWhole(const QString& path, const QByteArray& bytes, WriteFailure& failure);

// The user's home folder: $HOME, or the password database's entry when HOME
// is unset or empty; empty when neither is known.
QString userHomeFolder();

} // namespace quillox
