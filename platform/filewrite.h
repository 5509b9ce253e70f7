#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class QFileDevice;

namespace quillox
{

struct WriteFailure {
    QString reason;
    int code = 0;
};

// Replaces the file `path` atomically: what is written goes to a temporary
// file that takes the old one's place only on commit(), so a failure at any
// step leaves an existing file as it was. A device such as /dev/null cannot
// be replaced and is written directly.
class FileReplacement
{
public:
    explicit FileReplacement(const QString& path);
    ~FileReplacement();

    bool open(WriteFailure& failure);
    bool write(const char* data, qint64 size, WriteFailure& failure);
    bool commit(WriteFailure& failure);
    // Drops what was written; the old file stays.
    void cancel();

private:
    QString path_;
    std::unique_ptr<QFileDevice> file_;
    bool isDevice_ = false;
};

// Replaces the file `path` with `bytes` through a FileReplacement. Returns
// false and fills `failure`.
bool writeWholeFile(const QString& path, const QByteArray& bytes, WriteFailure& failure);

} // namespace quillox
