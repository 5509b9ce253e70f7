#include "editor/spritehistory.h"
#include "editor/spritetransforms.h"
#include "tests/support/spritepatterns.h"

#include <QtTest>

using namespace quillox;
Q_DECLARE_METATYPE(SpriteTransform)

class SpriteGridTest : public QObject
{
    Q_OBJECT
private slots:
    void indexesAndPositions()
    {
        const int cells[][3] = {{1, 1, 1}, {1, 15, 15}, {2, 1, 16}, {14, 13, 208}, {15, 15, 225}};
        for (const auto& [row, column, index] : cells) {
            QCOMPARE(SpriteGrid::indexOf(row, column), index);
            QCOMPARE(SpriteGrid::rowOf(index), row);
            QCOMPARE(SpriteGrid::columnOf(index), column);
        }
        SpriteGrid grid;
        QVERIFY(grid.setColumnPosition(3));
        QVERIFY(grid.setRowPosition(15));
        for (int position : {0, 16, -1}) {
            QVERIFY(!grid.setColumnPosition(position));
            QVERIFY(!grid.setRowPosition(position));
        }
        QCOMPARE(grid.width(), 13);
        QCOMPARE(grid.height(), 1);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, grid.colour(0));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, grid.colour(226));
    }

    void transformsMoveOnlyTheBlock_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<SpriteTransform>("transform");
        QTest::addColumn<QStringList>("after");
        using T = SpriteTransform;
        const QStringList wide{"1100", "0001", "0100"};
        QTest::newRow("flip h") << wide << T::FlipHorizontal << QStringList{"0011", "1000", "0010"};
        QTest::newRow("flip v") << wide << T::FlipVertical << QStringList{"0100", "0001", "1100"};
        QTest::newRow("left") << wide << T::ShiftLeft << QStringList{"1001", "0010", "1000"};
        QTest::newRow("right") << wide << T::ShiftRight << QStringList{"0110", "1000", "0010"};
        QTest::newRow("up") << wide << T::ShiftUp << QStringList{"0001", "0100", "1100"};
        QTest::newRow("down") << wide << T::ShiftDown << QStringList{"0100", "1100", "0001"};
        QTest::newRow("no rotation when not square") << wide << T::RotateClockwise << wide;
        QTest::newRow("rotate") << QStringList{"110", "000", "001"} << T::RotateClockwise
                                << QStringList{"001", "001", "100"};
        QTest::newRow("one pixel") << QStringList{"1"} << T::ShiftDown << QStringList{"1"};
    }

    void transformsMoveOnlyTheBlock()
    {
        QFETCH(QStringList, before);
        QFETCH(SpriteTransform, transform);
        QFETCH(QStringList, after);
        SpriteGrid grid = spriteOf(before);
        const int outside[] = {1, SpriteGrid::indexOf(15, grid.columnPosition() - 1)};
        for (int index : outside)
            grid.setColour(index, Black);
        transformSprite(grid, transform);
        QCOMPARE(blockOf(grid), after);
        for (int index : outside)
            QCOMPARE(grid.colour(index), Black);
    }

    void historyUndoesAndRedoesInOrder()
    {
        SpriteHistory history;
        const SpriteState a, b{{White}}, c{{}, 3};
        history.record(a);
        history.record(b);
        QCOMPARE(history.undo(c), std::optional(b));
        QCOMPARE(history.undo(b), std::optional(a));
        QVERIFY(!history.undo(a));
        QCOMPARE(history.redo(a), std::optional(b));
        QCOMPARE(history.redo(b), std::optional(c));
        QVERIFY(!history.redo(c));
        history.undo(c);
        history.record(a);
        QVERIFY(!history.canRedo());
        // A shallow history keeps the newest steps.
        SpriteHistory shallow(3);
        for (int i = 1; i <= 5; ++i)
            shallow.record({{}, 1, i});
        QCOMPARE(shallow.undoCount(), std::size_t(3));
        const std::optional<SpriteState> newest = shallow.undo({});
        QVERIFY(newest);
        QCOMPARE(newest->rowPosition, 5);
        QVERIFY(SpriteHistory::DefaultDepth >= 1000);
    }
};

QTEST_APPLESS_MAIN(SpriteGridTest)
#include "tst_spritegrid.moc"
