// What an X server actually shows of the main window: the screen is grabbed
// from the root window, not rendered by the widgets themselves. Runs on the
// xcb platform under Xvfb (run-on-xvfb.sh).
#include "codebox.h"
#include "gridview.h"
#include "mainwindow.h"
#include "qtplatform.h"
#include "spritegrid.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QtTest>

#include <memory>

using namespace quillox;

namespace
{

constexpr int BlackCell = SpriteGrid::indexOf(15, 15);
constexpr int WhiteCell = SpriteGrid::indexOf(8, 8);
constexpr int HiddenCell = SpriteGrid::indexOf(1, 1);

// Counts the paints of a widget.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

// Which widget a point of the table lies in.
enum class Place { Grid, CodeBox };
Q_DECLARE_METATYPE(Place)

// The colour a point of the table must show.
enum class Expected { HiddenField, White, Black, GridLine, CodeBackground };
Q_DECLARE_METATYPE(Expected)

class DesktopScreenTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void screenShowsWindow_data();
    void screenShowsWindow();
    void clickShowsOnScreen();

private:
    QWidget* widgetAt(Place place) const;
    QColor expectedColour(Expected expected) const;
    // The colour the X server shows at a point of a widget.
    QColor screenColour(const QImage& screen, const QWidget* widget, QPoint point) const;
    QImage grabScreen() const;
    // Runs the model command on a cell and waits until the grid is painted.
    bool clickAndWaitForPaint(int index);

    QtPlatform platform;
    std::unique_ptr<MainWindow> window;
    GridView* gridView = nullptr;
    CodeBox* codeBox = nullptr;
    std::unique_ptr<PaintCounter> gridPaints;
};

void DesktopScreenTest::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    window = std::make_unique<MainWindow>(platform);
    gridView = window->findChild<GridView*>(QStringLiteral("Shape1"));
    codeBox = window->findChild<CodeBox*>(QStringLiteral("source"));
    QVERIFY(gridView);
    QVERIFY(codeBox);
    gridPaints = std::make_unique<PaintCounter>(gridView);

    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QTRY_VERIFY(gridPaints->paints > 0);
    QVERIFY(clickAndWaitForPaint(BlackCell));
    QCOMPARE(window->grid().colour(BlackCell), Black);

    // Each colour must tell the others apart, or a point could pass by
    // showing the wrong one.
    const QList<Expected> all = {Expected::HiddenField, Expected::White, Expected::Black,
                                 Expected::CodeBackground};
    for (int i = 0; i < all.size(); ++i) {
        for (int j = i + 1; j < all.size(); ++j)
            QVERIFY(expectedColour(all[i]) != expectedColour(all[j]));
    }
    QVERIFY(expectedColour(Expected::GridLine) != expectedColour(Expected::HiddenField));
}

void DesktopScreenTest::cleanupTestCase()
{
    gridPaints.reset();
    window.reset();
}

QWidget* DesktopScreenTest::widgetAt(Place place) const
{
    return place == Place::Grid ? static_cast<QWidget*>(gridView) : codeBox->viewport();
}

QColor DesktopScreenTest::expectedColour(Expected expected) const
{
    switch (expected) {
    case Expected::HiddenField:
        return gridView->palette().color(QPalette::Disabled, QPalette::WindowText);
    case Expected::White:
        return Qt::white;
    case Expected::Black:
        return Qt::black;
    case Expected::GridLine:
        return gridView->palette().color(QPalette::Active, QPalette::WindowText);
    case Expected::CodeBackground:
        return QColor(0, 192, 192);
    }
    return {};
}

QImage DesktopScreenTest::grabScreen() const
{
    QScreen* screen = window->screen();
    return screen ? screen->grabWindow(0).toImage() : QImage();
}

QColor DesktopScreenTest::screenColour(const QImage& screen, const QWidget* widget,
                                       QPoint point) const
{
    const QPointF native = QPointF(widget->mapToGlobal(point)) * screen.devicePixelRatio();
    const QPoint pixel = native.toPoint();
    if (!screen.rect().contains(pixel))
        return {};
    return screen.pixelColor(pixel);
}

bool DesktopScreenTest::clickAndWaitForPaint(int index)
{
    const int before = gridPaints->paints;
    window->clickCell(index);
    // The paint's flush to the server comes right after the paint event, in
    // the same pass of the event loop.
    return QTest::qWaitFor([&] { return gridPaints->paints > before; }, 10000);
}

void DesktopScreenTest::screenShowsWindow_data()
{
    QTest::addColumn<Place>("place");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<Expected>("expected");

    const auto centre = [](int index) { return GridView::cellRect(index).center(); };
    QTest::newRow("hidden cell 1") << Place::Grid << centre(HiddenCell) << Expected::HiddenField;
    QTest::newRow("hidden cell 7")
        << Place::Grid << centre(SpriteGrid::indexOf(1, 7)) << Expected::HiddenField;
    QTest::newRow("hidden cell next to the block")
        << Place::Grid << centre(SpriteGrid::indexOf(8, 7)) << Expected::HiddenField;
    QTest::newRow("hidden cell above the block")
        << Place::Grid << centre(SpriteGrid::indexOf(7, 15)) << Expected::HiddenField;
    QTest::newRow("white cell 113") << Place::Grid << centre(WhiteCell) << Expected::White;
    QTest::newRow("white cell next to the black one")
        << Place::Grid << centre(BlackCell - 1) << Expected::White;
    QTest::newRow("black cell 225") << Place::Grid << centre(BlackCell) << Expected::Black;
    QTest::newRow("black cell, near its corner")
        << Place::Grid << GridView::cellRect(BlackCell).topLeft() + QPoint(3, 3) << Expected::Black;
    QTest::newRow("grid line in the hidden field")
        << Place::Grid << QPoint(16 * 3, centre(HiddenCell).y()) << Expected::GridLine;
    QTest::newRow("code box, bottom right")
        << Place::CodeBox << QPoint(-1, -1) << Expected::CodeBackground;
    QTest::newRow("code box, right of the text")
        << Place::CodeBox << QPoint(-1, 8) << Expected::CodeBackground;
}

void DesktopScreenTest::screenShowsWindow()
{
    QFETCH(Place, place);
    QFETCH(QPoint, point);
    QFETCH(Expected, expected);

    QWidget* widget = widgetAt(place);
    // Negative coordinates count from the widget's right or bottom edge.
    if (point.x() < 0)
        point.rx() += widget->width() - 4;
    if (point.y() < 0)
        point.ry() += widget->height() - 4;
    QVERIFY(widget->rect().contains(point));

    const QImage screen = grabScreen();
    QVERIFY(!screen.isNull());
    QCOMPARE(screenColour(screen, widget, point), expectedColour(expected));
}

void DesktopScreenTest::clickShowsOnScreen()
{
    const int cell = SpriteGrid::indexOf(12, 10);
    const QPoint centre = GridView::cellRect(cell).center();
    QCOMPARE(screenColour(grabScreen(), gridView, centre), QColor(Qt::white));

    QVERIFY(clickAndWaitForPaint(cell));
    QCOMPARE(screenColour(grabScreen(), gridView, centre), QColor(Qt::black));

    QVERIFY(clickAndWaitForPaint(cell));
    QCOMPARE(screenColour(grabScreen(), gridView, centre), QColor(Qt::white));
}

QTEST_MAIN(DesktopScreenTest)
#include "tst_desktopscreen.moc"
