// Takes the picture of the main window for the documentation: shows the
// window with a small sprite drawn and saves what the X server shows of it
// as a PNG. screenshot.sh runs it under Xvfb.
//
// usage: quillox_screenshot OUTPUT.png
#include "editor/mainwindow.h"
#include "platform/scriptedplatform.h"
#include "editor/spritegrid.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTextStream>
#include <QtTest>

using namespace quillox;

namespace
{

// A smiling face in the 8 x 8 block the window starts with.
const char* const Face[] = {
    "..####..", ".#....#.", "#.#..#.#", "#......#", "#.#..#.#", "#..##..#", ".#....#.", "..####..",
};

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

int fail(const QString& message)
{
    QTextStream(stderr) << "quillox_screenshot: " << message << Qt::endl;
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 2)
        return fail(QStringLiteral("usage: quillox_screenshot OUTPUT.png"));
    const QString output = arguments[1];

    // A scripted desktop: the clock shows the same time in every picture.
    ScriptedPlatform platform;
    MainWindow window(platform);
    constexpr int First = 8;
    for (int row = 0; row < 8; ++row) {
        for (int column = 0; column < 8; ++column) {
            if (Face[row][column] == '#')
                window.document().clickCell(SpriteGrid::indexOf(First + row, First + column));
        }
    }
    QWidget* grid = window.findChild<QWidget*>(QStringLiteral("Shape1"));
    if (!grid)
        return fail(QStringLiteral("the window has no grid"));
    PaintCounter gridPaints(grid);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return fail(QStringLiteral("the window was never shown"));
    // The whole window is painted and flushed to the server in one pass.
    if (!QTest::qWaitFor([&] { return gridPaints.paints > 0; }, 10000))
        return fail(QStringLiteral("the window was never painted"));

    QScreen* screen = window.screen();
    if (!screen)
        return fail(QStringLiteral("no screen"));
    const QRect frame = window.frameGeometry();
    const QImage shot = screen->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height())
                            .toImage()
                            .convertToFormat(QImage::Format_RGB32);
    // Without a window manager there is no frame, so what the server shows
    // must be exactly what the window drew.
    const QImage drawn = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (shot.size() != drawn.size())
        return fail(QStringLiteral("the screen shows %1 x %2, the window is %3 x %4")
                        .arg(shot.width())
                        .arg(shot.height())
                        .arg(drawn.width())
                        .arg(drawn.height()));
    if (shot != drawn)
        return fail(QStringLiteral("the screen does not show what the window drew"));
    if (!shot.save(output, "PNG"))
        return fail(QStringLiteral("could not write %1").arg(output));
    return 0;
}
