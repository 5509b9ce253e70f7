// Printing the code on the desktop's default printer as CUPS reports it.
// cups-print-test.sh runs this with a private CUPS server, with the queue
// QUILLOX_PRINT_QUEUE as the default and without any, and checks the pages.
#include "codeexport.h"
#include "mainwindow.h"
#include "qtplatform.h"
#include "scriptedplatform.h"

#include <QFile>
#include <QPrinter>
#include <QtTest>

using namespace quillox;

class DesktopPrintTest : public QObject
{
    Q_OBJECT

private slots:
    void print()
    {
        // Message boxes are answered OK; the printer is the desktop's default.
        QtPlatform desktop;
        ScriptedPlatform platform;
        QStringList printers;
        platform.printerFactory = [&] {
            std::unique_ptr<QPrinter> printer = desktop.defaultPrinter();
            printers << (printer ? printer->printerName() : "none");
            return printer;
        };
        MainWindow window(platform);
        // 12 x 10 cells in which neighbouring lines differ.
        window.setColumnSliderPosition(4);
        window.setRowSliderPosition(6);
        for (int row = 6; row <= 15; ++row)
            for (int column = 4; column <= 15; ++column)
                if ((3 * row + 5 * column) % 7 < 3)
                    window.clickCell(SpriteGrid::indexOf(row, column));
        window.PrintCodeText();

        const QString queue = qEnvironmentVariable("QUILLOX_PRINT_QUEUE", "none");
        QCOMPARE(printers, QStringList{queue});
        QCOMPARE(platform.messages.last().text,
                 queue == "none" ? PrintFailureText : PrintConfirmText);
        // The text sent, for the script to find on the printed pages.
        QFile text(qEnvironmentVariable("QUILLOX_PRINTED_TEXT", "/dev/null"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        QVERIFY(text.write(window.codeText().toLatin1()) > 0);
    }
};

QTEST_MAIN(DesktopPrintTest)
#include "tst_desktopprint.moc"
