#include "platform/scriptedplatform.h"

#include <QPrinter>

namespace quillox
{

MessageResult ScriptedPlatform::messageBox(const QString& text, const QString& title,
                                           MessageButtons buttons, MessageIcon icon)
{
    messages.append({text, title, buttons, icon});
    if (messageAnswers.empty())
        return MessageResult::Ok;
    const MessageResult answer = messageAnswers.front();
    messageAnswers.pop_front();
    return answer;
}

int ScriptedPlatform::askChoice(const QString& text, const QString& title,
                                const QStringList& answers, int cancel)
{
    questions.append({text, title, answers});
    if (choiceAnswers.empty())
        return cancel;
    const int answer = choiceAnswers.front();
    choiceAnswers.pop_front();
    return answer;
}

std::optional<QString> ScriptedPlatform::askText(const QString&, const QString& label,
                                                 const QString&)
{
    textRequests.append(label);
    if (textAnswers.empty())
        return std::nullopt;
    const std::optional<QString> answer = textAnswers.front();
    textAnswers.pop_front();
    return answer;
}

std::optional<QString> ScriptedPlatform::nextFileAnswer()
{
    if (fileAnswers.empty())
        return std::nullopt;
    const bool cancelled = !fileAnswers.front().has_value();
    const QString name = fileAnswers.front().value_or(QString());
    fileAnswers.pop_front();
    if (cancelled)
        return std::nullopt;
    return name;
}

std::optional<QString> ScriptedPlatform::saveFileName(const FileDialogRequest& request)
{
    saveRequests.append(request);
    return nextFileAnswer();
}

std::optional<QString> ScriptedPlatform::openFileName(const FileDialogRequest& request)
{
    openRequests.append(request);
    return nextFileAnswer();
}

std::optional<QColor> ScriptedPlatform::chooseColour()
{
    ++colourRequests;
    if (colourAnswers.empty())
        return std::nullopt;
    const std::optional<QColor> answer = colourAnswers.front();
    colourAnswers.pop_front();
    return answer;
}

std::unique_ptr<QPrinter> ScriptedPlatform::defaultPrinter()
{
    ++printerRequests;
    return printerFactory ? printerFactory() : nullptr;
}

void ScriptedPlatform::clearClipboard()
{
    ++clipboardClears;
    clipboard.clear();
}

void ScriptedPlatform::setClipboardText(const QString& text)
{
    clipboardTexts.append(text);
    clipboard = text;
}

QString ScriptedPlatform::clipboardText()
{
    return clipboard;
}

QImage ScriptedPlatform::clipboardImage()
{
    return clipboardPicture;
}

void ScriptedPlatform::setClipboardImage(const QImage& image)
{
    clipboardImages.append(image);
    clipboardPicture = image;
}

void ScriptedPlatform::openUrl(const QUrl& url)
{
    openedUrls.append(url);
}

QTime ScriptedPlatform::currentTime()
{
    clockReadings.append(QStringLiteral("time"));
    return time;
}

QDate ScriptedPlatform::currentDate()
{
    clockReadings.append(QStringLiteral("date"));
    return date;
}

QString ScriptedPlatform::exitLogPath()
{
    return logPath;
}

void ScriptedPlatform::endProgram()
{
    ++endRequests;
}

void ScriptedPlatform::watchQuitRequests(std::function<void()> onRequest)
{
    quitRequest = std::move(onRequest);
}

} // namespace quillox
