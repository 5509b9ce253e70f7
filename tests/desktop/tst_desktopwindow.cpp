// The main window on a real X server (Xvfb, run-on-xvfb.sh): what the server
// shows of it, and the code on the X clipboard as another client reads it.
#include "editor/codebox.h"
#include "editor/gridview.h"
#include "editor/mainwindow.h"
#include "platform/qtplatform.h"

#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

using namespace quillox;

// What xclip reads from the clipboard, served by the program's event loop.
static QByteArray readClipboard(const QString& target)
{
    QProcess xclip;
    xclip.start("xclip", {"-o", "-selection", "clipboard", "-t", target});
    const bool ended = QTest::qWaitFor([&] { return xclip.state() == QProcess::NotRunning; });
    return ended && xclip.exitCode() == 0 ? xclip.readAllStandardOutput() : "<xclip failed>";
}

class DesktopWindowTest : public QObject
{
    Q_OBJECT
    QtPlatform platform_;
    MainWindow window_{platform_};

    // The colour the server shows at a point, or near a cell's top left corner.
    QColor shown(const QWidget* widget, QPoint point)
    {
        const QImage screen = window_.screen()->grabWindow(0).toImage();
        const QPoint pixel = widget->mapToGlobal(point) * screen.devicePixelRatio();
        return screen.rect().contains(pixel) ? screen.pixelColor(pixel) : QColor();
    }
    QColor shown(int row, int column)
    {
        const QRect cell = GridView::cellRect(SpriteGrid::indexOf(row, column));
        return shown(window_.findChild<GridView*>("Shape1"), cell.topLeft() + QPoint(3, 3));
    }

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        window_.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window_));
    }

    void screenShowsWindow()
    {
        const QPalette palette = window_.findChild<GridView*>("Shape1")->palette();
        const QColor hidden = palette.color(QPalette::Disabled, QPalette::WindowText);
        QTRY_COMPARE(shown(8, 7), hidden);
        QTRY_COMPARE(shown(8, 8), QColor(Qt::white));
        window_.document().clickCell(SpriteGrid::indexOf(8, 8));
        QTRY_COMPARE(shown(8, 8), QColor(Qt::black));
        const QWidget* box = window_.findChild<CodeBox*>("source")->viewport();
        QTRY_COMPARE(shown(box, box->rect().bottomRight() - QPoint(3, 3)), QColor(0, 192, 192));
    }

    // Copy takes the clipboard from xclip, which keeps it until then.
    void copyTakesClipboard()
    {
        QProcess owner;
        owner.start("xclip", {"-i", "-quiet", "-selection", "clipboard"});
        QVERIFY2(owner.waitForStarted(), "xclip is missing (Debian package xclip)");
        owner.write("left by another program");
        owner.closeWriteChannel();
        QTRY_COMPARE(readClipboard("UTF8_STRING"), "left by another program");
        window_.document().setColumnSliderPosition(3); // 13 x 4, its lines ended by CR LF
        window_.document().setRowSliderPosition(12);
        QTest::mouseClick(window_.findChild<QPushButton*>("Command7"), Qt::LeftButton);
        QTRY_VERIFY2(owner.state() == QProcess::NotRunning, "the other owner kept the clipboard");
        const QByteArray code = window_.codeText().toLatin1();
        QCOMPARE(code.count("\r\n"), 3);
        for (const char* target : {"UTF8_STRING", "STRING", "TEXT", "text/plain"})
            QCOMPARE(readClipboard(target), code);
    }
};

QTEST_MAIN(DesktopWindowTest)
#include "tst_desktopwindow.moc"
