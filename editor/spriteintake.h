#pragma once

#include "platform/platform.h"

#include <optional>

class QMimeData;

namespace quillox
{

class SpriteDocument;

// Sprites that come from outside the sprite commands: a file named on the
// command line or dropped on the window (a sprite file, code or a picture)
// and code pasted from the clipboard. Each is read once and taken as one
// undo step; what cannot be read is reported, naming the file.
class SpriteIntake
{
public:
    // A sprite file taken this way becomes the shared dialog's file name, as
    // if it had been opened there.
    SpriteIntake(Platform& platform, SpriteDocument& document, FileDialogRequest& sharedDialog);

    void openFile(const QString& path);
    void pasteCode();

    // The one local file a drag carries, if it carries exactly one.
    static std::optional<QString> droppedFile(const QMimeData& data);

private:
    Platform& platform_;
    SpriteDocument& document_;
    FileDialogRequest& sharedDialog_;
};

} // namespace quillox
