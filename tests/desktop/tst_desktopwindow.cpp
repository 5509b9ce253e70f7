// The main window on a real X server (Xvfb, run-on-xvfb.sh): what the server
// shows of it, and the code that the Copy button leaves on the X clipboard as
// another client, xclip, reads it.
#include "codebox.h"
#include "gridview.h"
#include "mainwindow.h"
#include "qtplatform.h"

#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

using namespace quillox;

// What xclip reads from the clipboard as `target`.
static QByteArray readClipboard(const QString& target)
{
    QProcess xclip;
    xclip.start("xclip", {"-o", "-selection", "clipboard", "-t", target});
    // The program answers from its event loop, which must keep running.
    const bool ended = QTest::qWaitFor([&] { return xclip.state() == QProcess::NotRunning; });
    return ended && xclip.exitCode() == 0 ? xclip.readAllStandardOutput() : "<xclip failed>";
}

class DesktopWindowTest : public QObject
{
    Q_OBJECT
    QtPlatform platform_;
    MainWindow window_{platform_};

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        window_.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window_));
    }

    // The colours the server shows, grabbed from the root window.
    void screenShowsWindow()
    {
        const auto shown = [&](const QWidget* widget, QPoint point) {
            const QImage screen = window_.screen()->grabWindow(0).toImage();
            const QPoint pixel =
                (QPointF(widget->mapToGlobal(point)) * screen.devicePixelRatio()).toPoint();
            return screen.rect().contains(pixel) ? screen.pixelColor(pixel) : QColor();
        };
        // Near the top left corner of a cell, inside its border.
        const auto cell = [](int row, int column) {
            return GridView::cellRect(SpriteGrid::indexOf(row, column)).topLeft() + QPoint(3, 3);
        };
        const auto* grid = window_.findChild<GridView*>("Shape1");
        const QColor hidden = grid->palette().color(QPalette::Disabled, QPalette::WindowText);
        QTRY_COMPARE(shown(grid, cell(1, 1)), hidden);
        QTRY_COMPARE(shown(grid, cell(8, 7)), hidden);
        QTRY_COMPARE(shown(grid, cell(8, 8)), QColor(Qt::white));
        window_.clickCell(SpriteGrid::indexOf(8, 8));
        QTRY_COMPARE(shown(grid, cell(8, 8)), QColor(Qt::black));
        const QWidget* box = window_.findChild<CodeBox*>("source")->viewport();
        QTRY_COMPARE(shown(box, box->rect().bottomRight() - QPoint(3, 3)), QColor(0, 192, 192));
    }

    // Copy takes the clipboard from another client, which reads the code with
    // its CR LF line ends as every text target.
    void copyTakesClipboard()
    {
        QProcess owner; // xclip keeps the clipboard until another client takes it
        owner.start("xclip", {"-i", "-quiet", "-selection", "clipboard"});
        QVERIFY2(owner.waitForStarted(), "xclip is missing (Debian package xclip)");
        owner.write("left by another program");
        owner.closeWriteChannel();
        QTRY_COMPARE(readClipboard("UTF8_STRING"), "left by another program");
        window_.setColumnSliderPosition(3); // 13 x 4
        window_.setRowSliderPosition(12);
        window_.clickCell(SpriteGrid::indexOf(15, 15));
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
