// What an X server actually shows of the main window: the screen is grabbed
// from the root window, not rendered by the widgets themselves. Runs on the
// xcb platform under Xvfb (run-on-xvfb.sh).
#include "codebox.h"
#include "gridview.h"
#include "mainwindow.h"
#include "qtplatform.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QtTest>

#include <memory>

using namespace quillox;

class DesktopScreenTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        window_ = std::make_unique<MainWindow>(platform_);
        grid_ = window_->findChild<GridView*>(QStringLiteral("Shape1"));
        code_ = window_->findChild<CodeBox*>(QStringLiteral("source"));
        QVERIFY(grid_ && code_);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        window_->clickCell(SpriteGrid::indexOf(15, 15));
    }

    void screenShowsWindow_data()
    {
        QTest::addColumn<bool>("inCodeBox");
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<QColor>("expected");
        const auto centre = [](int row, int column) {
            return GridView::cellRect(SpriteGrid::indexOf(row, column)).center();
        };
        const QColor hidden = grid_->palette().color(QPalette::Disabled, QPalette::WindowText);
        QTest::newRow("hidden cell") << false << centre(1, 1) << hidden;
        QTest::newRow("hidden cell beside the block") << false << centre(8, 7) << hidden;
        QTest::newRow("white cell") << false << centre(8, 8) << QColor(Qt::white);
        QTest::newRow("black cell") << false << centre(15, 15) << QColor(Qt::black);
        QTest::newRow("black cell near its corner")
            << false << GridView::cellRect(SpriteGrid::indexOf(15, 15)).topLeft() + QPoint(3, 3)
            << QColor(Qt::black);
        QTest::newRow("code box") << true << QPoint(-4, -4) << QColor(0, 192, 192);
    }

    void screenShowsWindow()
    {
        QFETCH(bool, inCodeBox);
        QFETCH(QPoint, point);
        QFETCH(QColor, expected);
        QWidget* widget = inCodeBox ? code_->viewport() : static_cast<QWidget*>(grid_);
        // Negative coordinates count from the right and bottom edges.
        if (point.x() < 0)
            point += QPoint(widget->width(), widget->height());
        QVERIFY(widget->rect().contains(point));
        QTRY_COMPARE(screenColour(widget, point), expected);
    }

    void clickShowsOnScreen()
    {
        const int cell = SpriteGrid::indexOf(12, 10);
        const QPoint centre = GridView::cellRect(cell).center();
        QTRY_COMPARE(screenColour(grid_, centre), QColor(Qt::white));
        window_->clickCell(cell);
        QTRY_COMPARE(screenColour(grid_, centre), QColor(Qt::black));
        window_->clickCell(cell);
        QTRY_COMPARE(screenColour(grid_, centre), QColor(Qt::white));
    }

private:
    // The colour the X server shows at a point of a widget.
    QColor screenColour(const QWidget* widget, QPoint point) const
    {
        QScreen* screen = window_->screen();
        const QImage image = screen->grabWindow(0).toImage();
        const QPoint pixel =
            (QPointF(widget->mapToGlobal(point)) * image.devicePixelRatio()).toPoint();
        return image.rect().contains(pixel) ? image.pixelColor(pixel) : QColor();
    }

    QtPlatform platform_;
    std::unique_ptr<MainWindow> window_;
    GridView* grid_ = nullptr;
    CodeBox* code_ = nullptr;
};

QTEST_MAIN(DesktopScreenTest)
#include "tst_desktopscreen.moc"
