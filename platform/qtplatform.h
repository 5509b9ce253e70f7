#pragma once

#include "platform/platform.h"

class QObject;

namespace quillox
{

// The platform seam as the desktop provides it through Qt.
class QtPlatform final : public Platform
{
public:
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
    std::unique_ptr<QObject> quitWatch_;
};

} // namespace quillox
