#include "spritefile.h"

#include <QtTest>

using namespace quillox;

class SpriteFileTest : public QObject
{
    Q_OBJECT
private slots:
    void writer_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QList<int>>("dark");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("worked example")
            << 3 << 2 << QList<int>{208, 210, 224} << QByteArray("0203101010\r\n");
        QTest::newRow("1 x 1") << 1 << 1 << QList<int>{225} << QByteArray("01011\r\n");
        QTest::newRow("9 x 10") << 9 << 10 << QList<int>{} << "1009" + QByteArray(90, '0') + "\r\n";
        QTest::newRow("15 x 15") << 15 << 15 << QList<int>{}
                                 << "1515" + QByteArray(225, '0') + "\r\n";
    }

    void writer()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QList<int>, dark);
        QFETCH(QByteArray, bytes);
        SpriteGrid grid;
        grid.setColumnPosition(16 - width);
        grid.setRowPosition(16 - height);
        grid.updateShownFlags();
        // Hidden cells are not written; any colour but white is written as 1.
        for (int index = 1; index <= SpriteGrid::CellCount; ++index)
            grid.setColour(index, !grid.isShown(index)   ? Black
                                  : dark.contains(index) ? 0xFEFEFE
                                                         : White);
        QCOMPARE(QByteArray::fromStdString(spriteFileBytes(spriteFileText(grid))), bytes);
    }

    void sizeField_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<int>("size");
        for (int size = 1; size <= 15; ++size)
            QTest::addRow("%02d", size) << QByteArray::number(size).rightJustified(2, '0') << size;
        for (const char* bad : {" 1", "1 ", "1", "00", "16", "99", "ab", "", "+1", "-1", "0x"})
            QTest::addRow("'%s'", bad) << QByteArray(bad) << 0;
    }

    void sizeField()
    {
        QFETCH(QByteArray, field);
        QFETCH(int, size);
        QCOMPARE(spriteSizeField(field.toStdString(), 0), size);
        QCOMPARE(spriteSizeField(("xx" + field).toStdString(), 2), size);
    }

    void reader_data()
    {
        // Cells: '0' white, '1' black.
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("cells");
        QTest::newRow("worked example") << QByteArray("0203101010\r\n") << "2 x 3: 101010";
        QTest::newRow("CR LF and past the end are black")
            << QByteArray("0203\r\n") << "2 x 3: 111111";
        QTest::newRow("only height x width cells") << QByteArray("01010000\r\n") << "1 x 1: 0";
        QTest::newRow("any other character is black") << QByteArray("01040a 2") << "1 x 4: 0111";
        QTest::newRow("rows broken by hand") << QByteArray("020210\r\n01\r\n") << "2 x 2: 1011";
        QTest::newRow("bad height") << QByteArray(" 103111") << "0 x 3: ";
        QTest::newRow("bad width") << QByteArray("0316000") << "3 x 0: ";
        QTest::newRow("binary") << QByteArray("\x00\xff\x01\x05", 4) << "0 x 0: ";
    }

    void reader()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, cells);
        const SpriteFileContent content = readSpriteFile(text.toStdString());
        QString read = QStringLiteral("%1 x %2: ").arg(content.height).arg(content.width);
        for (Rgb cell : content.cells)
            read += cell == White ? '0' : cell == Black ? '1' : '?';
        QCOMPARE(read, cells);
    }
};

QTEST_APPLESS_MAIN(SpriteFileTest)
#include "tst_spritefile.moc"
