#pragma once

#include "platform/platform.h"

#include <QList>
#include <QStringList>

#include <deque>
#include <functional>

namespace quillox
{

// A platform whose answers a test scripts in advance and whose requests it
// records. Unscripted dialogs answer "cancelled", message boxes answer OK.
class ScriptedPlatform final : public Platform
{
public:
    struct Message {
        QString text;
        QString title;
        MessageButtons buttons;
        MessageIcon icon;
    };

    // Scripted answers, taken in order.
    std::deque<MessageResult> messageAnswers;
    // Indexes of askChoice's answers; unscripted, the cancel answer.
    std::deque<int> choiceAnswers;
    // askText's answers; unscripted, cancelled.
    std::deque<std::optional<QString>> textAnswers;
    std::deque<std::optional<QString>> fileAnswers;
    std::deque<std::optional<QColor>> colourAnswers;
    // Makes the printer for the next print; returning null means "no printer".
    std::function<std::unique_ptr<QPrinter>()> printerFactory;
    QTime time{12, 0, 0};
    QDate date{2001, 3, 3};
    QString logPath;

    // What the program asked for.
    QList<Message> messages;
    struct Question {
        QString text;
        QString title;
        QStringList answers;
    };
    QList<Question> questions;
    QStringList textRequests; // each askText's label
    QList<FileDialogRequest> saveRequests;
    QList<FileDialogRequest> openRequests;
    int colourRequests = 0;
    int printerRequests = 0;
    int clipboardClears = 0;
    QStringList clipboardTexts;
    // What the clipboard holds now; a test may put text or a picture there to paste.
    QString clipboard;
    QImage clipboardPicture;
    // The pictures the program put on the clipboard, in order.
    QList<QImage> clipboardImages;
    QList<QUrl> openedUrls;
    // "time" and "date", in the order the clock was read.
    QStringList clockReadings;
    int endRequests = 0;
    // What the program asked to run when the system asks it to end.
    std::function<void()> quitRequest;

    MessageResult messageBox(const QString& text, const QString& title, MessageButtons buttons,
                             MessageIcon icon) override;
    int askChoice(const QString& text, const QString& title, const QStringList& answers,
                  int cancel) override;
    std::optional<QString> askText(const QString& title, const QString& label,
                                   const QString& text) override;
    std::optional<QString> saveFileName(const FileDialogRequest& request) override;
    std::optional<QString> openFileName(const FileDialogRequest& request) override;
    std::optional<QColor> chooseColour() override;
    std::unique_ptr<QPrinter> defaultPrinter() override;
    void clearClipboard() override;
    void setClipboardText(const QString& text) override;
    QString clipboardText() override;
    QImage clipboardImage() override;
    void setClipboardImage(const QImage& image) override;
    void openUrl(const QUrl& url) override;
    QTime currentTime() override;
    QDate currentDate() override;
    QString exitLogPath() override;
    void endProgram() override;
    void watchQuitRequests(std::function<void()> onRequest) override;

private:
    std::optional<QString> nextFileAnswer();
};

} // namespace quillox
