// Printing the code on the desktop's real default printer, as CUPS reports
// it. cups-print-test.sh runs this against a private CUPS server, one test
// function at a time, and checks what reaches the printer.
#include "codeexport.h"
#include "mainwindow.h"
#include "qtplatform.h"
#include "scriptedplatform.h"
#include "spritegrid.h"

#include <QFile>
#include <QPrinter>
#include <QPrinterInfo>
#include <QtTest>

#include <memory>

using namespace quillox;

namespace
{

// The sprite drawn before printing: a block of 12 x 10 with a pattern in
// which neighbouring lines differ.
constexpr int ColumnPosition = 4;
constexpr int RowPosition = 6;

bool patternIsBlack(int row, int column)
{
    return (3 * row + 5 * column) % 7 < 3;
}

// The code text of the pattern, built here from the cells rather than by the
// program's own code generator.
QString patternCode()
{
    QStringList lines;
    for (int row = RowPosition; row <= SpriteGrid::Side; ++row) {
        QString line = QStringLiteral("\t.db\t%");
        for (int column = ColumnPosition; column <= SpriteGrid::Side; ++column)
            line += patternIsBlack(row, column) ? QLatin1Char('1') : QLatin1Char('0');
        lines << line;
    }
    return lines.join(QStringLiteral("\r\n"));
}

QString environment(const char* name)
{
    return qEnvironmentVariable(name);
}

} // namespace

class DesktopPrintTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void printsOnDefaultPrinter();
    void noPrinterShowsProblem();

private:
    QtPlatform desktop;
    std::unique_ptr<ScriptedPlatform> platform;
    std::unique_ptr<MainWindow> window;
    QStringList printerNames;
};

void DesktopPrintTest::init()
{
    platform = std::make_unique<ScriptedPlatform>();
    printerNames.clear();
    // Message boxes are answered OK by the script; the printer is the one
    // the desktop reports as its default.
    platform->printerFactory = [this] {
        std::unique_ptr<QPrinter> printer = desktop.defaultPrinter();
        printerNames << (printer ? printer->printerName() : QString());
        return printer;
    };
    window = std::make_unique<MainWindow>(*platform);
    window->setColumnSliderPosition(ColumnPosition);
    window->setRowSliderPosition(RowPosition);
    for (int row = RowPosition; row <= SpriteGrid::Side; ++row) {
        for (int column = ColumnPosition; column <= SpriteGrid::Side; ++column) {
            if (patternIsBlack(row, column))
                window->clickCell(SpriteGrid::indexOf(row, column));
        }
    }
    QCOMPARE(window->codeText(), patternCode());
}

void DesktopPrintTest::cleanup()
{
    window.reset();
    platform.reset();
}

void DesktopPrintTest::printsOnDefaultPrinter()
{
    const QString queue = environment("QUILLOX_PRINT_QUEUE");
    const QString textPath = environment("QUILLOX_PRINTED_TEXT");
    QVERIFY2(!queue.isEmpty() && !textPath.isEmpty(),
             "QUILLOX_PRINT_QUEUE and QUILLOX_PRINTED_TEXT are unset; run cups-print-test.sh");
    QCOMPARE(QPrinterInfo::defaultPrinter().printerName(), queue);

    window->PrintCodeText();

    QCOMPARE(printerNames, QStringList{queue});
    QCOMPARE(platform->messages.size(), 1);
    QCOMPARE(platform->messages[0].text, PrintConfirmText);
    QCOMPARE(platform->messages[0].title, PrintConfirmTitle);
    QVERIFY(platform->messages[0].buttons == MessageButtons::OkCancel);

    // The text sent, for the script to find on the printed pages.
    QFile text(textPath);
    QVERIFY2(text.open(QIODevice::WriteOnly), qPrintable(text.errorString()));
    const QByteArray code = window->codeText().toLatin1();
    QCOMPARE(text.write(code), qint64(code.size()));
}

void DesktopPrintTest::noPrinterShowsProblem()
{
    QVERIFY2(QPrinterInfo::defaultPrinter().isNull(), "the desktop reports a default printer");

    window->PrintCodeText();

    QCOMPARE(printerNames, QStringList{QString()});
    QCOMPARE(platform->messages.size(), 2);
    QCOMPARE(platform->messages[0].text, PrintConfirmText);
    QCOMPARE(platform->messages[1].text,
             QStringLiteral("There was a problem printing to your printer."));
    QCOMPARE(platform->messages[1].title, ApplicationTitle);
    QVERIFY(platform->messages[1].buttons == MessageButtons::Ok);
}

QTEST_MAIN(DesktopPrintTest)
#include "tst_desktopprint.moc"
