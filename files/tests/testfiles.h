#pragma once

#include <QFile>
#include <QtTest>

#include <csignal>

#include <sys/resource.h>

// The whole content of a file, or nothing when it cannot be read.
inline QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

// Runs `action` with writes past `bytes` failing with EFBIG, as on a full disk.
template <typename Action> auto underFileSizeLimit(rlim_t bytes, Action action)
{
    struct rlimit previous;
    ::getrlimit(RLIMIT_FSIZE, &previous);
    const struct rlimit limit = {bytes, previous.rlim_max};
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const auto result = action();
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, handler);
    return result;
}
