#pragma once

#include <functional>
#include <string>

#include "platform/platform.h"

#include <QList>
#include <QString>

#include <string>

class QMimeData;

namespace quillox
{

class SpriteDocument;
struct InputReading;

// Sprites that come from outside the sprite commands: a file named on the
// command line, dropped on the window or opened with Open Picture or Code (a
// sprite file, code, a calculator Pic or a picture) and code or a picture
// pasted from the clipboard. Each is read once, through the input reader
// that the converter uses too, and taken as one undo step; what cannot be
// read is reported, naming the file.
class SpriteIntake
{
public:
    // A sprite file taken this way becomes the shared dialog's file name, as
    // if it had been opened there.
    SpriteIntake(Platform& platform, SpriteDocument& document, FileDialogRequest& sharedDialog);

    // Whether a sprite file opened becomes the shared dialog's file name.
    enum class SharedDialog { Remember, Untouched };

    void openFile(const QString& path, SharedDialog sharedDialog = SharedDialog::Remember);
    // Opens the first of several dropped files and says that the others
    // were not opened.
    void openDroppedFiles(const QList<QString>& paths);
    void pasteCode();

    // Opens a file of several sprites as a set (the Sprite Set window's
    // open); without it such a file is refused, naming how many it holds.
    std::function<void(const QString& path, const std::string& bytes)> openSet;

    // The local files a drag carries, in its order.
    static QList<QString> droppedFiles(const QMimeData& data);

private:
    // Reads any input through readInput: a sprite file goes to the sprite
    // file load, any other sprite found is taken as one undo step.
    InputReading readSprite(const std::string& name, const std::string& bytes,
                            SharedDialog sharedDialog, const QString& path);

    Platform& platform_;
    SpriteDocument& document_;
    FileDialogRequest& sharedDialog_;
};

} // namespace quillox
