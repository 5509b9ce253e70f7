#include "spritegrid.h"

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
        QCOMPARE(grid.isShown(index), SpriteGrid::rowOf(index) >= 8 && SpriteGrid::columnOf(index) >= 8);
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

QTEST_APPLESS_MAIN(SpriteGridTest)
#include "tst_spritegrid.moc"
