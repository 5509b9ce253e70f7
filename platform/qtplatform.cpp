#include "platform/qtplatform.h"

#include "platform/qtfileaccess.h"
#include "platform/systemquit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>

namespace quillox
{

MessageResult QtPlatform::messageBox(const QString& text, const QString& title,
                                     MessageButtons buttons, MessageIcon icon)
{
    QMessageBox box(icon == MessageIcon::Stop ? QMessageBox::Critical : QMessageBox::NoIcon, title,
                    text,
                    buttons == MessageButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel
                                                        : QMessageBox::Ok,
                    QApplication::activeWindow());
    return box.exec() == QMessageBox::Ok ? MessageResult::Ok : MessageResult::Cancel;
}

int QtPlatform::askChoice(const QString& text, const QString& title, const QStringList& answers,
                          int cancel)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    QList<QAbstractButton*> buttons;
    for (int i = 0; i < answers.size(); ++i)
        buttons << box.addButton(answers[i],
                                 i == cancel ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
    if (cancel >= 0 && cancel < buttons.size())
        box.setEscapeButton(buttons[cancel]);
    box.exec();
    const int chosen = int(buttons.indexOf(box.clickedButton()));
    return chosen < 0 ? cancel : chosen;
}

std::optional<QString> QtPlatform::askText(const QString& title, const QString& label,
                                           const QString& text)
{
    bool accepted = false;
    const QString answer = QInputDialog::getText(QApplication::activeWindow(), title, label,
                                                 QLineEdit::Normal, text, &accepted);
    return accepted ? std::optional<QString>(answer) : std::nullopt;
}

namespace
{

std::optional<QString> runFileDialog(const FileDialogRequest& request, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(QApplication::activeWindow(), request.title);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                       : QFileDialog::ExistingFile);
    if (!request.filter.isEmpty()) {
        dialog.setNameFilter(dialogFilter(request.filter));
        dialog.setOption(QFileDialog::HideNameFilterDetails, hidesFilterPattern(request.filter));
    }
    if (!request.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

} // namespace

std::optional<QString> QtPlatform::saveFileName(const FileDialogRequest& request)
{
    return runFileDialog(request, QFileDialog::AcceptSave);
}

std::optional<QString> QtPlatform::openFileName(const FileDialogRequest& request)
{
    return runFileDialog(request, QFileDialog::AcceptOpen);
}

std::optional<QColor> QtPlatform::chooseColour()
{
    const QColor colour = QColorDialog::getColor(Qt::white, QApplication::activeWindow());
    if (!colour.isValid())
        return std::nullopt;
    return colour;
}

std::unique_ptr<QPrinter> QtPlatform::defaultPrinter()
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return nullptr;
    return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}

void QtPlatform::clearClipboard()
{
    QApplication::clipboard()->clear();
}

void QtPlatform::setClipboardText(const QString& text)
{
    QApplication::clipboard()->setText(text);
}

QString QtPlatform::clipboardText()
{
    return QApplication::clipboard()->text();
}

QImage QtPlatform::clipboardImage()
{
    return QApplication::clipboard()->image();
}

void QtPlatform::setClipboardImage(const QImage& image)
{
    QApplication::clipboard()->setImage(image);
}

void QtPlatform::openUrl(const QUrl& url)
{
    QDesktopServices::openUrl(url);
}

QTime QtPlatform::currentTime()
{
    return QTime::currentTime();
}

QDate QtPlatform::currentDate()
{
    return QDate::currentDate();
}

QString QtPlatform::exitLogPath()
{
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\quillox.ini");
#else
    const QString home = userHomeFolder();
    return home.isEmpty() ? QString() : QDir(home).filePath(QStringLiteral("quillox.ini"));
#endif
}

void QtPlatform::endProgram()
{
    QApplication::closeAllWindows();
    QApplication::exit(0);
}

} // namespace quillox

namespace quillox
{

void QtPlatform::watchQuitRequests(std::function<void()> onRequest)
{
    quitWatch_ = watchSystemQuit(std::move(onRequest));
}

} // namespace quillox
