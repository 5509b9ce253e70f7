// Printing on the default printer of a private CUPS server, with a queue
// (QUILLOX_PRINT_QUEUE) and without; cups-print-test.sh checks the pages.
#include "code/codeexport.h"
#include "editor/mainwindow.h"
#include "platform/qtplatform.h"
#include "platform/scriptedplatform.h"

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
        QtPlatform desktop;
        ScriptedPlatform platform;
        platform.printerFactory = [&] { return desktop.defaultPrinter(); };
        MainWindow window(platform);
        window.document().setColumnSliderPosition(4); // 12 x 10, neighbouring lines differ
        window.document().setRowSliderPosition(6);
        for (int index = 1; index <= SpriteGrid::CellCount; index += 4)
            window.document().clickCell(index);
        window.printCodeText();
        // With a default printer only the question shows, else the problem too.
        const bool printer = !qEnvironmentVariable("QUILLOX_PRINT_QUEUE").isEmpty();
        QCOMPARE(platform.messages.last().text, printer ? PrintConfirmText : PrintFailureText);
        // The text sent, for the script to find on the printed pages.
        QFile text(qEnvironmentVariable("QUILLOX_PRINTED_TEXT", "/dev/null"));
        QVERIFY2(text.open(QIODevice::WriteOnly), qPrintable(text.errorString()));
        QVERIFY(text.write(window.codeText().toLatin1()) > 0);
    }
};

QTEST_MAIN(DesktopPrintTest)
#include "tst_desktopprint.moc"
