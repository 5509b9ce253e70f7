#include "codereader.h"
#include "spritecode.h"
#include "spritepatterns.h"

#include <QtTest>

using namespace quillox;

namespace
{

using Colours = std::array<Rgb, SpriteGrid::CellCount>;

Colours allWhite()
{
    Colours colours;
    colours.fill(White);
    return colours;
}

std::string line(const std::string& digits)
{
    return std::string("\t.db\t%") + digits;
}

std::string joined(const std::vector<std::string>& rows)
{
    std::string text;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i > 0)
            text += "\r\n";
        text += line(rows[i]);
    }
    return text;
}

} // namespace

class SpriteCodeTest : public QObject
{
    Q_OBJECT
private slots:
    void workedExampleIsTwentyBytes();
    void sword();
    void emptySprite_data();
    void emptySprite();
    void offWhiteIsSet();
    void hiddenCellsChangeNothing();
    void partialTextOnFailure();
    void readsCodeAsProgramsHoldIt_data();
    void readsCodeAsProgramsHoldIt();
};

void SpriteCodeTest::workedExampleIsTwentyBytes()
{
    Colours colours = allWhite();
    for (int index : {208, 210, 224})
        colours[index - 1] = Black;
    const std::string expected("\x09\x2E\x64\x62\x09\x25\x31\x30\x31\x0D\x0A"
                               "\x09\x2E\x64\x62\x09\x25\x30\x31\x30");
    QCOMPARE(spriteCode(13, 14, colours), expected);
    QCOMPARE(spriteCode(13, 14, colours).size(), std::size_t(20));
}

void SpriteCodeTest::sword()
{
    const std::vector<std::pair<int, std::vector<int>>> black = {
        {8, {14, 15}},         {9, {13, 14, 15}}, {10, {12, 13, 14}}, {11, {8, 11, 12, 13}},
        {12, {9, 10, 11, 12}}, {13, {10, 11}},    {14, {9, 11, 12}},  {15, {8}}};
    SpriteGrid grid;
    for (const auto& [row, columns] : black)
        for (int column : columns)
            grid.setColour(row, column, Black);
    const std::string expected = joined({"00000011", "00000111", "00001110", "10011100", "01111000",
                                         "00110000", "01011000", "10000000"});
    QCOMPARE(spriteCode(grid), expected);
    QCOMPARE(expected.size(), std::size_t(126));
}

void SpriteCodeTest::emptySprite_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("length");
    QTest::newRow("1 x 1") << 15 << 15 << 7;
    QTest::newRow("8 x 8") << 8 << 8 << 126;
    QTest::newRow("15 x 15") << 1 << 1 << 343;
    QTest::newRow("1 wide, 15 high") << 15 << 1 << 15 * 7 + 28;
    QTest::newRow("15 wide, 1 high") << 1 << 15 << 21;
    QTest::newRow("9 wide, 2 high") << 7 << 14 << 2 * 15 + 2;
}

void SpriteCodeTest::emptySprite()
{
    QFETCH(int, column);
    QFETCH(int, row);
    QFETCH(int, length);
    const int width = 16 - column;
    const int height = 16 - row;
    const std::string text = spriteCode(column, row, allWhite());
    QCOMPARE(text, joined(std::vector<std::string>(height, std::string(width, '0'))));
    QCOMPARE(text.size(), std::size_t(length));
    QCOMPARE(text.size(), spriteCodeLength(width, height));
    QVERIFY(text.substr(text.size() - 1) == "0");
}

void SpriteCodeTest::offWhiteIsSet()
{
    Colours colours = allWhite();
    colours[224] = 0xFEFEFE;
    QCOMPARE(spriteCode(15, 15, colours), line("1"));
    colours[224] = 0xFFFFFE;
    QCOMPARE(spriteCode(15, 15, colours), line("1"));
}

void SpriteCodeTest::hiddenCellsChangeNothing()
{
    Colours colours = allWhite();
    const std::string before = spriteCode(13, 14, colours);
    for (int index = 1; index <= SpriteGrid::CellCount; ++index) {
        const int row = SpriteGrid::rowOf(index);
        const int column = SpriteGrid::columnOf(index);
        if (row < 14 || column < 13)
            colours[index - 1] = Black;
    }
    QCOMPARE(spriteCode(13, 14, colours), before);
}

void SpriteCodeTest::partialTextOnFailure()
{
    std::string out = "kept";
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, appendSpriteCode(out, 16, 8, allWhite()));
    QCOMPARE(out, std::string("kept"));
}

void SpriteCodeTest::readsCodeAsProgramsHoldIt_data()
{
    // The sprite as rows of digits, or the reason the text is refused.
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("sprite");
    QTest::addColumn<QString>("reason");
    QTest::newRow("editor's own, 3 wide")
        << "\t.db\t%101\r\n\t.db\t%010" << QStringList{"101", "010"} << "";
    QTest::newRow("editor's own, 12 wide") << ".db %100000000001\n.db %000000000010"
                                           << QStringList{"100000000001", "000000000010"} << "";
    QTest::newRow("label, comments, blank lines, any directive")
        << "ship:\n  DB %10100000 ; nose\n\n  defb 0FFh\nlast .byte $0f\n"
        << QStringList{"10100000", "11111111", "00001111"} << "";
    QTest::newRow("two bytes narrowed to the last set pixel")
        << ".db %11111111,%11110000\n.db $00,0x02"
        << QStringList{"111111111111000", "000000000000001"} << "";
    QTest::newRow("two bytes never under 8 wide")
        << ".db 0x81,0\n.db 1,0b00000000" << QStringList{"10000001", "00000001"} << "";
    QTest::newRow("binary suffix and decimal")
        << "db 10100000b\ndb 160" << QStringList{"10100000", "10100000"} << "";
    QTest::newRow("nothing") << "; only a comment\n" << QStringList() << "no .db rows";
    QTest::newRow("rows of different lengths")
        << ".db $FF\n.db $FF,$00" << QStringList() << "different lengths";
    QTest::newRow("pixel beyond column 15") << ".db $FF,$01" << QStringList() << "column 16";
    QTest::newRow("16 digits") << ".db %1000000000000000" << QStringList() << "more than 15";
    QTest::newRow("16 rows") << QString(".db 0\n").repeated(16) << QStringList()
                             << "more than 15 rows";
    QTest::newRow("not a byte") << ".db 256" << QStringList() << "not a byte";
    QTest::newRow("not a number") << ".db %102" << QStringList() << "not a number";
    QTest::newRow("an instruction") << "ld a,5" << QStringList() << "line 1 is not a .db line";
}

void SpriteCodeTest::readsCodeAsProgramsHoldIt()
{
    QFETCH(QString, text);
    QFETCH(QStringList, sprite);
    QFETCH(QString, reason);
    std::string why;
    const std::optional<SpriteGrid> grid = readSpriteCodeText(text.toStdString(), why);
    if (sprite.isEmpty()) {
        QVERIFY(!grid);
        QVERIFY2(QString::fromStdString(why).contains(reason), why.c_str());
    } else {
        QVERIFY2(grid, why.c_str());
        QCOMPARE(blockOf(*grid), sprite);
    }
}

QTEST_APPLESS_MAIN(SpriteCodeTest)
#include "tst_spritecode.moc"
