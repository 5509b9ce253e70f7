#include "codebox.h"
#include "gridview.h"
#include "mainwindow.h"
#include "scriptedplatform.h"
#include "spritecode.h"
#include "spritefile.h"
#include "spritepatterns.h"

#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace quillox;

namespace
{

// Records the bar's value each time it is actually painted.
class PaintedValues : public QObject
{
public:
    explicit PaintedValues(QProgressBar* bar) : bar_(bar) { bar->installEventFilter(this); }
    QList<int> values;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        // A second paint of the same value shows nothing new.
        if (event->type() == QEvent::Paint && (values.isEmpty() || values.last() != bar_->value()))
            values.append(bar_->value());
        return false;
    }

private:
    QProgressBar* bar_;
};

QList<int> expectedProgress()
{
    QList<int> values;
    for (int i = 1; i <= 225; ++i)
        values << i;
    values << 1;
    return values;
}

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void loadShowsEmptyEightByEight();
    void refreshSize_data();
    void refreshSize();
    void shrinkAndGrowKeepsColours();
    void settingOwnPositionRunsNoRefresh();
    void newRefreshCount_data();
    void newRefreshCount();
    void commandEndStates_data();
    void commandEndStates();
    void progressIsPaintedInOrder_data();
    void progressIsPaintedInOrder();
    void invertTwiceRestores();
    void clickTogglesCellUnderPointer_data();
    void clickTogglesCellUnderPointer();
    void clickOnHiddenFieldChangesNothing();
    void doubleClickTogglesOnce();
    void shortcutsWorkWithoutMenu_data();
    void shortcutsWorkWithoutMenu();
    void sliderDragUpdatesLabelAtEveryStep();
    void failingBuildKeepsPartialTextAndReports();
    void keyboardMovesFocusAndToggles();
    void focusMarkOnlyForKeyboard();
    void accessibleCells();
    void dragPaintsTheFirstCellsColour();
    void quickClicksOnTwoCellsToggleBoth();
    void undoAndRedoRetraceEveryKindOfStep();
    void transformsOfTheGridMenu();
    void pasteCode_data();
    void pasteCode();
    void assemblerReadyCopies();
    void selectionCopiesWithCrLf();
    void expectedShortcuts_data();
    void expectedShortcuts();
    void opensDroppedSpritesAndPictures();

private:
    struct Shown {
        SpriteGrid grid;
        QString label;
        QString code;
        bool operator==(const Shown& o) const
        {
            return grid.colours() == o.grid.colours() && label == o.label && code == o.code &&
                   grid.columnPosition() == o.grid.columnPosition() &&
                   grid.rowPosition() == o.grid.rowPosition();
        }
    };
    Shown shown() { return {window->grid(), label(), code()}; }
    QAction* action(const char* name) { return child<QAction>(name); }
    template <typename T> T* child(const char* name)
    {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        if (!found)
            qFatal("no child %s", name);
        return found;
    }
    QSlider* columnSlider() { return child<QSlider>("Slider1"); }
    QSlider* rowSlider() { return child<QSlider>("Slider2"); }
    QString label() { return child<QLabel>("Label1")->text(); }
    QString code() { return child<CodeBox>("source")->codeText(); }
    GridView* view() { return child<GridView>("Shape1"); }
    void setSize(int column, int row)
    {
        columnSlider()->setValue(column);
        rowSlider()->setValue(row);
    }
    void paintRandomly(unsigned seed);

    std::unique_ptr<ScriptedPlatform> platform;
    std::unique_ptr<MainWindow> window;
};

void MainWindowTest::init()
{
    platform = std::make_unique<ScriptedPlatform>();
    window = std::make_unique<MainWindow>(*platform);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
}

void MainWindowTest::cleanup()
{
    window.reset();
    platform.reset();
}

void MainWindowTest::paintRandomly(unsigned seed)
{
    std::srand(seed);
    for (int index = 1; index <= SpriteGrid::CellCount; ++index)
        if (std::rand() % 2)
            window->clickCell(index);
}

void MainWindowTest::loadShowsEmptyEightByEight()
{
    QCOMPARE(label(), QStringLiteral("8 x 8"));
    QCOMPARE(columnSlider()->value(), 8);
    QCOMPARE(rowSlider()->value(), 8);
    QCOMPARE(code(), QString::fromStdString(spriteCode(SpriteGrid())));
    QCOMPARE(code().count(QStringLiteral("\t.db\t%00000000")), 8);
    QCOMPARE(child<QProgressBar>("ProgressBar1")->value(), 1);
    QCOMPARE(child<QProgressBar>("ProgressBar1")->minimum(), 1);
    QCOMPARE(child<QProgressBar>("ProgressBar1")->maximum(), 226);
}

void MainWindowTest::refreshSize_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("expectedLabel");
    QTest::addColumn<int>("firstShown");
    QTest::addColumn<int>("shownCount");
    QTest::newRow("1 x 1") << 15 << 15 << "1 x 1" << 225 << 1;
    QTest::newRow("15 x 15") << 1 << 1 << "15 x 15" << 1 << 225;
    QTest::newRow("10 x 3") << 13 << 6 << "10 x 3" << 88 << 30;
    QTest::newRow("3 x 12") << 4 << 13 << "3 x 12" << 184 << 36;
}

void MainWindowTest::refreshSize()
{
    QFETCH(int, column);
    QFETCH(int, row);
    QFETCH(QString, expectedLabel);
    QFETCH(int, firstShown);
    QFETCH(int, shownCount);
    setSize(column, row);
    QCOMPARE(label(), expectedLabel);
    int count = 0;
    int first = 0;
    for (int index = 1; index <= SpriteGrid::CellCount; ++index) {
        const bool inBlock =
            SpriteGrid::rowOf(index) >= row && SpriteGrid::columnOf(index) >= column;
        QCOMPARE(window->grid().isShown(index), inBlock);
        if (inBlock && ++count == 1)
            first = index;
    }
    QCOMPARE(first, firstShown);
    QCOMPARE(count, shownCount);
    QCOMPARE(code(), QString::fromStdString(spriteCode(window->grid())));
}

void MainWindowTest::shrinkAndGrowKeepsColours()
{
    paintRandomly(7);
    const auto before = window->grid().colours();
    setSize(14, 14);
    QCOMPARE(label(), QStringLiteral("2 x 2"));
    setSize(8, 8);
    QCOMPARE(window->grid().colours(), before);
    QCOMPARE(code(), QString::fromStdString(spriteCode(window->grid())));
}

void MainWindowTest::settingOwnPositionRunsNoRefresh()
{
    QSignalSpy refreshes(window.get(), &MainWindow::sizeRefreshed);
    columnSlider()->setValue(8);
    rowSlider()->setValue(8);
    QCOMPARE(refreshes.count(), 0);
    columnSlider()->setValue(9);
    QCOMPARE(refreshes.count(), 1);
    window->setColumnSliderPosition(0);
    window->setRowSliderPosition(16);
    window->setRowSliderPosition(-3);
    QCOMPARE(refreshes.count(), 1);
    QCOMPARE(label(), QStringLiteral("8 x 7"));
}

void MainWindowTest::newRefreshCount_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("refreshes");
    QTest::newRow("already 8 x 8") << 8 << 8 << 1;
    QTest::newRow("column differs") << 3 << 8 << 2;
    QTest::newRow("both differ") << 3 << 12 << 3;
}

void MainWindowTest::newRefreshCount()
{
    QFETCH(int, column);
    QFETCH(int, row);
    QFETCH(int, refreshes);
    setSize(column, row);
    QSignalSpy spy(window.get(), &MainWindow::sizeRefreshed);
    window->NewSprite();
    QCOMPARE(spy.count(), refreshes);
}

void MainWindowTest::commandEndStates_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::addColumn<unsigned>("seed");
    for (const char* command : {"new", "clear", "invert", "fill"}) {
        QTest::addRow("%s at 15 x 15", command) << command << 1 << 1 << 1u;
        QTest::addRow("%s at 3 x 2", command) << command << 13 << 14 << 2u;
        QTest::addRow("%s at 1 x 15", command) << command << 1 << 15 << 3u;
    }
}

void MainWindowTest::commandEndStates()
{
    QFETCH(QString, command);
    QFETCH(int, column);
    QFETCH(int, row);
    QFETCH(unsigned, seed);
    setSize(1, 1);
    paintRandomly(seed);
    setSize(column, row);
    const SpriteGrid before = window->grid();
    if (command == "new")
        window->NewSprite();
    else if (command == "clear")
        window->ClearSprite();
    else if (command == "invert")
        window->Invert();
    else
        window->FillBlack();

    const SpriteGrid& after = window->grid();
    for (int index = 1; index <= SpriteGrid::CellCount; ++index) {
        Rgb expected = before.colour(index);
        if (command == "new" || command == "clear")
            expected = White;
        else if (before.isShown(index))
            expected = command == "fill" || before.isClear(index) ? Black : White;
        QCOMPARE(after.colour(index), expected);
    }
    const bool resets = command == "new";
    QCOMPARE(columnSlider()->value(), resets ? 8 : column);
    QCOMPARE(rowSlider()->value(), resets ? 8 : row);
    QCOMPARE(label(), QStringLiteral("%1 x %2").arg(after.height()).arg(after.width()));
    QCOMPARE(code(), QString::fromStdString(spriteCode(after)));
    QCOMPARE(child<QProgressBar>("ProgressBar1")->value(), 1);
}

void MainWindowTest::progressIsPaintedInOrder_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("New") << "new";
    QTest::newRow("Invert") << "invert";
    QTest::newRow("Fill Black") << "fill";
}

void MainWindowTest::progressIsPaintedInOrder()
{
    QFETCH(QString, command);
    PaintedValues painted(child<QProgressBar>("ProgressBar1"));
    if (command == "new")
        window->NewSprite();
    else if (command == "invert")
        window->Invert();
    else
        window->FillBlack();
    QCOMPARE(painted.values, expectedProgress());
}

void MainWindowTest::invertTwiceRestores()
{
    paintRandomly(5);
    const auto before = window->grid().colours();
    const QString code0 = code();
    window->Invert();
    QVERIFY(code() != code0);
    window->Invert();
    QCOMPARE(window->grid().colours(), before);
    QCOMPARE(code(), code0);
}

void MainWindowTest::clickTogglesCellUnderPointer_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("top-left of 8 x 8") << SpriteGrid::indexOf(8, 8);
    QTest::newRow("bottom-right") << 225;
    QTest::newRow("middle") << SpriteGrid::indexOf(11, 12);
}

void MainWindowTest::clickTogglesCellUnderPointer()
{
    QFETCH(int, index);
    const QPoint centre = GridView::cellRect(index).center();
    QTest::mouseClick(view(), Qt::LeftButton, {}, centre);
    for (int i = 1; i <= SpriteGrid::CellCount; ++i)
        QCOMPARE(window->grid().colour(i), i == index ? Black : White);
    QCOMPARE(code(), QString::fromStdString(spriteCode(window->grid())));
    QCOMPARE(code().count(QLatin1Char('1')), 1);
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseClick(view(), Qt::LeftButton, {}, centre);
    QCOMPARE(window->grid().colour(index), White);
    QCOMPARE(code().count(QLatin1Char('1')), 0);
}

void MainWindowTest::clickOnHiddenFieldChangesNothing()
{
    const QString before = code();
    QTest::mouseClick(view(), Qt::LeftButton, {}, GridView::cellRect(1).center());
    QTest::mouseClick(view(), Qt::LeftButton, {},
                      GridView::cellRect(SpriteGrid::indexOf(15, 7)).center());
    QTest::mouseClick(view(), Qt::RightButton, {}, GridView::cellRect(225).center());
    for (int i = 1; i <= SpriteGrid::CellCount; ++i)
        QCOMPARE(window->grid().colour(i), White);
    QCOMPARE(code(), before);
}

void MainWindowTest::doubleClickTogglesOnce()
{
    // What the window system sends for a double click: press, release,
    // double-click press, release.
    const QPoint centre = GridView::cellRect(225).center();
    QTest::mouseClick(view(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(view(), Qt::LeftButton, {}, centre);
    QTest::mouseRelease(view(), Qt::LeftButton, {}, centre);
    QCOMPARE(window->grid().colour(225), Black);
}

void MainWindowTest::shortcutsWorkWithoutMenu_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("ones");
    QTest::newRow("Ctrl+I inverts") << int(Qt::Key_I) << 64;
    QTest::newRow("Ctrl+B fills") << int(Qt::Key_B) << 64;
}

void MainWindowTest::shortcutsWorkWithoutMenu()
{
    QFETCH(int, key);
    QFETCH(int, ones);
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key(key), Qt::ControlModifier);
    QCOMPARE(code().count(QLatin1Char('1')), ones);
}

void MainWindowTest::sliderDragUpdatesLabelAtEveryStep()
{
    QSlider* slider = columnSlider();
    QStringList seen;
    connect(window.get(), &MainWindow::sizeRefreshed, this, [&] { seen << label(); });
    slider->setSliderDown(true);
    for (int position : {7, 6, 5, 6, 7, 8, 9})
        slider->setSliderPosition(position);
    slider->setSliderDown(false);
    QCOMPARE(seen, QStringList({"8 x 9", "8 x 10", "8 x 11", "8 x 10", "8 x 9", "8 x 8", "8 x 7"}));

    seen.clear();
    QSlider* rows = rowSlider();
    QTest::keyClick(rows, Qt::Key_Up);
    QCOMPARE(seen, QStringList({"9 x 7"}));
    QCOMPARE(rows->value(), 7);
}

void MainWindowTest::failingBuildKeepsPartialTextAndReports()
{
    window->setCodeBuilder([](std::string& out, const SpriteGrid&) {
        out += "\t.db\t%01";
        throw std::runtime_error("cell colour unreadable");
    });
    window->GenerateSpriteCode();
    QCOMPARE(code(), QStringLiteral("\t.db\t%01"));
    QCOMPARE(platform->messages.size(), 1);
    const ScriptedPlatform::Message& message = platform->messages.constFirst();
    QCOMPARE(message.text, QStringLiteral("Oh no! something is wrong,\nplease report the "
                                          "problem.\nError(s):\ncell colour unreadable"));
    QCOMPARE(message.title, QStringLiteral("Quillox"));
    QVERIFY(message.icon == MessageIcon::Stop);
    QVERIFY(message.buttons == MessageButtons::Ok);
    QCOMPARE(label(), QStringLiteral("8 x 8"));
}

void MainWindowTest::keyboardMovesFocusAndToggles()
{
    GridView* grid = view();
    grid->setFocus();
    QCOMPARE(grid->focusCell(), 225);
    for (int i = 0; i < 20; ++i)
        QTest::keyClick(grid, Qt::Key_Left);
    for (int i = 0; i < 20; ++i)
        QTest::keyClick(grid, Qt::Key_Up);
    QCOMPARE(grid->focusCell(), SpriteGrid::indexOf(8, 8));
    QTest::keyClick(grid, Qt::Key_Right);
    QTest::keyClick(grid, Qt::Key_Space);
    QCOMPARE(window->grid().colour(8, 9), Black);
    QCOMPARE(code().section(QStringLiteral("\r\n"), 0, 0), QStringLiteral("\t.db\t%01000000"));
}

void MainWindowTest::focusMarkOnlyForKeyboard()
{
    // The mark is a highlight-coloured outline inside the focus cell (225).
    const QPoint markPixel = GridView::cellRect(225).topLeft() + QPoint(2, 8);
    const QColor highlight = view()->palette().color(QPalette::Highlight);
    view()->setFocus(Qt::MouseFocusReason);
    QVERIFY(view()->grab().toImage().pixelColor(markPixel) != highlight);
    QTest::keyClick(view(), Qt::Key_Right);
    QCOMPARE(view()->grab().toImage().pixelColor(markPixel), highlight);
    window->findChild<QWidget*>(QStringLiteral("Slider1"))->setFocus();
    QVERIFY(view()->grab().toImage().pixelColor(markPixel) != highlight);
}

void MainWindowTest::accessibleCells()
{
    QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(view());
    QVERIFY(grid);
    QCOMPARE(grid->role(), QAccessible::Table);
    QCOMPARE(grid->childCount(), 64);
    QAccessibleInterface* first = grid->child(0);
    QCOMPARE(first->role(), QAccessible::Cell);
    QCOMPARE(first->text(QAccessible::Name), QStringLiteral("Row 8, column 8"));
    QVERIFY(!first->state().checked);
    window->clickCell(SpriteGrid::indexOf(8, 8));
    QVERIFY(first->state().checked);
    QCOMPARE(first->text(QAccessible::Value), QStringLiteral("black"));
    QAccessibleTableCellInterface* cell = first->tableCellInterface();
    QVERIFY(cell);
    QCOMPARE(cell->rowIndex(), 7);
    QCOMPARE(cell->columnIndex(), 7);
    QCOMPARE(grid->indexOfChild(first), 0);
    QAccessibleInterface* last = grid->child(63);
    QCOMPARE(last->text(QAccessible::Name), QStringLiteral("Row 15, column 15"));
    setSize(13, 14);
    QCOMPARE(grid->childCount(), 6);
    QCOMPARE(grid->child(0)->text(QAccessible::Name), QStringLiteral("Row 14, column 13"));
    QVERIFY(!first->isValid());
}

void MainWindowTest::dragPaintsTheFirstCellsColour()
{
    const auto centre = [](int row, int column) {
        return GridView::cellRect(SpriteGrid::indexOf(row, column)).center();
    };
    window->clickCell(SpriteGrid::indexOf(15, 10));
    QTest::mousePress(view(), Qt::LeftButton, {}, centre(15, 8));
    // One move across the row: the cells on the way are visited too.
    QTest::mouseMove(view(), centre(15, 15));
    QTest::mouseRelease(view(), Qt::LeftButton, {}, centre(15, 15));
    QCOMPARE(blockOf(window->grid()).last(), QStringLiteral("11111111"));
    QCOMPARE(code().section(QStringLiteral("\r\n"), 7), QStringLiteral("\t.db\t%11111111"));
    // A stroke from a black cell paints white, over shown cells only.
    QTest::mousePress(view(), Qt::LeftButton, {}, centre(15, 9));
    QTest::mouseMove(view(), centre(14, 9));
    QTest::mouseMove(view(), centre(14, 1));
    QTest::mouseRelease(view(), Qt::LeftButton, {}, centre(14, 1));
    QCOMPARE(blockOf(window->grid()).mid(6), QStringList({"00000000", "10111111"}));
    QTest::mouseClick(view(), Qt::LeftButton, {}, centre(8, 8));
    QCOMPARE(window->grid().colour(8, 8), Black);
    // Each stroke and the click is one step.
    window->undo();
    window->undo();
    QCOMPARE(blockOf(window->grid()).last(), QStringLiteral("11111111"));
    window->undo();
    QCOMPARE(blockOf(window->grid()).last(), QStringLiteral("00100000"));
}

void MainWindowTest::quickClicksOnTwoCellsToggleBoth()
{
    // The window system turns a quick second press anywhere into a double click.
    QTest::mouseClick(view(), Qt::LeftButton, {}, GridView::cellRect(224).center());
    QTest::mouseDClick(view(), Qt::LeftButton, {}, GridView::cellRect(225).center());
    QTest::mouseRelease(view(), Qt::LeftButton, {}, GridView::cellRect(225).center());
    QCOMPARE(blockOf(window->grid()).last(), QStringLiteral("00000011"));
}

void MainWindowTest::undoAndRedoRetraceEveryKindOfStep()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("a.spr"));
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write("0203101010\r\n");
    out.close();
    platform->fileAnswers.push_back(file);
    platform->clipboard = QStringLiteral(".db $A0\n.db $0F");
    const std::function<void()> steps[] = {
        [&] { window->clickCell(225); }, [&] { columnSlider()->setValue(5); },
        [&] { window->Invert(); },       [&] { window->transform(SpriteTransform::ShiftLeft); },
        [&] { window->FillBlack(); },    [&] { window->ClearSprite(); },
        [&] { window->OpenSprite(); },   [&] { window->pasteCode(); },
        [&] { window->NewSprite(); },
    };
    QList<Shown> states{shown()};
    for (const auto& step : steps) {
        step();
        states << shown();
        QVERIFY(!(states.last() == states[states.size() - 2]));
    }
    QCOMPARE(window->history().undoCount(), std::size_t(std::size(steps)));
    for (qsizetype i = states.size() - 2; i >= 0; --i) {
        window->undo();
        QVERIFY2(shown() == states[i], qPrintable(QString::number(i)));
    }
    QVERIFY(!action("undo")->isEnabled());
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    for (qsizetype i = 1; i < states.size(); ++i) {
        QTest::keyClick(window.get(), Qt::Key_Y, Qt::ControlModifier);
        QVERIFY2(shown() == states[i], qPrintable(QString::number(i)));
    }
    // A command that changes nothing is no step.
    window->NewSprite();
    QCOMPARE(window->history().undoCount(), std::size_t(std::size(steps)));
    // A slider drag is one step, however many positions it passes.
    rowSlider()->setSliderDown(true);
    for (int position : {7, 3, 1})
        rowSlider()->setSliderPosition(position);
    rowSlider()->setSliderDown(false);
    QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(label(), QStringLiteral("8 x 8"));
}

void MainWindowTest::transformsOfTheGridMenu()
{
    QMenu* menu = child<QMenu>("gridMenu");
    QStringList texts;
    for (QAction* a : menu->actions())
        if (!a->isSeparator())
            texts << a->text().remove(QLatin1Char('&'));
    QCOMPARE(texts,
             QStringList({"Undo", "Redo", "Flip Horizontal", "Flip Vertical", "Rotate 90\u00B0",
                          "Shift Left", "Shift Right", "Shift Up", "Shift Down", "Paste Code"}));
    setSize(13, 14);
    window->clickCell(SpriteGrid::indexOf(14, 13));
    window->clickCell(1);
    QVERIFY(!action("rotate")->isEnabled());
    action("flipHorizontal")->trigger();
    QCOMPARE(blockOf(window->grid()), QStringList({"001", "000"}));
    QCOMPARE(code(), QStringLiteral("\t.db\t%001\r\n\t.db\t%000"));
    QCOMPARE(window->grid().colour(1), Black);
    setSize(13, 13);
    QVERIFY(action("rotate")->isEnabled());
    action("rotate")->trigger();
    QCOMPARE(blockOf(window->grid()), QStringList({"000", "000", "010"}));
}

void MainWindowTest::pasteCode_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("expectedLabel");
    QTest::addColumn<QString>("expectedCode");
    QTest::newRow("editor's code") << "\t.db\t%101\r\n\t.db\t%011"
                                   << "2 x 3"
                                   << "\t.db\t%101\r\n\t.db\t%011";
    QTest::newRow("hex bytes, 12 wide") << "sprite:\n .db $FF,$F0 ; top"
                                        << "1 x 12"
                                        << "\t.db\t%111111111111";
    QTest::newRow("no sprite") << "ld a,(hl)"
                               << "8 x 8" << QString();
}

void MainWindowTest::pasteCode()
{
    QFETCH(QString, clipboard);
    QFETCH(QString, expectedLabel);
    QFETCH(QString, expectedCode);
    const QString before = code();
    platform->clipboard = clipboard;
    view()->setFocus();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(view(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(label(), expectedLabel);
    QCOMPARE(code(), expectedCode.isNull() ? before : expectedCode);
    QCOMPARE(platform->messages.size(), expectedCode.isNull() ? 1 : 0);
    QCOMPARE(window->text2(), std::string());
}

void MainWindowTest::assemblerReadyCopies()
{
    setSize(4, 14);
    for (int column : {4, 6, 15})
        window->clickCell(SpriteGrid::indexOf(14, column));
    const QString before = code();
    std::unique_ptr<QMenu> menu(child<CodeBox>("source")->createContextMenu());
    QStringList texts;
    for (QAction* a : menu->actions())
        texts << a->text();
    QVERIFY2(texts.filter(QStringLiteral("Copy")).size() == 3, qPrintable(texts.join('|')));
    QVERIFY(texts.contains(QStringLiteral("Copy as Assembler Bytes")));
    QVERIFY(texts.contains(QStringLiteral("Copy as Hex Bytes")));
    action("copyAssemblerBytes")->trigger();
    action("copyHexBytes")->trigger();
    QCOMPARE(platform->clipboardTexts,
             QStringList({"\t.db\t%10100000,%00010000\r\n\t.db\t%00000000,%00000000",
                          "\t.db\t$A0,$10\r\n\t.db\t$00,$00"}));
    QCOMPARE(code(), before);
}

void MainWindowTest::selectionCopiesWithCrLf()
{
    setSize(13, 14);
    auto* box = child<CodeBox>("source");
    box->selectAll();
    box->copy();
    QCOMPARE(QApplication::clipboard()->text(), code());
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("\t.db\t%000\r\n\t.db\t%000"));
}

void MainWindowTest::expectedShortcuts_data()
{
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("request");
    QTest::newRow("Ctrl+O opens") << QKeySequence(Qt::CTRL | Qt::Key_O) << "open";
    QTest::newRow("Ctrl+S saves the sprite") << QKeySequence(Qt::CTRL | Qt::Key_S) << "save";
    QTest::newRow("Ctrl+P prints") << QKeySequence(Qt::CTRL | Qt::Key_P) << "print";
    QTest::newRow("Ctrl+N is New") << QKeySequence(Qt::CTRL | Qt::Key_N) << "new";
    QTest::newRow("F1 is the help") << QKeySequence(Qt::Key_F1) << "help";
}

void MainWindowTest::expectedShortcuts()
{
    QFETCH(QKeySequence, keys);
    QFETCH(QString, request);
    QSignalSpy help(window.get(), &MainWindow::helpRequested);
    window->clickCell(225);
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QTest::keySequence(window.get(), keys);
    const QMap<QString, bool> seen{{"open", platform->openRequests.size() == 1},
                                   {"save", platform->saveRequests.size() == 1},
                                   {"print", platform->printerRequests == 1},
                                   {"new", code().count(QLatin1Char('1')) == 0},
                                   {"help", help.count() == 1}};
    for (auto it = seen.begin(); it != seen.end(); ++it)
        QCOMPARE(it.value(), it.key() == request);
    // The menus show no new shortcuts.
    QCOMPARE(action("open")->shortcut(), QKeySequence());
}

void MainWindowTest::opensDroppedSpritesAndPictures()
{
    QTemporaryDir dir;
    const QString sprite = dir.filePath(QStringLiteral("s.spr"));
    QFile file(sprite);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("0102"
               "10\r\n");
    file.close();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(sprite)});
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
    // Straight to the window: the application drops a drop that no drag began.
    static_cast<QObject*>(window.get())->event(&drop);
    QVERIFY(drop.isAccepted());
    QCOMPARE(code(), QStringLiteral("\t.db\t%10"));
    QCOMPARE(window->text2(), std::string("010210\r\n"));

    QImage picture(3, 1, QImage::Format_RGB32);
    picture.fill(Qt::white);
    picture.setPixel(1, 0, qRgb(0, 0, 0));
    const QString png = dir.filePath(QStringLiteral("p.png"));
    QVERIFY(picture.save(png));
    window->openFile(png);
    QCOMPARE(code(), QStringLiteral("\t.db\t%010"));
    QVERIFY(picture.scaled(16, 1).save(png));
    window->openFile(png);
    QCOMPARE(code(), QStringLiteral("\t.db\t%010"));
    QCOMPARE(platform->messages.size(), 1);
    QVERIFY(platform->messages.constFirst().text.contains(png));
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
