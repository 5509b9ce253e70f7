#include "editor/spriteintake.h"

#include "code/codereader.h"
#include "editor/messages.h"
#include "editor/spritedocument.h"
#include "editor/spritepixels.h"
#include "files/inputkind.h"
#include "files/picture.h"
#include "files/spritefile.h"
#include "files/vorrel.h"

#include <QBuffer>
#include <QImage>
#include <QMimeData>
#include <QUrl>

#include <algorithm>

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

void SpriteIntake::openFile(const QString& path, SharedDialog sharedDialog)
{
    std::string bytes;
    if (const std::optional<QString> failure =
            vorrel::readFilePrefix(path, MaxPictureRead, bytes)) {
        reportProblem(
            platform_,
            QStringLiteral("The sprite file \"%1\" could not be opened:\n%2").arg(path, *failure));
        return;
    }
    std::string reason;
    switch (kindOfInput(path.toStdString(), bytes)) {
    case InputKind::SpriteFile:
        if (sharedDialog == SharedDialog::Remember)
            sharedDialog_.fileName = path;
        // The sprite file's reader takes as much as a sprite file read does.
        bytes.resize(std::min(bytes.size(), MaxSpriteFileRead));
        document_.loadSpriteFileBytes(std::move(bytes));
        reportUnappliedSizes(platform_, path, document_.text2());
        return;
    case InputKind::EditorCode:
    case InputKind::Code:
        if (const std::optional<SpriteGrid> sprite = readSpriteCodeText(bytes, reason))
            document_.takeSprite(*sprite);
        else
            reportProblem(platform_, QStringLiteral("The sprite code \"%1\" could not be read:\n%2")
                                         .arg(path, reasonText(reason)));
        return;
    case InputKind::CalculatorFile:
    case InputKind::Picture:
        break;
    }
    if (!takePicture(bytes, reason))
        reportProblem(platform_, QStringLiteral("The picture \"%1\" could not be opened:\n%2")
                                     .arg(path, reasonText(reason)));
}

void SpriteIntake::pasteCode()
{
    const QString text = platform_.clipboardText();
    std::string reason = "it is longer than any sprite code";
    std::optional<SpriteGrid> sprite;
    if (static_cast<std::size_t>(text.size()) <= MaxSpriteFileRead)
        sprite = readSpriteCodeText(text.toStdString(), reason);
    if (sprite) {
        document_.takeSprite(*sprite);
        return;
    }
    // Text that reads as code wins; else a picture, as pixel editors copy one.
    if (const QImage image = platform_.clipboardImage(); !image.isNull()) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        std::string pictureReason;
        if (!takePicture(png.toStdString(), pictureReason))
            reportProblem(platform_,
                          QStringLiteral("The clipboard's picture could not be read: %1.")
                              .arg(reasonText(pictureReason)));
        return;
    }
    reportProblem(
        platform_,
        QStringLiteral("The clipboard holds no sprite code: %1.").arg(reasonText(reason)));
}

// One sprite, as the converter reads a picture for code: a larger canvas
// gives the box of what is drawn on it.
bool SpriteIntake::takePicture(const std::string& bytes, std::string& reason)
{
    PictureRequest request;
    request.cropToDrawn = true;
    std::optional<SpriteGrid> sprite;
    const auto takeSprite = [&sprite](const SpritePixels& pixels) {
        sprite = spriteOfPixels(pixels);
        return true;
    };
    if (!tilesOfPicture(bytes, request, takeSprite, reason) || !sprite)
        return false;
    document_.takeSprite(*sprite);
    return true;
}

std::optional<QString> SpriteIntake::droppedFile(const QMimeData& data)
{
    const QList<QUrl> urls = data.urls();
    if (urls.size() != 1 || !urls.constFirst().isLocalFile())
        return std::nullopt;
    return urls.constFirst().toLocalFile();
}

} // namespace quillox
