#include "code/codeexport.h"
#include "platform/scriptedplatform.h"
#include "tests/support/testfiles.h"

#include <QPrinter>
#include <QProcess>
#include <QProgressBar>

#include <cerrno>

using namespace quillox;

namespace
{

// The code of a 15 x 15 sprite: the longest rows, each with two tabs.
const QString LongestCode = QStringList(15, "\t.db\t%101010101010101").join("\r\n");

} // namespace

class CodeExportTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        platform = std::make_unique<ScriptedPlatform>();
    }

    void saveCode()
    {
        const QString path = dir->filePath(QStringLiteral("code.z80"));
        saveCodeAs(path);
        saveCodeAs(path, "\t.db\t%1");
        QCOMPARE(contents(path), QByteArray("\t.db\t%1\r\n"));
        QVERIFY(platform->messages.isEmpty());
        // The same proposal every time; the dialog shows "Z80-filez" alone.
        for (const FileDialogRequest& r : platform->saveRequests)
            QCOMPARE(QStringList({r.title, r.fileName, r.filter, r.defaultSuffix}),
                     QStringList({"Save code as *.z80", "code00.z80", "Z80-filez|*.z80", "z80"}));
        QVERIFY(hidesFilterPattern(QStringLiteral("Z80-filez|*.z80")));
        QVERIFY(!hidesFilterPattern(QStringLiteral("Quillox (*.spr)|*.spr")));
    }

    // The file layer's failures are its own test's; here the save shows one.
    void saveCodeFailureShowsTwoBoxes()
    {
        saveCodeAs(dir->path());
        QCOMPARE(messages(),
                 QStringList({QDir::toNativeSeparators(dir->path()) + ": Is a directory",
                              QString::number(EISDIR)}));
        QCOMPARE(platform->messages[0].title, QStringLiteral("Quillox"));
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void printTwoPagesOrNothing()
    {
        const QString pdf = dir->filePath(QStringLiteral("print.pdf"));
        printTo(pdf);
        QCOMPARE(messages(MessageButtons::OkCancel),
                 QStringList{"Press OK to print the code on standard-printer."});
        QCOMPARE(platform->messages[0].title, QStringLiteral("Quillox - Printing..."));
        // The pages' text, read by a Linux program the Windows build cannot start.
#ifndef Q_OS_WIN
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, "-"});
        QVERIFY(pdftotext.waitForFinished(30000));
        QCOMPARE(pdftotext.exitCode(), 0);
        // Every row whole (text after a row's second tab once went missing), the
        // page number after the last.
        const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
        const QString page =
            QString(".db %101010101010101\n").repeated(14) + ".db %101010101010101%1.";
        QStringList pages = text.split('\f', Qt::SkipEmptyParts);
        for (QString& shown : pages)
            shown = shown.simplified();
        QCOMPARE(pages, QStringList({page.arg(1).simplified(), page.arg(2).simplified()}));
#endif

        // A cancel prints nothing.
        QFile::remove(pdf);
        platform->messageAnswers.push_back(MessageResult::Cancel);
        printTo(pdf);
        QCOMPARE(platform->printerRequests, 1);
        // No printer at all, then a printer that cannot write its output.
        platform->printerFactory = [] { return nullptr; };
        PrintCode(*platform, LongestCode);
        printTo(dir->filePath(QStringLiteral("no/such/dir.pdf")));
        const QString confirm = platform->messages[0].text;
        const QString failed = "There was a problem printing to your printer.";
        QCOMPARE(messages(MessageButtons::OkCancel),
                 QStringList({confirm, confirm, confirm, failed, "<another box>", confirm, failed,
                              "<another box>"}));
        QCOMPARE(platform->messages[5].title, QStringLiteral("Quillox"));
        QCOMPARE(QDir(dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
    }

    void copyAndBackground()
    {
        QProgressBar bar;
        bar.setRange(1, 226);
        QList<int> values;
        connect(&bar, &QProgressBar::valueChanged, this, [&](int value) { values << value; });
        CopyCode(*platform, bar, LongestCode);
        QCOMPARE(platform->clipboardClears, 1);
        QCOMPARE(platform->clipboardTexts, QStringList{LongestCode});
        QCOMPARE(values, QList<int>({226, 1}));
        QList<QColor> applied;
        platform->colourAnswers = {std::nullopt, QColor(Qt::darkRed)};
        for (int i = 0; i < 2; ++i)
            SetCodeBackColor(*platform, [&](const QColor& colour) { applied << colour; });
        QCOMPARE(applied, QList<QColor>{QColor(Qt::darkRed)});
    }

private:
    void saveCodeAs(const QString& path, const QString& code = LongestCode)
    {
        platform->fileAnswers.push_back(path);
        FileDialogRequest box;
        SaveCode(*platform, box, code);
        QCOMPARE(box.fileName, path);
    }
    QStringList messages(MessageButtons buttons = MessageButtons::Ok)
    {
        QStringList texts;
        for (const ScriptedPlatform::Message& message : platform->messages) {
            texts << message.text;
            if (message.buttons != buttons || message.icon != MessageIcon::None)
                texts << "<another box>";
        }
        return texts;
    }
    void printTo(const QString& pdf)
    {
        platform->printerFactory = [pdf] {
            auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(pdf);
            return printer;
        };
        PrintCode(*platform, LongestCode);
    }

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<ScriptedPlatform> platform;
};

QTEST_MAIN(CodeExportTest)
#include "tst_codeexport.moc"
