#include "filewrite.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace quillox
{

namespace
{

bool fail(const QFileDevice& file, WriteFailure& failure)
{
    failure.reason = file.errorString();
    failure.code = static_cast<int>(file.error());
    return false;
}

} // namespace

FileReplacement::FileReplacement(const QString& path) : path_(path) {}

FileReplacement::~FileReplacement()
{
    cancel();
}

bool FileReplacement::open(WriteFailure& failure)
{
    if (path_.isEmpty()) {
        failure = {QStringLiteral("No file name was given."), static_cast<int>(QFile::OpenError)};
        return false;
    }
    const QFileInfo info(path_);
    isDevice_ = info.exists() && !info.isFile() && !info.isDir();
    if (isDevice_)
        file_ = std::make_unique<QFile>(path_);
    else
        file_ = std::make_unique<QSaveFile>(path_);
    if (!file_->open(QIODevice::WriteOnly)) {
        fail(*file_, failure);
        file_.reset();
        return false;
    }
    return true;
}

bool FileReplacement::write(const char* data, qint64 size, WriteFailure& failure)
{
    if (!file_ || file_->write(data, size) != size) {
        if (file_)
            fail(*file_, failure);
        cancel();
        return false;
    }
    return true;
}

bool FileReplacement::commit(WriteFailure& failure)
{
    if (!file_)
        return false;
    // QSaveFile::commit() does not see a short write (a full disk, a size
    // limit) that happens while flushing its buffer, so flush first.
    if (!file_->flush() || file_->error() != QFileDevice::NoError) {
        fail(*file_, failure);
        cancel();
        return false;
    }
    const bool committed = isDevice_ || static_cast<QSaveFile&>(*file_).commit();
    if (!committed)
        fail(*file_, failure);
    file_.reset();
    return committed;
}

void FileReplacement::cancel()
{
    if (file_ && !isDevice_)
        static_cast<QSaveFile&>(*file_).cancelWriting();
    file_.reset();
}

bool writeWholeFile(const QString& path, const QByteArray& bytes, WriteFailure& failure)
{
    FileReplacement file(path);
    return file.open(failure) && file.write(bytes.constData(), bytes.size(), failure) &&
           file.commit(failure);
}

} // namespace quillox
