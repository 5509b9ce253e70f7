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

// While it lives, writes past `bytes` fail with EFBIG, as writes on a full disk fail.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes) : limit{bytes, RLIM_INFINITY}
    {
        ::getrlimit(RLIMIT_FSIZE, &previous);
        limit.rlim_max = previous.rlim_max;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, handler);
    }
    struct rlimit limit, previous = {};
    void (*handler)(int) = std::signal(SIGXFSZ, SIG_IGN);
};
