// What an X server shows of the main window, grabbed from the root window
// rather than drawn by the widgets. Runs under Xvfb (run-on-xvfb.sh).
#include "codebox.h"
#include "gridview.h"
#include "mainwindow.h"
#include "qtplatform.h"

#include <QScreen>
#include <QtTest>

using namespace quillox;

class DesktopScreenTest : public QObject
{
    Q_OBJECT

private slots:
    void screenShowsWindow()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        QtPlatform platform;
        MainWindow window(platform);
        auto* grid = window.findChild<GridView*>("Shape1");
        auto* code = window.findChild<CodeBox*>("source");
        QVERIFY(grid && code);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // The colour the server shows at a point of a widget.
        const auto shown = [&](const QWidget* widget, QPoint point) {
            const QImage screen = window.screen()->grabWindow(0).toImage();
            const QPoint pixel =
                (QPointF(widget->mapToGlobal(point)) * screen.devicePixelRatio()).toPoint();
            return screen.rect().contains(pixel) ? screen.pixelColor(pixel) : QColor();
        };
        // Near the top left corner of a cell, inside its border.
        const auto cell = [](int row, int column) {
            return GridView::cellRect(SpriteGrid::indexOf(row, column)).topLeft() + QPoint(3, 3);
        };
        const QColor hidden = grid->palette().color(QPalette::Disabled, QPalette::WindowText);
        QTRY_COMPARE(shown(grid, cell(1, 1)), hidden);
        QTRY_COMPARE(shown(grid, cell(8, 7)), hidden);
        QTRY_COMPARE(shown(grid, cell(8, 8)), QColor(Qt::white));
        window.clickCell(SpriteGrid::indexOf(8, 8));
        QTRY_COMPARE(shown(grid, cell(8, 8)), QColor(Qt::black));
        const QWidget* box = code->viewport();
        QTRY_COMPARE(shown(box, box->rect().bottomRight() - QPoint(3, 3)), QColor(0, 192, 192));
    }
};

QTEST_MAIN(DesktopScreenTest)
#include "tst_desktopscreen.moc"
