#include "codeexport.h"

#include "filewrite.h"

#include <QPainter>
#include <QPrinter>
#include <QProgressBar>

namespace quillox
{

FileDialogRequest codeSaveDialog()
{
    return {QStringLiteral("Save code as *.z80"), QStringLiteral("Z80-filez|*.z80"),
            QStringLiteral("z80"), QStringLiteral("code00.z80")};
}

bool writeCodeFile(const QString& path, const QString& codeText, QString& reason, int& code)
{
    WriteFailure failure;
    if (writeWholeFile(path, codeText.toLatin1() + "\r\n", failure))
        return true;
    reason = failure.reason;
    code = failure.code;
    return false;
}

void SaveCode(Platform& platform, FileDialogRequest& box, const QString& codeText)
{
    box = codeSaveDialog();
    const std::optional<QString> path = platform.saveFileName(box);
    if (!path)
        return;
    box.fileName = *path;
    QString reason;
    int code = 0;
    if (writeCodeFile(*path, codeText, reason, code))
        return;
    platform.messageBox(reason, ApplicationTitle, MessageButtons::Ok, MessageIcon::None);
    platform.messageBox(QString::number(code), ApplicationTitle, MessageButtons::Ok,
                        MessageIcon::None);
}

bool printCodePages(QPrinter& printer, const QString& codeText)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    // The painter breaks lines at LF; tabs are expanded, not dropped.
    QString text = codeText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    constexpr int Flags = Qt::TextExpandTabs | Qt::AlignLeft | Qt::AlignTop;
    const float areaWidth = static_cast<float>(printer.width());
    const float areaHeight = static_cast<float>(printer.height());
    for (int page = 1; page <= 2; ++page) {
        const QRectF measured =
            painter.boundingRect(QRectF(0, 0, areaWidth, areaHeight), Flags, text);
        const float x = areaWidth / 2.0f - static_cast<float>(measured.width()) / 2.0f;
        const float y = areaHeight / 2.0f - static_cast<float>(measured.height()) / 2.0f;
        const QString printed = text + QString::number(page) + QLatin1Char('.');
        painter.drawText(QRectF(x, y, areaWidth - x, areaHeight - y), Flags, printed);
        // The page after the second is never started, so no blank third page.
        if (page == 1 && !printer.newPage())
            return false;
    }
    return painter.end();
}

void PrintCode(Platform& platform, const QString& codeText)
{
    if (platform.messageBox(PrintConfirmText, PrintConfirmTitle, MessageButtons::OkCancel,
                            MessageIcon::None) != MessageResult::Ok)
        return;
    const std::unique_ptr<QPrinter> printer = platform.defaultPrinter();
    if (printer && printCodePages(*printer, codeText))
        return;
    platform.messageBox(PrintFailureText, ApplicationTitle, MessageButtons::Ok, MessageIcon::None);
}

void CopyCode(Platform& platform, QProgressBar& progressBar, const QString& codeText)
{
    progressBar.setValue(progressBar.maximum());
    progressBar.repaint();
    platform.clearClipboard();
    platform.setClipboardText(codeText);
    progressBar.setValue(progressBar.minimum());
    progressBar.repaint();
}

void SetCodeBackColor(Platform& platform, const std::function<void(const QColor&)>& apply)
{
    if (const std::optional<QColor> colour = platform.chooseColour())
        apply(*colour);
}

} // namespace quillox
