// The Copy button on a real X clipboard: it takes the clipboard from another
// client, xclip, which then reads the code with its CR LF line ends while the
// program serves it from its event loop. Runs under Xvfb (run-on-xvfb.sh).
#include "mainwindow.h"
#include "qtplatform.h"

#include <QProcess>
#include <QPushButton>
#include <QtTest>

using namespace quillox;

// What xclip, another X client, reads from the clipboard as `target`.
static QByteArray readClipboard(const QString& target)
{
    QProcess xclip;
    xclip.start("xclip", {"-o", "-selection", "clipboard", "-t", target});
    const bool ended = QTest::qWaitFor([&] { return xclip.state() == QProcess::NotRunning; });
    return ended && xclip.exitCode() == 0 ? xclip.readAllStandardOutput() : "<xclip failed>";
}

class DesktopClipboardTest : public QObject
{
    Q_OBJECT

private slots:
    void copyTakesClipboardFromOtherClient()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        // xclip owns the clipboard, in the foreground, until another client takes it.
        QProcess owner;
        owner.start("xclip", {"-i", "-quiet", "-selection", "clipboard"});
        QVERIFY2(owner.waitForStarted(), "xclip is missing (Debian package xclip)");
        owner.write("left by another program");
        owner.closeWriteChannel();
        QTRY_COMPARE(readClipboard("UTF8_STRING"), "left by another program");

        QtPlatform platform;
        MainWindow window(platform);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.setColumnSliderPosition(3); // 13 x 4
        window.setRowSliderPosition(12);
        for (int index = 1; index <= SpriteGrid::CellCount; index += 3)
            window.clickCell(index);
        QTest::mouseClick(window.findChild<QPushButton*>("Command7"), Qt::LeftButton);
        QTRY_VERIFY2(owner.state() == QProcess::NotRunning, "the other owner kept the clipboard");
        const QByteArray code = window.codeText().toLatin1();
        QCOMPARE(code.count("\r\n"), 3);
        for (const char* target : {"UTF8_STRING", "STRING", "TEXT", "text/plain"})
            QCOMPARE(readClipboard(target), code);
    }
};

QTEST_MAIN(DesktopClipboardTest)
#include "tst_desktopclipboard.moc"
