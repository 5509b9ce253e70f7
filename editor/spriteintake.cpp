#include "editor/spriteintake.h"

#include "code/codereader.h"
#include "editor/messages.h"
#include "editor/spritedocument.h"
#include "editor/spritepixels.h"
#include "files/inputkind.h"
#include "files/picture.h"
#include "files/spritefile.h"
#include "files/vorrel.h"

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

void SpriteIntake::openFile(const QString& path)
{
    std::string bytes;
    if (const std::optional<QString> failure =
            vorrel::readFilePrefix(path, MaxSpriteFileRead, bytes)) {
        reportProblem(
            platform_,
            QStringLiteral("The sprite file \"%1\" could not be opened:\n%2").arg(path, *failure));
        return;
    }
    std::string reason;
    switch (kindOfInput(path.toStdString(), bytes)) {
    case InputKind::SpriteFile:
        sharedDialog_.fileName = path;
        document_.loadSpriteFileBytes(std::move(bytes));
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
    // One sprite, exactly white is clear, as the converter reads it by default.
    std::optional<SpriteGrid> sprite;
    const auto takeSprite = [&sprite](const SpritePixels& pixels) {
        sprite = spriteOfPixels(pixels);
        return true;
    };
    if (tilesOfPicture(bytes, PictureRequest(), takeSprite, reason) && sprite)
        document_.takeSprite(*sprite);
    else
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
    if (!sprite) {
        reportProblem(
            platform_,
            QStringLiteral("The clipboard holds no sprite code: %1.").arg(reasonText(reason)));
        return;
    }
    document_.takeSprite(*sprite);
}

std::optional<QString> SpriteIntake::droppedFile(const QMimeData& data)
{
    const QList<QUrl> urls = data.urls();
    if (urls.size() != 1 || !urls.constFirst().isLocalFile())
        return std::nullopt;
    return urls.constFirst().toLocalFile();
}

} // namespace quillox
