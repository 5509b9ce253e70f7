#pragma once

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QtTest>

#ifndef Q_OS_WIN
#include <csignal>

#include <sys/resource.h>
#endif

// The whole content of a file, or nothing when it cannot be read.
inline QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes a file; its path, or nothing when it cannot be written.
inline QString writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? path : QString();
}

// A picture file of the given type, white but for `pixels` from the top left.
inline QByteArray picture(int width, int height, const QVector<QRgb>& pixels = {},
                          const char* type = "PNG", QImage::Format format = QImage::Format_ARGB32)
{
    QImage image(width, height, format);
    image.fill(Qt::white);
    for (int i = 0; i < pixels.size(); ++i)
        image.setPixel(i % width, i / width, pixels[i]);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    return image.save(&buffer, type) ? buffer.data() : "not saved";
}

#ifndef Q_OS_WIN
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
#endif
