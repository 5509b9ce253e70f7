#pragma once

#include <QByteArray>
#include <QString>

namespace quillox
{

struct WriteFailure {
    QString reason;
    int code = 0;
};

// Replaces the file `path` with `bytes` atomically, so that a failed write
// leaves an existing file as it was. A device such as /dev/null cannot be
// replaced and is written directly. Returns false and fills `failure`.
bool writeWholeFile(const QString& path, const QByteArray& bytes, WriteFailure& failure);

} // namespace quillox
