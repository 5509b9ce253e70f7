#include "codebox.h"
#include "codeexport.h"
#include "mainwindow.h"
#include "scriptedplatform.h"

#include <QPrinter>
#include <QProcess>
#include <QProgressBar>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <memory>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <sys/resource.h>
#include <sys/stat.h>
#endif

using namespace quillox;

namespace
{

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

std::unique_ptr<QPrinter> pdfPrinter(const QString& path)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(path);
    return printer;
}

// The text of each page of a PDF, as pdftotext reads it.
QStringList pdfPages(const QString& path)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(30000) || pdftotext.exitCode() != 0)
        return {};
    QStringList pages = QString::fromUtf8(pdftotext.readAllStandardOutput()).split(QChar('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

} // namespace

class CodeExportTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void saveCode_data();
    void saveCode();
    void saveCodeProposesSameNameEveryTime();
    void saveCodeFailureShowsTwoBoxes_data();
    void saveCodeFailureShowsTwoBoxes();
    void saveCodeOnFullDiskKeepsOldFile();
    void printTwoPages_data();
    void printTwoPages();
    void printCancelPrintsNothing();
    void printFailureShowsSentence();
    void copyPutsExactText();
    void backgroundColour();

private:
    void saveCodeAs(const QString& path)
    {
        platform->fileAnswers.push_back(path);
        window->SaveCodeFile();
    }

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<ScriptedPlatform> platform;
    std::unique_ptr<MainWindow> window;
};

void CodeExportTest::init()
{
    dir = std::make_unique<QTemporaryDir>();
    platform = std::make_unique<ScriptedPlatform>();
    window = std::make_unique<MainWindow>(*platform);
}

void CodeExportTest::cleanup()
{
    window.reset();
    platform.reset();
    dir.reset();
}

void CodeExportTest::saveCode_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("size");
    QTest::newRow("8 x 8") << 8 << 128;
    QTest::newRow("1 x 1") << 15 << 9;
    QTest::newRow("15 x 15") << 1 << 345;
}

void CodeExportTest::saveCode()
{
    QFETCH(int, position);
    QFETCH(int, size);
    window->setColumnSliderPosition(position);
    window->setRowSliderPosition(position);
    window->clickCell(225);
    const QString path = dir->filePath(QStringLiteral("code.z80"));
    saveCodeAs(path);
    saveCodeAs(path);
    const QByteArray bytes = readAll(path);
    QCOMPARE(bytes.size(), size);
    QCOMPARE(bytes, window->codeText().toLatin1() + "\r\n");
    QVERIFY(platform->messages.isEmpty());
}

void CodeExportTest::saveCodeProposesSameNameEveryTime()
{
    saveCodeAs(dir->filePath(QStringLiteral("first.z80")));
    saveCodeAs(dir->filePath(QStringLiteral("second.z80")));
    QCOMPARE(platform->saveRequests.size(), 2);
    for (const FileDialogRequest& request : platform->saveRequests) {
        QCOMPARE(request.title, QStringLiteral("Save code as *.z80"));
        QCOMPARE(request.fileName, QStringLiteral("code00.z80"));
        QCOMPARE(request.filter, QStringLiteral("Z80-filez|*.z80"));
        QCOMPARE(request.defaultSuffix, QStringLiteral("z80"));
        // The dialog shows "Z80-filez" alone; the sprite filter's label names its pattern.
        QVERIFY(hidesFilterPattern(request.filter));
    }
    QVERIFY(!hidesFilterPattern(QStringLiteral("Quillox (*.spr)|*.spr")));
    // The sprite dialog keeps its own state.
    QCOMPARE(window->commonDialog1().fileName, QString());
}

void CodeExportTest::saveCodeFailureShowsTwoBoxes_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<int>("number");
    QTest::newRow("folder as the name") << "."
                                        << "Is a directory" << EISDIR;
#ifdef Q_OS_WIN
    // Device and pipe names are refused, not written.
    QTest::newRow("device name") << "NUL"
                                 << "Not a regular file" << EINVAL;
    QTest::newRow("named pipe") << "\\\\.\\pipe\\quillox-test"
                                << "Not a regular file" << EINVAL;
#else
    QTest::newRow("full device") << "/dev/full"
                                 << "No space left on device" << ENOSPC;
    QTest::newRow("missing folder") << "missing/code.z80"
                                    << "No such file or directory" << ENOENT;
    QTest::newRow("named pipe") << "pipe.z80"
                                << "Not a regular file" << EINVAL;
#endif
}

void CodeExportTest::saveCodeFailureShowsTwoBoxes()
{
    QFETCH(QString, path);
    QFETCH(QString, reason);
    QFETCH(int, number);
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
    QCOMPARE(platform->messages.size(), 2);
    QCOMPARE(platform->messages[0].text, path + ": " + reason);
    QCOMPARE(platform->messages[1].text, QString::number(number));
    for (const ScriptedPlatform::Message& message : platform->messages) {
        QCOMPARE(message.title, QStringLiteral("Quillox"));
        QVERIFY(message.icon == MessageIcon::None);
        QVERIFY(message.buttons == MessageButtons::Ok);
    }
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

void CodeExportTest::saveCodeOnFullDiskKeepsOldFile()
{
#ifdef Q_OS_WIN
    QSKIP("Windows has no file size limit to stand for a full disk");
#else
    const QString path = dir->filePath(QStringLiteral("kept.z80"));
    saveCodeAs(path);
    const QByteArray old = readAll(path);
    window->FillBlack();
    struct rlimit previous;
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &previous) == 0);
    const auto handler = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = previous;
    limit.rlim_cur = 16;
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &limit) == 0);
    saveCodeAs(path);
    ::setrlimit(RLIMIT_FSIZE, &previous);
    ::signal(SIGXFSZ, handler);
    QCOMPARE(readAll(path), old);
    QCOMPARE(platform->messages.size(), 2);
    QCOMPARE(platform->messages[0].text, path + ": File too large");
    QCOMPARE(platform->messages[1].text, QString::number(EFBIG));
#endif
}

void CodeExportTest::printTwoPages_data()
{
    QTest::addColumn<int>("position");
    QTest::newRow("8 x 8 sword end") << 8;
    QTest::newRow("15 x 15") << 1;
    QTest::newRow("1 x 1") << 15;
}

void CodeExportTest::printTwoPages()
{
    QFETCH(int, position);
    window->setColumnSliderPosition(position);
    window->setRowSliderPosition(position);
    for (int index = 1; index <= 225; index += 2)
        window->setCellColour(SpriteGrid::rowOf(index), SpriteGrid::columnOf(index), Black);
    window->GenerateSpriteCode();
    const QString pdf = dir->filePath(QStringLiteral("print.pdf"));
    platform->printerFactory = [&] { return pdfPrinter(pdf); };
    window->PrintCodeText();
    QCOMPARE(platform->messages.size(), 1);
    QCOMPARE(platform->messages[0].text,
             QStringLiteral("Press OK to print the code on standard-printer."));
    QCOMPARE(platform->messages[0].title, QStringLiteral("Quillox - Printing..."));
    QVERIFY(platform->messages[0].buttons == MessageButtons::OkCancel);
    QVERIFY(platform->messages[0].icon == MessageIcon::None);

    const QStringList pages = pdfPages(pdf);
    QCOMPARE(pages.size(), 2);
    const QStringList lines = window->codeText().split(QStringLiteral("\r\n"));
    for (int page = 1; page <= 2; ++page) {
        const QString text = pages[page - 1];
        int from = 0;
        for (int i = 0; i < lines.size(); ++i) {
            QString digits = lines[i].mid(6);
            if (i == lines.size() - 1)
                digits += QString::number(page) + QLatin1Char('.');
            const int at = text.indexOf(QLatin1Char('%') + digits, from);
            QVERIFY2(at >= 0,
                     qPrintable(QStringLiteral("page %1 lacks %%2").arg(page).arg(digits)));
            from = at + digits.size();
        }
        QCOMPARE(text.count(QStringLiteral(".db")), lines.size());
    }
}

void CodeExportTest::printCancelPrintsNothing()
{
    platform->messageAnswers.push_back(MessageResult::Cancel);
    const QString pdf = dir->filePath(QStringLiteral("print.pdf"));
    platform->printerFactory = [&] { return pdfPrinter(pdf); };
    window->PrintCodeText();
    QCOMPARE(platform->printerRequests, 0);
    QCOMPARE(platform->messages.size(), 1);
    QVERIFY(!QFile::exists(pdf));
}

void CodeExportTest::printFailureShowsSentence()
{
    // First no printer at all, then a printer that cannot write its output.
    platform->printerFactory = [] { return nullptr; };
    window->PrintCodeText();
    platform->printerFactory = [&] {
        return pdfPrinter(dir->filePath(QStringLiteral("no/such/dir.pdf")));
    };
    window->PrintCodeText();
    QCOMPARE(platform->messages.size(), 4);
    for (int i : {1, 3}) {
        QCOMPARE(platform->messages[i].text,
                 QStringLiteral("There was a problem printing to your printer."));
        QCOMPARE(platform->messages[i].title, QStringLiteral("Quillox"));
        QVERIFY(platform->messages[i].buttons == MessageButtons::Ok);
    }
    QCOMPARE(QDir(dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

void CodeExportTest::copyPutsExactText()
{
    window->clickCell(225);
    auto* bar = window->findChild<QProgressBar*>(QStringLiteral("ProgressBar1"));
    QList<int> values;
    connect(bar, &QProgressBar::valueChanged, this, [&](int value) { values << value; });
    window->CopyCodeText();
    QCOMPARE(platform->clipboardClears, 1);
    QCOMPARE(platform->clipboardTexts, QStringList{window->codeText()});
    QVERIFY(platform->clipboardTexts[0].contains(QStringLiteral("\r\n")));
    QCOMPARE(values, QList<int>({226, 1}));
    QCOMPARE(bar->value(), 1);
}

void CodeExportTest::backgroundColour()
{
    auto* box = window->findChild<CodeBox*>(QStringLiteral("source"));
    QCOMPARE(box->backgroundColour(), QColor(0, 192, 192));
    const QString code = window->codeText();
    platform->colourAnswers.push_back(box->palette().color(QPalette::Text));
    window->SetCodeBackColour();
    QCOMPARE(box->backgroundColour(), box->palette().color(QPalette::Text));
    QCOMPARE(window->codeText(), code);
    QCOMPARE(platform->colourRequests, 1);
}

QTEST_MAIN(CodeExportTest)
#include "tst_codeexport.moc"
