// Budgets: the calculator screen after a click, its tiles at zoom 8 and the
// share of a core it takes in Flicker; the 15 x 15 code text, a cell click (and a press with each
// ink) until the code box holds the new text, Invert Grey Levels, Invert on 15 x 15 with its
// progress repaints, opening a sprite file through the window, undo and redo, a transform, a paste
// and one move of a drag stroke; a set of 1,000 sprites opened and listed, a sprite of it chosen,
// an edit saved. Run offscreen.
#include "code/spritecode.h"
#include "editor/codebox.h"
#include "editor/gridview.h"
#include "editor/mainwindow.h"
#include "editor/screenwindow.h"
#include "editor/spritesetwindow.h"
#include "files/spritefile.h"
#include "platform/scriptedplatform.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace quillox;

namespace
{

void fullSize(MainWindow& window)
{
    window.document().setColumnSliderPosition(1);
    window.document().setRowSliderPosition(1);
}

struct ShownWindow {
    ScriptedPlatform platform;
    MainWindow window{platform};
    ShownWindow()
    {
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qFatal("the window was never shown");
        fullSize(window);
    }
};

void codeText15x15(benchmark::State& state)
{
    SpriteGrid grid;
    grid.setColumnPosition(1);
    grid.setRowPosition(1);
    for (int index = 1; index <= SpriteGrid::CellCount; index += 3)
        grid.setColour(index, Black);
    for (auto _ : state) {
        std::string text = spriteCode(grid);
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(codeText15x15)->Repetitions(15)->ReportAggregatesOnly(true);

void cellClickToCode(benchmark::State& state)
{
    ShownWindow shown;
    auto* view = shown.window.findChild<GridView*>(QStringLiteral("Shape1"));
    const QPoint centre = GridView::cellRect(113).center();
    for (auto _ : state) {
        // Release far from the last one, so no double click is made.
        QTest::mouseClick(view, Qt::LeftButton, {}, centre);
        benchmark::DoNotOptimize(shown.window.codeText());
    }
}
BENCHMARK(cellClickToCode)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

// A press with each ink, from the grid's Ink menu, until the code box holds
// the new text; range(0) is the ink (1 black to 4 transparent).
void inkPressToCode(benchmark::State& state)
{
    ShownWindow shown;
    const char* inks[] = {"inkBlack", "inkDarkGrey", "inkLightGrey", "inkTransparent"};
    shown.window.findChild<QAction*>(inks[state.range(0) - 1])->trigger();
    auto* view = shown.window.findChild<GridView*>(QStringLiteral("Shape1"));
    const QPoint centre = GridView::cellRect(113).center();
    for (auto _ : state) {
        QTest::mouseClick(view, Qt::LeftButton, {}, centre);
        benchmark::DoNotOptimize(shown.window.codeText());
    }
}
BENCHMARK(inkPressToCode)
    ->DenseRange(1, 4)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

// Invert Grey Levels on 15 x 15 of every ink, through the window.
void invertGreyLevels15x15(benchmark::State& state)
{
    ShownWindow shown;
    SpritePixels pixels(SpriteGrid::Side, SpriteGrid::Side);
    for (int at = 0; at < SpriteGrid::CellCount; ++at) {
        pixels.levels[std::size_t(at)] = static_cast<unsigned char>(at % 4);
        pixels.transparent[std::size_t(at)] = at % 7 == 0 && at % 4 == 0;
    }
    shown.window.document().takeSprite(pixels);
    QAction* invert = shown.window.findChild<QAction*>(QStringLiteral("invertGreyLevels"));
    for (auto _ : state) {
        invert->trigger();
        benchmark::DoNotOptimize(shown.window.codeText());
    }
}
BENCHMARK(invertGreyLevels15x15)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

void invert15x15(benchmark::State& state)
{
    ShownWindow shown;
    for (auto _ : state)
        shown.window.document().Invert();
}
BENCHMARK(invert15x15)->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true);

void openSpriteFile231Bytes(benchmark::State& state)
{
    ShownWindow shown;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("full.spr"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write the benchmark file");
    std::string text = "1515";
    for (int i = 0; i < SpriteGrid::CellCount; ++i)
        text += (i % 3) ? '1' : '0';
    file.write(spriteFileBytes(text).c_str());
    file.close();
    for (auto _ : state) {
        shown.platform.fileAnswers.push_back(path);
        shown.window.openSprite();
    }
}
BENCHMARK(openSpriteFile231Bytes)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/statm"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = status.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * (sysconf(_SC_PAGESIZE) / 1024) : 0;
}

void openSparse2GiB(benchmark::State& state)
{
    ShownWindow shown;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("huge.spr"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write the benchmark file");
        file.write("0203101010");
        file.resize(qint64(2) << 30);
    }
    const long before = residentKiB();
    for (auto _ : state) {
        shown.platform.fileAnswers.push_back(path);
        shown.window.openSprite();
    }
    state.counters["rss_growth_KiB"] = static_cast<double>(residentKiB() - before);
}
BENCHMARK(openSparse2GiB)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(20)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// Undo and redo in turn on a 15 x 15 sprite, each until the code box holds
// the restored text, the grid's repaint included.
void undoOrRedo15x15(benchmark::State& state)
{
    ShownWindow shown;
    shown.window.document().FillBlack();
    bool undo = true;
    for (auto _ : state) {
        undo ? shown.window.document().undo() : shown.window.document().redo();
        undo = !undo;
        QApplication::processEvents();
    }
}
BENCHMARK(undoOrRedo15x15)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

void flipHorizontal15x15(benchmark::State& state)
{
    ShownWindow shown;
    for (int index = 1; index <= SpriteGrid::CellCount; index += 4)
        shown.window.document().clickCell(index);
    for (auto _ : state) {
        shown.window.document().transform(SpriteTransform::FlipHorizontal);
        QApplication::processEvents();
    }
}
BENCHMARK(flipHorizontal15x15)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

// Two different 15-row sprites of two bytes a row, pasted in turn.
void pasteCode15x15(benchmark::State& state)
{
    ShownWindow shown;
    const QString texts[] = {QStringLiteral("sprite:\n") +
                                 QStringLiteral("\t.db\t$A5,$5A ; row\n").repeated(15),
                             QStringLiteral("\t.db\t%111100001111000\r\n").repeated(15)};
    int next = 0;
    for (auto _ : state) {
        shown.platform.clipboard = texts[next];
        next = 1 - next;
        shown.window.findChild<QAction*>("pasteCode")->trigger();
        QApplication::processEvents();
    }
}
BENCHMARK(pasteCode15x15)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

// One move of a stroke onto a cell of the other colour: the cell is painted,
// the code rebuilt and the grid repainted.
void dragMoveToNewCell(benchmark::State& state)
{
    ShownWindow shown;
    auto* view = shown.window.findChild<GridView*>(QStringLiteral("Shape1"));
    int cell = 1;
    const auto centre = [](int index) { return GridView::cellRect(index).center(); };
    for (auto _ : state) {
        if (cell == 1) {
            // A new stroke over the whole field, which turns the colours over.
            state.PauseTiming();
            QTest::mouseRelease(view, Qt::LeftButton, {}, centre(SpriteGrid::CellCount));
            QTest::mousePress(view, Qt::LeftButton, {}, centre(1));
            QApplication::processEvents();
            state.ResumeTiming();
            cell = 2;
        }
        QTest::mouseMove(view, centre(cell));
        QApplication::processEvents();
        cell = cell == SpriteGrid::CellCount ? 1 : cell + 1;
    }
    QTest::mouseRelease(view, Qt::LeftButton, {}, centre(SpriteGrid::CellCount));
}
BENCHMARK(dragMoveToNewCell)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

// The calculator screen window shown beside the main window, at `zoom`.
struct ShownScreen : ShownWindow {
    explicit ShownScreen(int zoom)
    {
        window.showCalculatorScreen();
        screen = window.screenWindow();
        screen->setZoom(zoom);
        view = screen->findChild<QWidget*>(QStringLiteral("screenView"));
        if (!QTest::qWaitForWindowExposed(screen))
            qFatal("the screen window was never shown");
    }
    ScreenWindow* screen = nullptr;
    QWidget* view = nullptr;
};

// A cell click until the screen window has drawn the screen again at zoom 4.
void screenAfterCellClick(benchmark::State& state)
{
    ShownScreen shown(4);
    auto* grid = shown.window.findChild<GridView*>(QStringLiteral("Shape1"));
    const QPoint centre = GridView::cellRect(113).center();
    for (auto _ : state) {
        QTest::mouseClick(grid, Qt::LeftButton, {}, centre);
        shown.view->repaint();
    }
}
BENCHMARK(screenAfterCellClick)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

// Tiles of a 15 x 15 sprite over the whole screen at zoom 8, drawn again
// after a move of the sprite.
void screenTilesAtZoom8(benchmark::State& state)
{
    ShownScreen shown(8);
    shown.screen->findChild<QComboBox*>(QStringLiteral("background"))->setCurrentIndex(1);
    int x = 0;
    for (auto _ : state) {
        shown.screen->setPosition({x = (x + 1) % 80, 20});
        shown.view->repaint();
    }
}
BENCHMARK(screenTilesAtZoom8)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

// The share of one core the process takes over 10 s with the screen window
// in Flicker (range 0 = 1), in Blend (0), or hidden in Flicker (2).
void screenIdleCpu(benchmark::State& state)
{
    ShownScreen shown(4);
    shown.screen->findChild<QComboBox*>(QStringLiteral("grey"))
        ->setCurrentIndex(state.range(0) == 0 ? 0 : 1);
    if (state.range(0) == 2)
        shown.screen->hide();
    for (auto _ : state) {
        rusage before{};
        getrusage(RUSAGE_SELF, &before);
        QElapsedTimer clock;
        clock.start();
        QTest::qWait(10000);
        rusage after{};
        getrusage(RUSAGE_SELF, &after);
        const auto micros = [](const rusage& usage) {
            return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e6 + usage.ru_utime.tv_usec +
                   usage.ru_stime.tv_usec;
        };
        state.counters["core_percent"] =
            100.0 * (micros(after) - micros(before)) / (clock.nsecsElapsed() / 1e3);
    }
}
BENCHMARK(screenIdleCpu)->DenseRange(0, 2)->Iterations(1)->Unit(benchmark::kSecond);

// An include file of 1,000 labelled 8 x 8 sprites, about 10,000 lines.
QString writeThousandSprites(const QTemporaryDir& dir)
{
    const QString path = dir.filePath(QStringLiteral("frames.inc"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write the benchmark file");
    for (int sprite = 0; sprite < 1000; ++sprite) {
        file.write(QStringLiteral("; frame %1\nframe_%1:\n").arg(sprite).toLatin1());
        for (int row = 0; row < 8; ++row)
            file.write(QStringLiteral("\t.db\t%%1\n")
                           .arg((sprite * 7 + row * 13) % 256, 8, 2, QLatin1Char('0'))
                           .toLatin1());
    }
    return path;
}

// The file opened from the main window until the Sprite Set window lists
// every sprite with its thumbnail and the first is on the grid.
void setOpenAndList1000(benchmark::State& state)
{
    ShownWindow shown;
    QTemporaryDir dir;
    const QString path = writeThousandSprites(dir);
    const auto residentKiB = [] {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return usage.ru_maxrss;
    };
    const long before = residentKiB();
    for (auto _ : state) {
        shown.platform.choiceAnswers.push_back(1); // discard, after the first
        shown.window.openFile(path);
        if (shown.window.spriteSetWindow()->spriteList()->count() != 1000)
            state.SkipWithError("the set was not listed");
    }
    state.counters["grownMiB"] = double(residentKiB() - before) / 1024.0;
}
BENCHMARK(setOpenAndList1000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// A sprite of the set chosen until the grid and the code box hold it.
void setChooseSprite(benchmark::State& state)
{
    ShownWindow shown;
    QTemporaryDir dir;
    shown.window.openFile(writeThousandSprites(dir));
    SpriteSetWindow* set = shown.window.spriteSetWindow();
    int next = 1;
    for (auto _ : state) {
        set->choose(next);
        next = (next + 499) % 1000;
    }
}
BENCHMARK(setChooseSprite)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

// One pixel changed on the grid, then Save until the file is written.
void setEditAndSave1000(benchmark::State& state)
{
    ShownWindow shown;
    QTemporaryDir dir;
    shown.window.openFile(writeThousandSprites(dir));
    SpriteSetWindow* set = shown.window.spriteSetWindow();
    set->choose(500);
    for (auto _ : state) {
        shown.window.document().clickCell(SpriteGrid::indexOf(15, 15));
        if (!set->save())
            state.SkipWithError("the set was not saved");
    }
}
BENCHMARK(setEditAndSave1000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
