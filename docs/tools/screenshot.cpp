// Takes the pictures of the documentation: shows the main window with a
// small sprite drawn (or, with "screen", the calculator screen window with a
// masked grey sprite over a Pic background; with "set", the Sprite Set
// window of a walk cycle beside the screen window playing its frames) and
// saves what the X server shows of it as a PNG. screenshot.sh runs it under
// Xvfb.
//
// usage: quillox_screenshot OUTPUT.png [screen | set]
#include "editor/mainwindow.h"
#include "editor/screenwindow.h"
#include "editor/spritegrid.h"
#include "editor/spritesetwindow.h"
#include "files/calculatorfile.h"
#include "platform/scriptedplatform.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
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

// A masked grey ship: '#' black, 'd' dark grey, 'l' light grey, '.' white,
// ' ' transparent.
const char* const Ship[] = {
    "   ##   ", "  #dd#  ", " #dlld# ", "#dl..ld#", "#dl..ld#", " #dlld# ", "  #dd#  ", "   ##   ",
};

int fail(const QString& message)
{
    QTextStream(stderr) << "quillox_screenshot: " << message << Qt::endl;
    return 1;
}

// A Pic of a night over a brick wall: stars above, bricks in the lower rows.
std::string backgroundPic()
{
    SpritePixels scene(PicWidth, PicHeight);
    for (int y = 0; y < PicHeight; ++y)
        for (int x = 0; x < PicWidth; ++x) {
            const bool star = y < 40 && (x * 7 + y * 13) % 89 == 0;
            const bool mortar = y >= 44 && (y % 6 == 2 || (x + (y / 6 % 2) * 6) % 12 == 0);
            scene.levels[scene.at(x, y)] = star || mortar || y == 43 ? 3 : 0;
        }
    std::string reason;
    return picFile(*picVariableName("Pic1"), *picBytesOf(scene, reason), false);
}

// Shows `window`, waits until `painted` has been painted and saves what the
// X server shows of the window, which must be what it drew.
int takePicture(QWidget& window, QWidget& painted, const QString& output)
{
    PaintCounter paints(&painted);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return fail(QStringLiteral("the window was never shown"));
    // The whole window is painted and flushed to the server in one pass.
    if (!QTest::qWaitFor([&] { return paints.paints > 0; }, 10000))
        return fail(QStringLiteral("the window was never painted"));
    QTest::qWait(100);

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

// A walk cycle of four frames, as a game's include file keeps it.
const char* const Walk = "; Hero walk cycle, 8 x 8, drawn in turn every fourth tick.\n"
                         "walk_0:\n"
                         "\t.db\t%00111000\n\t.db\t%00111000\n\t.db\t%00010000\n\t.db\t%00111000\n"
                         "\t.db\t%01010100\n\t.db\t%00010000\n\t.db\t%00101000\n\t.db\t%01000100\n"
                         "walk_1:\n"
                         "\t.db\t%00111000\n\t.db\t%00111000\n\t.db\t%00010000\n\t.db\t%00111000\n"
                         "\t.db\t%00110000\n\t.db\t%00010000\n\t.db\t%00101000\n\t.db\t%00100100\n"
                         "walk_2:\n"
                         "\t.db\t%00111000\n\t.db\t%00111000\n\t.db\t%00010000\n\t.db\t%00011000\n"
                         "\t.db\t%00010000\n\t.db\t%00010000\n\t.db\t%00010000\n\t.db\t%00011000\n"
                         "walk_3:\n"
                         "\t.db\t%00111000\n\t.db\t%00111000\n\t.db\t%00010000\n\t.db\t%00111000\n"
                         "\t.db\t%01011000\n\t.db\t%00010000\n\t.db\t%00101000\n\t.db\t%01001000\n";

// Both windows side by side, as the X server shows them: each must show
// what it drew.
int takePictureOfTwo(QWidget& left, QWidget& right, QWidget& painted, const QString& output)
{
    PaintCounter paints(&painted);
    left.show();
    right.show();
    left.move(0, 0);
    right.move(left.frameGeometry().width() + 8, 0);
    if (!QTest::qWaitForWindowExposed(&left) || !QTest::qWaitForWindowExposed(&right))
        return fail(QStringLiteral("the windows were never shown"));
    if (!QTest::qWaitFor([&] { return paints.paints > 0; }, 10000))
        return fail(QStringLiteral("the windows were never painted"));
    QTest::qWait(100);
    QScreen* screen = left.screen();
    if (!screen)
        return fail(QStringLiteral("no screen"));
    const QRect whole = left.frameGeometry().united(right.frameGeometry());
    QImage shot = screen->grabWindow(0, whole.x(), whole.y(), whole.width(), whole.height())
                      .toImage()
                      .convertToFormat(QImage::Format_RGB32);
    QImage picture(whole.size(), QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    for (QWidget* window : {&left, &right}) {
        const QRect frame = window->frameGeometry().translated(-whole.topLeft());
        const QImage drawn = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
        if (shot.copy(frame) != drawn)
            return fail(
                QStringLiteral("the screen does not show what %1 drew").arg(window->windowTitle()));
        painter.drawImage(frame.topLeft(), drawn);
    }
    painter.end();
    if (!picture.save(output, "PNG"))
        return fail(QStringLiteral("could not write %1").arg(output));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const bool screenWindow = arguments.size() == 3 && arguments[2] == QLatin1String("screen");
    const bool setWindow = arguments.size() == 3 && arguments[2] == QLatin1String("set");
    if (arguments.size() != 2 && !screenWindow && !setWindow)
        return fail(QStringLiteral("usage: quillox_screenshot OUTPUT.png [screen | set]"));
    const QString output = arguments[1];

    // A scripted desktop: the clock shows the same time in every picture.
    ScriptedPlatform platform;
    MainWindow window(platform);
    if (setWindow) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("walk.inc"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(Walk) != qint64(qstrlen(Walk)))
            return fail(QStringLiteral("could not write the set"));
        file.close();
        window.openFile(path);
        SpriteSetWindow* set = window.spriteSetWindow();
        if (set->set().size() != 4 || !platform.messages.isEmpty())
            return fail(QStringLiteral("the set was not opened"));
        set->resize(320, 420);
        // Slow enough that no frame changes while the picture is taken.
        set->setFramesPerSecond(1);
        set->play();
        ScreenWindow* screen = window.screenWindow();
        screen->setZoom(3);
        QWidget* view = screen->findChild<QWidget*>(QStringLiteral("screenView"));
        if (!view || !set->isPlaying())
            return fail(QStringLiteral("the frames are not played"));
        return takePictureOfTwo(*set, *screen, *view, output);
    }
    if (!screenWindow) {
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
        return takePicture(window, *grid, output);
    }

    SpritePixels ship(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const char cell = Ship[y][x];
            ship.levels[ship.at(x, y)] = cell == '#' ? 3 : cell == 'd' ? 2 : cell == 'l' ? 1 : 0;
            ship.transparent[ship.at(x, y)] = cell == ' ';
        }
    window.document().takeSprite(ship);
    window.showCalculatorScreen();
    ScreenWindow* screen = window.screenWindow();
    QTemporaryDir dir;
    const QString pic = dir.filePath(QStringLiteral("Pic1.8xi"));
    QFile file(pic);
    const std::string bytes = backgroundPic();
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
        return fail(QStringLiteral("could not write the background"));
    file.close();
    platform.fileAnswers.push_back(pic);
    screen->openBackground();
    screen->findChild<QComboBox*>(QStringLiteral("mode"))->setCurrentIndex(3); // masked
    screen->setPosition({44, 40});
    QWidget* view = screen->findChild<QWidget*>(QStringLiteral("screenView"));
    if (!view || !platform.messages.isEmpty())
        return fail(QStringLiteral("the screen window shows no background"));
    return takePicture(*screen, *view, output);
}
