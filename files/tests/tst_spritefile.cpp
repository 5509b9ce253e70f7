#include "spritefile.h"

#include <QtTest>

using namespace quillox;

namespace
{

SpriteGrid sized(int width, int height)
{
    SpriteGrid grid;
    grid.setColumnPosition(16 - width);
    grid.setRowPosition(16 - height);
    grid.updateShownFlags();
    return grid;
}

} // namespace

class SpriteFileTest : public QObject
{
    Q_OBJECT
private slots:
    void writer_data();
    void writer();
    void writerSkipsHiddenCells();
    void sizeField_data();
    void sizeField();
    void reader_data();
    void reader();
};

void SpriteFileTest::writer_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QList<int>>("black");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("worked example")
        << 3 << 2 << QList<int>{208, 210, 224}
        << QByteArray("\x30\x32\x30\x33\x31\x30\x31\x30\x31\x30\x0D\x0A");
    QTest::newRow("1 x 1 white") << 1 << 1 << QList<int>{} << QByteArray("01010\r\n");
    QTest::newRow("1 x 1 black") << 1 << 1 << QList<int>{225} << QByteArray("01011\r\n");
    QTest::newRow("15 x 15 white")
        << 15 << 15 << QList<int>{} << QByteArray("1515" + QByteArray(225, '0') + "\r\n");
    for (int size = 1; size <= 9; ++size) {
        const QByteArray digits = "0" + QByteArray::number(size);
        QTest::addRow("size %d", size)
            << size << 10 << QList<int>{}
            << QByteArray("10" + digits + QByteArray(10 * size, '0') + "\r\n");
    }
}

void SpriteFileTest::writer()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QList<int>, black);
    QFETCH(QByteArray, bytes);
    SpriteGrid grid = sized(width, height);
    for (int index : black)
        grid.setColour(index, Black);
    const std::string written = spriteFileBytes(spriteFileText(grid));
    QCOMPARE(QByteArray::fromStdString(written), bytes);
    QCOMPARE(written.size(), std::size_t(4 + width * height + 2));
}

void SpriteFileTest::writerSkipsHiddenCells()
{
    SpriteGrid grid = sized(8, 8);
    const std::string before = spriteFileText(grid);
    for (int index = 1; index <= SpriteGrid::CellCount; ++index)
        if (!grid.isShown(index))
            grid.setColour(index, Black);
    QCOMPARE(spriteFileText(grid), before);
    grid.setColour(8, 8, 0xFEFEFE);
    QCOMPARE(spriteFileText(grid)[4], '1');
}

void SpriteFileTest::sizeField_data()
{
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<int>("size");
    for (int size = 1; size <= 15; ++size)
        QTest::addRow("%02d", size) << QByteArray::number(size).rightJustified(2, '0') << size;
    for (const char* bad : {" 1", "1 ", "1", "00", "16", "99", "ab", "", "+1", "-1", "0x", "1\r"})
        QTest::addRow("'%s'", bad) << QByteArray(bad) << 0;
}

void SpriteFileTest::sizeField()
{
    QFETCH(QByteArray, field);
    QFETCH(int, size);
    QCOMPARE(spriteSizeField(field.toStdString(), 0), size);
    QCOMPARE(spriteSizeField(("xx" + field).toStdString(), 2), size);
}

void SpriteFileTest::reader_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("width");
    QTest::addColumn<QByteArray>("cells"); // '0' white, '1' black
    QTest::newRow("worked example")
        << QByteArray("0203101010\r\n") << 2 << 3 << QByteArray("101010");
    QTest::newRow("sizes only: CR LF and past the end are black")
        << QByteArray("0203\r\n") << 2 << 3 << QByteArray("111111");
    QTest::newRow("only height x width cells read") << QByteArray("0101"
                                                                  "0"
                                                                  "000\r\n")
                                                    << 1 << 1 << QByteArray("0");
    QTest::newRow("any other character is black") << QByteArray("0104"
                                                                "0a 2")
                                                  << 1 << 4 << QByteArray("0111");
    QTest::newRow("rows broken by hand shift") << QByteArray("0202"
                                                             "10\r\n01\r\n")
                                               << 2 << 2 << QByteArray("1011");
    QTest::newRow("bad height keeps every cell") << QByteArray(" 103111") << 0 << 3 << QByteArray();
    QTest::newRow("bad width keeps every cell") << QByteArray("0316000") << 3 << 0 << QByteArray();
    QTest::newRow("too short") << QByteArray("02") << 2 << 0 << QByteArray();
    QTest::newRow("empty") << QByteArray() << 0 << 0 << QByteArray();
    QTest::newRow("binary") << QByteArray("\x00\xff\x01\x05", 4) << 0 << 0 << QByteArray();
}

void SpriteFileTest::reader()
{
    QFETCH(QByteArray, text);
    QFETCH(int, height);
    QFETCH(int, width);
    QFETCH(QByteArray, cells);
    const SpriteFileContent content =
        readSpriteFile(std::string_view(text.constData(), text.size()));
    QCOMPARE(content.height, height);
    QCOMPARE(content.width, width);
    QByteArray read;
    for (Rgb cell : content.cells) {
        QVERIFY(cell == White || cell == Black);
        read += cell == White ? '0' : '1';
    }
    QCOMPARE(read, cells);
}

QTEST_APPLESS_MAIN(SpriteFileTest)
#include "tst_spritefile.moc"
