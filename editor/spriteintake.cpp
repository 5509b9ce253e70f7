#include "editor/spriteintake.h"

#include "code/codereader.h"
#include "editor/messages.h"
#include "editor/spritedocument.h"
#include "editor/spritepixels.h"
#include "files/inputreader.h"
#include "files/picture.h"
#include "files/spritefile.h"
#include "files/spriteset.h"
#include "platform/qtfileaccess.h"

#include <QBuffer>
#include <QImage>
#include <QMimeData>
#include <QUrl>

namespace quillox
{

namespace
{

QString reasonText(const std::string& reason)
{
    return QString::fromStdString(reason);
}

} // namespace

SpriteIntake::SpriteIntake(Platform& platform, SpriteDocument& document,
                           FileDialogRequest& sharedDialog)
    : platform_(platform), document_(document), sharedDialog_(sharedDialog)
{
}

// One sprite, as the converter reads a picture for code: a larger canvas or
// a calculator's Pic gives the box of what is drawn on it.
InputReading SpriteIntake::readSprite(const std::string& name, const std::string& bytes,
                                      SharedDialog sharedDialog, const QString& path)
{
    InputRequest request;
    request.picture.cropToDrawn = true;
    // Grey pictures keep their levels, transparent pixels their transparency.
    request.picture.greyPicturesInLevels = true;
    request.picture.mask = true;
    request.readPicture = tilesOfPicture;
    request.takeSpriteFile = [&](std::string_view text) {
        if (sharedDialog == SharedDialog::Remember)
            sharedDialog_.fileName = path;
        document_.loadSpriteFileBytes(std::string(text));
        reportUnappliedSizes(platform_, path, document_.text2());
    };
    request.takeSpriteSet = [&](const SpriteSet& set, std::string& reason) {
        if (!openSet || path.isEmpty()) {
            reason = spriteSetRefusal(set.size());
            return false;
        }
        openSet(path, bytes);
        return true;
    };
    std::optional<SpritePixels> sprite;
    const InputReading reading =
        readInput(name, bytes, request, [&sprite](const SpritePixels& pixels) {
            sprite = pixels;
            return true;
        });
    if (reading.read && sprite)
        document_.takeSprite(*sprite);
    return reading;
}

void SpriteIntake::openFile(const QString& path, SharedDialog sharedDialog)
{
    std::string bytes;
    FileError failure;
    if (!readRegularFile(path, MaxPictureRead, bytes, failure)) {
        reportProblem(platform_,
                      failure.isFolder
                          ? QStringLiteral("\"%1\" is a folder.").arg(path)
                          : QStringLiteral("The sprite file \"%1\" could not be opened:\n%2")
                                .arg(path, failure.reason));
        return;
    }
    const InputReading reading = readSprite(path.toStdString(), bytes, sharedDialog, path);
    if (reading.read)
        return;
    const bool code = reading.kind == InputKind::Code || reading.kind == InputKind::EditorCode ||
                      reading.kind == InputKind::SpriteSet;
    reportProblem(platform_, (code ? QStringLiteral("The sprite code \"%1\" could not be read:\n%2")
                                   : QStringLiteral("The picture \"%1\" could not be opened:\n%2"))
                                 .arg(path, reasonText(reading.reason)));
}

void SpriteIntake::openDroppedFiles(const QList<QString>& paths)
{
    if (paths.isEmpty())
        return;
    openFile(paths.constFirst());
    if (paths.size() > 1)
        reportProblem(platform_,
                      QStringLiteral("Only one file is opened at a time, the first of the %1 "
                                     "dropped: \"%2\".")
                          .arg(paths.size())
                          .arg(paths.constFirst()));
}

void SpriteIntake::pasteCode()
{
    const QString text = platform_.clipboardText();
    std::string reason;
    bool readAsCode = false;
    std::optional<SpritePixels> sprite;
    if (static_cast<std::size_t>(text.size()) <= MaxSpriteFileRead) {
        sprite = readSpriteCodePixels(text.toStdString(), reason, readAsCode);
    } else {
        // Whether it is code at all, told from a sprite file's size of it.
        readSpriteCodeText(text.left(int(MaxSpriteFileRead)).toStdString(), reason, readAsCode);
        reason = "it is longer than any sprite code";
    }
    if (sprite) {
        document_.takeSprite(*sprite);
        return;
    }
    // Several sprites are a set, which only a file opens.
    if (readAsCode && static_cast<std::size_t>(text.size()) <= MaxSpriteSetRead)
        if (const std::size_t sprites = SpriteSet::read(text.toStdString()).size(); sprites >= 2)
            reason = spriteSetRefusal(sprites) +
                     "; Open Picture or Code opens such a file as a set of sprites";
    if (readAsCode) {
        reportProblem(platform_,
                      QStringLiteral("The clipboard's sprite code could not be read: %1.")
                          .arg(reasonText(reason)));
        return;
    }
    // Text that reads as code wins; else a picture, as pixel editors copy one.
    if (const QImage image = platform_.clipboardImage(); !image.isNull()) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        const InputReading reading = readSprite({}, png.toStdString(), SharedDialog::Untouched, {});
        if (!reading.read)
            reportProblem(platform_,
                          QStringLiteral("The clipboard's picture could not be read: %1.")
                              .arg(reasonText(reading.reason)));
        return;
    }
    reportProblem(
        platform_,
        QStringLiteral("The clipboard holds no sprite code: %1.").arg(reasonText(reason)));
}

QList<QString> SpriteIntake::droppedFiles(const QMimeData& data)
{
    QList<QString> paths;
    for (const QUrl& url : data.urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    return paths;
}

} // namespace quillox
