#include "spritegrid.h"

#include <QtTest>

#include <set>

using namespace quillox;

namespace
{

std::set<int> shownCells(const SpriteGrid& grid)
{
    std::set<int> shown;
    for (int index = 1; index <= SpriteGrid::CellCount; ++index)
        if (grid.isShown(index))
            shown.insert(index);
    return shown;
}

} // namespace

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
    for (int index = 1; index <= SpriteGrid::CellCount; ++index)
        QCOMPARE(grid.colour(index), Rgb(0xFFFFFF));
    QCOMPARE(grid.width(), 8);
    QCOMPARE(grid.height(), 8);
    QCOMPARE(shownCells(grid).size(), std::size_t(64));
    QVERIFY(grid.isShown(SpriteGrid::indexOf(8, 8)));
    QVERIFY(!grid.isShown(SpriteGrid::indexOf(7, 15)));
    QVERIFY(!grid.isShown(SpriteGrid::indexOf(15, 7)));
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
