#pragma once

#include "code/bytecode.h"
#include "editor/spritegrid.h"
#include "platform/platform.h"

#include <functional>

class QProgressBar;
class QPaintDevice;
class QPrinter;

namespace quillox
{

// The code save dialog's settings, set again on every save.
FileDialogRequest codeSaveDialog();

// The program's own command names, kept as they are: SaveCode, PrintCode,
// CopyCode and SetCodeBackColor.

// Saves the code text and CR LF as a .z80 file chosen in the dialog `box`.
// A cancelled dialog writes nothing; a failure shows the path and the
// system's reason, then its error number, and leaves an existing file as it
// was.
void SaveCode(Platform& platform, FileDialogRequest& box, const QString& codeText);

// Saves the sprite's rows as assembler bytes in `style`, under a label made
// from the chosen file's name, as a .z80 file chosen in `dialog` (which keeps
// its choice for the next save); a failure is reported as the code save's is.
void saveAssemblerBytes(Platform& platform, FileDialogRequest& dialog, const SpriteGrid& grid,
                        const ByteStyle& style);
// The same for a sprite with inks: grey planes and the mask as inkedByteCode
// writes them, under the file's label.
void saveAssemblerBytes(Platform& platform, FileDialogRequest& dialog, const SpritePixels& pixels,
                        const ByteStyle& style);

// Writes the .z80 file atomically. On failure returns false with the reason
// and the error number.
bool writeCodeFile(const QString& path, const QString& codeText, QString& reason, int& code);

// After a confirmation, prints two pages on the default printer, each the
// code centred with its page number and "." after the last digit.
void PrintCode(Platform& platform, const QString& codeText);

// Draws the two pages on an open printer; false when the printer fails.
bool printCodePages(QPrinter& printer, const QString& codeText);

// Puts the code text on the clipboard as plain text, the bar full meanwhile.
void CopyCode(Platform& platform, QProgressBar& progressBar, const QString& codeText);

// Lets the user choose the code box's background; a cancel changes nothing.
void SetCodeBackColor(Platform& platform, const std::function<void(const QColor&)>& apply);

inline const QString PrintConfirmText =
    QStringLiteral("Press OK to print the code on standard-printer.");
inline const QString PrintConfirmTitle = QStringLiteral("Quillox - Printing...");
inline const QString PrintFailureText =
    QStringLiteral("There was a problem printing to your printer.");
inline const QString ApplicationTitle = QStringLiteral("Quillox");

} // namespace quillox
