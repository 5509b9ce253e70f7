#include "spritegrid.h"
#include "spritehistory.h"
#include "spritepatterns.h"
#include "spritetransforms.h"

#include <QtTest>

using namespace quillox;

class SpriteGridTest : public QObject
{
    Q_OBJECT
private slots:
    void indexRule_data();
    void indexRule();
    void startsWhiteAtEightByEight();
    void refusesPositionsOutsideRange_data();
    void refusesPositionsOutsideRange();
    void transformsMoveOnlyTheBlock_data();
    void transformsMoveOnlyTheBlock();
    void historyUndoesAndRedoesInOrder();
    void historyKeepsItsDepth();
};

void SpriteGridTest::indexRule_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("index");
    QTest::newRow("top-left") << 1 << 1 << 1;
    QTest::newRow("top-right") << 1 << 15 << 15;
    QTest::newRow("second row") << 2 << 1 << 16;
    QTest::newRow("bottom-left") << 15 << 1 << 211;
    QTest::newRow("bottom-right") << 15 << 15 << 225;
    QTest::newRow("worked example") << 14 << 13 << 208;
}

void SpriteGridTest::indexRule()
{
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(int, index);
    QCOMPARE(SpriteGrid::indexOf(row, column), index);
    QCOMPARE(SpriteGrid::rowOf(index), row);
    QCOMPARE(SpriteGrid::columnOf(index), column);
}

void SpriteGridTest::startsWhiteAtEightByEight()
{
    const SpriteGrid grid;
    std::array<Rgb, SpriteGrid::CellCount> white;
    white.fill(0xFFFFFF);
    QCOMPARE(grid.colours(), white);
    QCOMPARE(grid.width(), 8);
    QCOMPARE(grid.height(), 8);
    for (int index = 1; index <= SpriteGrid::CellCount; ++index)
        QCOMPARE(grid.isShown(index),
                 SpriteGrid::rowOf(index) >= 8 && SpriteGrid::columnOf(index) >= 8);
}

void SpriteGridTest::refusesPositionsOutsideRange_data()
{
    QTest::addColumn<int>("position");
    QTest::newRow("0") << 0;
    QTest::newRow("16") << 16;
    QTest::newRow("-1") << -1;
    QTest::newRow("large") << 1000;
}

void SpriteGridTest::refusesPositionsOutsideRange()
{
    QFETCH(int, position);
    SpriteGrid grid;
    QVERIFY(grid.setColumnPosition(3));
    QVERIFY(grid.setRowPosition(12));
    QVERIFY(!grid.setColumnPosition(position));
    QVERIFY(!grid.setRowPosition(position));
    QCOMPARE(grid.columnPosition(), 3);
    QCOMPARE(grid.rowPosition(), 12);
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, grid.colour(position == 0 ? 0 : 226));
}

Q_DECLARE_METATYPE(SpriteTransform)

void SpriteGridTest::transformsMoveOnlyTheBlock_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<SpriteTransform>("transform");
    QTest::addColumn<QStringList>("after");
    const QStringList wide{"1100", "0001", "0100"};
    QTest::newRow("flip horizontal")
        << wide << SpriteTransform::FlipHorizontal << QStringList{"0011", "1000", "0010"};
    QTest::newRow("flip vertical")
        << wide << SpriteTransform::FlipVertical << QStringList{"0100", "0001", "1100"};
    QTest::newRow("shift left wraps")
        << wide << SpriteTransform::ShiftLeft << QStringList{"1001", "0010", "1000"};
    QTest::newRow("shift right wraps")
        << wide << SpriteTransform::ShiftRight << QStringList{"0110", "1000", "0010"};
    QTest::newRow("shift up wraps")
        << wide << SpriteTransform::ShiftUp << QStringList{"0001", "0100", "1100"};
    QTest::newRow("shift down wraps")
        << wide << SpriteTransform::ShiftDown << QStringList{"0100", "1100", "0001"};
    QTest::newRow("no rotation when not square")
        << wide << SpriteTransform::RotateClockwise << wide;
    QTest::newRow("rotate clockwise")
        << QStringList{"110", "000", "001"} << SpriteTransform::RotateClockwise
        << QStringList{"001", "001", "100"};
    QTest::newRow("one pixel") << QStringList{"1"} << SpriteTransform::ShiftDown
                               << QStringList{"1"};
}

void SpriteGridTest::transformsMoveOnlyTheBlock()
{
    QFETCH(QStringList, before);
    QFETCH(SpriteTransform, transform);
    QFETCH(QStringList, after);
    SpriteGrid grid = spriteOf(before);
    grid.setColour(1, Black);
    grid.setColour(SpriteGrid::indexOf(15, grid.columnPosition() - 1), Black);
    const SpriteGrid original = grid;
    transformSprite(grid, transform);
    QCOMPARE(blockOf(grid), after);
    for (int index = 1; index <= SpriteGrid::CellCount; ++index)
        if (!grid.isShown(index))
            QCOMPARE(grid.colour(index), original.colour(index));
    QCOMPARE(grid.width(), original.width());
    QCOMPARE(grid.height(), original.height());
}

void SpriteGridTest::historyUndoesAndRedoesInOrder()
{
    SpriteHistory history;
    SpriteState a, b, c;
    b.colours[0] = Black;
    c.columnPosition = 3;
    history.record(a);
    history.record(b);
    QVERIFY(history.undo(c) == b);
    QVERIFY(history.undo(b) == a);
    QVERIFY(!history.undo(a));
    QVERIFY(history.redo(a) == b);
    QVERIFY(history.redo(b) == c);
    QVERIFY(!history.redo(c));
    history.undo(c);
    history.record(a);
    QVERIFY(!history.canRedo());
}

void SpriteGridTest::historyKeepsItsDepth()
{
    SpriteHistory history(3);
    for (int i = 1; i <= 5; ++i) {
        SpriteState state;
        state.rowPosition = i;
        history.record(state);
    }
    QCOMPARE(history.undoCount(), std::size_t(3));
    QCOMPARE(history.undo({})->rowPosition, 5);
    QVERIFY(SpriteHistory::DefaultDepth >= 1000);
}

QTEST_APPLESS_MAIN(SpriteGridTest)
#include "tst_spritegrid.moc"
