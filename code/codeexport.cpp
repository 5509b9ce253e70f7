#include "code/codeexport.h"

#include "code/bytecode.h"
#include "code/labels.h"
#include "code/spritecode.h"
#include "platform/qtfileaccess.h"

#include <QDir>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QProgressBar>

#include <algorithm>
#include <cmath>

namespace quillox
{

FileDialogRequest codeSaveDialog()
{
    return {QStringLiteral("Save code as *.z80"), QStringLiteral("Z80-filez|*.z80"),
            QStringLiteral("z80"), QStringLiteral("code00.z80")};
}

bool writeCodeFile(const QString& path, const QString& codeText, QString& reason, int& code)
{
    FileError failure;
    const std::string bytes = codeFileBytes(codeText.toStdString());
    if (writeWholeFile(path, QByteArray::fromStdString(bytes), failure))
        return true;
    reason = failure.reason;
    code = failure.code;
    return false;
}

namespace
{

// The code save's two boxes: the path and the reason, then the error number.
void reportSaveFailure(Platform& platform, const QString& path, const QString& reason, int code)
{
    platform.messageBox(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason),
                        ApplicationTitle, MessageButtons::Ok, MessageIcon::None);
    platform.messageBox(QString::number(code), ApplicationTitle, MessageButtons::Ok,
                        MessageIcon::None);
}

} // namespace

void SaveCode(Platform& platform, FileDialogRequest& box, const QString& codeText)
{
    box = codeSaveDialog();
    const std::optional<QString> path = platform.saveFileName(box);
    if (!path)
        return;
    box.fileName = *path;
    QString reason;
    int code = 0;
    if (!writeCodeFile(*path, codeText, reason, code))
        reportSaveFailure(platform, *path, reason, code);
}

void saveAssemblerBytes(Platform& platform, FileDialogRequest& dialog, const SpriteGrid& grid,
                        const ByteStyle& style)
{
    saveAssemblerBytes(platform, dialog, pixelsOfSprite(grid), style);
}

void saveAssemblerBytes(Platform& platform, FileDialogRequest& dialog, const SpritePixels& pixels,
                        const ByteStyle& style)
{
    const std::optional<QString> path =
        askFileToSave(platform, dialog,
                      {QStringLiteral("Save Assembler Bytes"), QStringLiteral("Z80-filez|*.z80"),
                       QStringLiteral("z80"), QStringLiteral("sprite.z80")});
    if (!path)
        return;
    std::string bytes;
    appendByteCode(bytes, pixels, styleForPixels(pixels, style), labelForFile(path->toStdString()));
    FileError failure;
    if (!writeWholeFile(*path, QByteArray::fromStdString(bytes), failure))
        reportSaveFailure(platform, *path, failure.reason, failure.code);
}

namespace
{

// Lays out text with tab stops every eight average characters. QPainter's
// own tab expansion loses everything after the second tab of a line when it
// prints, so each run between tabs is placed by hand.
class TabbedText
{
public:
    explicit TabbedText(const QFontMetricsF& metrics)
        : metrics_(metrics), tabStop_(8 * metrics.averageCharWidth())
    {
    }

    qreal lineWidth(const QString& line) const
    {
        qreal x = 0;
        const QStringList runs = line.split(QLatin1Char('\t'));
        for (int i = 0; i < runs.size(); ++i) {
            x += metrics_.horizontalAdvance(runs[i]);
            if (i + 1 < runs.size())
                x = nextTabStop(x);
        }
        return x;
    }

    QSizeF size(const QStringList& lines) const
    {
        qreal width = 0;
        for (const QString& line : lines)
            width = std::max(width, lineWidth(line));
        return {width, lines.size() * metrics_.lineSpacing()};
    }

    void draw(QPainter& painter, QPointF topLeft, const QStringList& lines) const
    {
        qreal baseline = topLeft.y() + metrics_.ascent();
        for (const QString& line : lines) {
            qreal x = 0;
            const QStringList runs = line.split(QLatin1Char('\t'));
            for (int i = 0; i < runs.size(); ++i) {
                painter.drawText(QPointF(topLeft.x() + x, baseline), runs[i]);
                x += metrics_.horizontalAdvance(runs[i]);
                if (i + 1 < runs.size())
                    x = nextTabStop(x);
            }
            baseline += metrics_.lineSpacing();
        }
    }

private:
    qreal nextTabStop(qreal x) const { return (std::floor(x / tabStop_) + 1) * tabStop_; }

    QFontMetricsF metrics_;
    qreal tabStop_;
};

} // namespace

bool printCodePages(QPrinter& printer, const QString& codeText)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const TabbedText layout(QFontMetricsF(painter.font(), &printer));
    const QStringList lines = codeText.split(QStringLiteral("\r\n"));
    const float areaWidth = static_cast<float>(printer.width());
    const float areaHeight = static_cast<float>(printer.height());
    for (int page = 1; page <= 2; ++page) {
        const QSizeF measured = layout.size(lines);
        const float x = areaWidth / 2.0f - static_cast<float>(measured.width()) / 2.0f;
        const float y = areaHeight / 2.0f - static_cast<float>(measured.height()) / 2.0f;
        QStringList printed = lines;
        printed.last() += QString::number(page) + QLatin1Char('.');
        layout.draw(painter, QPointF(x, y), printed);
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
