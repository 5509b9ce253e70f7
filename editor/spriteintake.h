#pragma once

#include "platform/platform.h"

#include <optional>
#include <string>

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

    // Whether a sprite file opened becomes the shared dialog's file name.
    enum class SharedDialog { Remember, Untouched };

    void openFile(const QString& path, SharedDialog sharedDialog = SharedDialog::Remember);
    void pasteCode();

    // The one local file a drag carries, if it carries exactly one.
    static std::optional<QString> droppedFile(const QMimeData& data);

private:
    bool takePicture(const std::string& bytes, std::string& reason);

    Platform& platform_;
    SpriteDocument& document_;
    FileDialogRequest& sharedDialog_;
};

} // namespace quillox
