#include "code/codeexport.h"
#include "platform/scriptedplatform.h"
#include "tests/support/testfiles.h"

#include <QPrinter>
#include <QProcess>
#include <QProgressBar>

#include <cerrno>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <sys/stat.h>
#endif

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

    void saveCodeFailureShowsTwoBoxes_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("reason");
        QTest::newRow("folder as the name") << "." << EISDIR << "Is a directory";
#ifdef Q_OS_WIN
        // Device and pipe names are refused, never written.
        QTest::newRow("device name") << "NUL" << EINVAL << "Not a regular file";
        QTest::newRow("named pipe") << "//./pipe/quillox-test" << EINVAL << "Not a regular file";
#else
        // Windows words its reasons in the system's language.
        QTest::newRow("missing folder") << "no/code.z80" << ENOENT << "No such file or directory";
        QTest::newRow("full device") << "/dev/full" << ENOSPC << "No space left on device";
        QTest::newRow("named pipe") << "pipe.z80" << EINVAL << "Not a regular file";
#endif
    }

    void saveCodeFailureShowsTwoBoxes()
    {
        QFETCH(QString, path);
        QFETCH(int, number);
        QFETCH(QString, reason);
#ifdef Q_OS_WIN
        const HANDLE pipe = CreateNamedPipeW(L"\\\\.\\pipe\\quillox-test", PIPE_ACCESS_INBOUND,
                                             PIPE_TYPE_BYTE, 1, 0, 0, 0, nullptr);
        QVERIFY(pipe != INVALID_HANDLE_VALUE);
        const auto closePipe = qScopeGuard([pipe] { CloseHandle(pipe); });
#else
        const QString pipe = dir->filePath(QStringLiteral("pipe.z80"));
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
#endif
        if (QDir::isRelativePath(path))
            path = dir->filePath(path);
        saveCodeAs(path);
        QCOMPARE(messages(), QStringList({QDir::toNativeSeparators(path) + ": " + reason,
                                          QString::number(number)}));
        QCOMPARE(platform->messages[0].title, QStringLiteral("Quillox"));
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void saveCodeOnFullDiskKeepsOldFile()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows has no file size limit to stand for a full disk");
#else
        const QString path = dir->filePath(QStringLiteral("kept.z80"));
        saveCodeAs(path, "\t.db\t%1");
        underFileSizeLimit(16, [&] { return saveCodeAs(path), 0; });
        QCOMPARE(contents(path), QByteArray("\t.db\t%1\r\n"));
        QCOMPARE(messages(), QStringList({path + ": File too large", QString::number(EFBIG)}));
#endif
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
        QVERIFY(pdftotext.waitForFinished(30000) && pdftotext.exitCode() == 0);
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
