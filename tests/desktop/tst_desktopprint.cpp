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
        window.setColumnSliderPosition(4); // 12 x 10, neighbouring lines differ
        window.setRowSliderPosition(6);
        for (int index = 1; index <= SpriteGrid::CellCount; index += 4)
            window.clickCell(index);
        window.PrintCodeText();
        const QString queue = qEnvironmentVariable("QUILLOX_PRINT_QUEUE", "none");
        QCOMPARE(printers, QStringList{queue});
        QCOMPARE(platform.messages.last().text,
                 queue == "none" ? PrintFailureText : PrintConfirmText);
        // The text sent, for the script to find on the printed pages.
        QFile text(qEnvironmentVariable("QUILLOX_PRINTED_TEXT", "/dev/null"));
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write(window.codeText().toLatin1()) > 0);
    }
};

QTEST_MAIN(DesktopPrintTest)
#include "tst_desktopprint.moc"
