#pragma once

#include <QColor>
#include <QDate>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class QPrinter;

namespace quillox
{

enum class MessageButtons { Ok, OkCancel };
enum class MessageIcon { None, Stop };
enum class MessageResult { Ok, Cancel };

// What a file dialog shows. The filter is "label|pattern", or several such
// pairs joined by "|".
struct FileDialogRequest {
    QString title;
    QString filter;
    QString defaultSuffix;
    QString fileName;
};

// Everything the program asks of the desktop goes through this seam, so that
// tests can script the answers and never wait on a modal dialog.
class Platform
{
public:
    virtual ~Platform() = default;

    virtual MessageResult messageBox(const QString& text, const QString& title,
                                     MessageButtons buttons, MessageIcon icon) = 0;

    // A question with answers of its own (button texts such as "&Save"): the
    // index of the one chosen, or `cancel` when the user closed the box.
    virtual int askChoice(const QString& text, const QString& title, const QStringList& answers,
                          int cancel) = 0;
    // A line of text the user types, starting as `text`; nothing when cancelled.
    virtual std::optional<QString> askText(const QString& title, const QString& label,
                                           const QString& text) = 0;

    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<QString> saveFileName(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> openFileName(const FileDialogRequest& request) = 0;
    virtual std::optional<QColor> chooseColour() = 0;

    // A printer set up for the default printer, or nothing when there is none.
    virtual std::unique_ptr<QPrinter> defaultPrinter() = 0;

    virtual void clearClipboard() = 0;
    virtual void setClipboardText(const QString& text) = 0;
    virtual QString clipboardText() = 0;
    // The picture on the clipboard, as pixel editors copy one; null when none.
    virtual QImage clipboardImage() = 0;
    virtual void setClipboardImage(const QImage& image) = 0;

    virtual void openUrl(const QUrl& url) = 0;

    virtual QTime currentTime() = 0;
    virtual QDate currentDate() = 0;

    virtual QString exitLogPath() = 0;

    // Ends the whole program: every window, shown or hidden, closes.
    virtual void endProgram() = 0;

    // Calls `onRequest` from the event loop whenever the system asks the
    // program to end (a termination signal, the session's end).
    virtual void watchQuitRequests(std::function<void()> onRequest) = 0;
};

// Asks for a file to save in a dialog of the program's own, set to `first`
// on its first use; the choice stays in the dialog for the next time.
std::optional<QString> askFileToSave(Platform& platform, FileDialogRequest& dialog,
                                     const FileDialogRequest& first);

// Turns "label|pattern" into the file dialog filter "label (pattern)", and
// several pairs into filters joined by ";;".
QString dialogFilter(const QString& labelAndPattern);
// Whether the dialog shows the filters as their labels alone: true unless the
// labels already name their patterns, as "Quillox (*.spr)" does.
bool hidesFilterPattern(const QString& labelAndPattern);

} // namespace quillox
