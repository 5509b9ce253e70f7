#include "code/codereader.h"
#include "code/spritecode.h"
#include "tests/support/spritepatterns.h"

#include <QtTest>

using namespace quillox;

class SpriteCodeTest : public QObject
{
    Q_OBJECT
private slots:
    void workedExampleIsTwentyBytes()
    {
        std::array<Rgb, SpriteGrid::CellCount> colours;
        colours.fill(White);
        // 208 and 224 in the block, 1 and 207 hidden; any colour but white is set.
        for (int index : {1, 207, 208, 224})
            colours[index - 1] = Black;
        colours[209] = 0xFFFFFE;
        const std::string expected("\x09\x2E\x64\x62\x09\x25\x31\x30\x31\x0D\x0A"
                                   "\x09\x2E\x64\x62\x09\x25\x30\x31\x30");
        QCOMPARE(spriteCode(13, 14, colours), expected);
        QCOMPARE(spriteCodeLength(3, 2), std::size_t(20));
        std::string out = "kept";
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, appendSpriteCode(out, 16, 8, colours));
        QCOMPARE(out, std::string("kept"));
    }

    void writesRowsOfDigits_data()
    {
        QTest::addColumn<QStringList>("sprite");
        QTest::newRow("1 x 1") << QStringList{"1"};
        QTest::newRow("sword") << QStringList{"00000011", "00000111", "00001110", "10011100",
                                              "01111000", "00110000", "01011000", "10000000"};
        QTest::newRow("15 x 15") << QStringList(15, "000000000000001");
        QTest::newRow("1 wide, 15 high") << QStringList(15, "0");
        QTest::newRow("15 wide, 1 high") << QStringList{"100000000000000"};
    }

    void writesRowsOfDigits()
    {
        QFETCH(QStringList, sprite);
        const std::string text = spriteCode(spriteOf(sprite));
        QCOMPARE(QString::fromStdString(text), codeOf(sprite));
        QCOMPARE(text.size(), spriteCodeLength(int(sprite[0].size()), int(sprite.size())));
    }

    // The sprite as rows of digits split by spaces, or the reason the text is refused.
    void readsCodeAsProgramsHoldIt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("sprite");
        QTest::addColumn<QString>("reason");
        const auto row = [](const char* tag, const QString& text, const QString& sprite,
                            const char* reason = "") {
            QTest::newRow(tag) << text << sprite << QString(reason);
        };
        row("editor's own", "\t.db\t%101\r\n\t.db\t%010", "101 010");
        row("editor's own, 15 wide", ".db %100000000000001\n.db %000000000000010",
            "100000000000001 000000000000010");
        row("label, comments, blank lines, any directive",
            "ship:\n  DB %10100000 ; nose\n\n  defb 0FFh\nlast .byte $0f\n",
            "10100000 11111111 00001111");
        row("two bytes narrowed to the last set pixel", ".db %11111111,%11110000\n.db $00,0x02",
            "111111111111000 000000000000001");
        row("two bytes never under 8 wide", ".db 0x81,0\n.db 1,0b00000000", "10000001 00000001");
        row("binary suffix and decimal", "db 10100000b\ndb 160", "10100000 10100000");
        row("nothing", "; only a comment\n", "", "no .db rows");
        row("rows of different lengths", ".db $FF\n.db $FF,$00", "", "lengths");
        row("pixel beyond column 15", ".db $FF,$01", "", "column 16");
        row("16 digits", ".db %1000000000000000", "", "more than 15");
        row("16 rows", QString(".db 0\n").repeated(16), "", "more than 15 rows");
        row("not a byte, even past 32 bits", ".db $FF\n.db $100000000", "",
            "line 2: the value 4294967296 is not a byte");
        row("not a number", ".db %102", "", "not a number");
        row("no digits", ".db %,$", "", "not a number");
        row("an instruction", "ld a,5", "", "line 1 is not a .db line: \"ld a,5\" holds no .db");
        row("a long word, cut short", ".db $" + QString(1000, 'F'), "",
            "line 1: \"$FFFFFFFFFFFFFFFFFFFFFFF...\" is not a number");
        // Snippets as other tools and the converter write them.
        const QString ball = "00111100 01000010 10100101 10000001 10100101 10011001 01000010 "
                             "00111100";
        row("one line of bytes", "db $3C,$42,$A5,$81,$A5,$99,$42,$3C", ball);
        row("lines of three or more values, then fewer",
            "ball:\n  .db $3C,$42,$A5\n  .db $81,$A5,$99\n  .db $42,$3C", ball);
        row("15 bytes", ".db " + QString("$80,").repeated(14) + "$80",
            QStringList(15, "10000000").join(' '));
        row("16 bytes", ".db 1,2,3,4,5,6,7,8\n.db 9,10,11,12,13,14,15,16", "",
            "16 bytes make 16 rows; at most 15");
        row("--equ and --header of .db",
            "hero_HEIGHT .equ 2\nhero_WIDTH .equ 1\nhero:\n\t.db\t2,1\n\t.db\t$3C\n\t.db\t$42",
            "00111100 01000010");
        row("--equ and --header of defb, a binary byte",
            "HERO_HEIGHT: EQU 1\nhero_WIDTH equ 1\n\tdefb\t1,1\n\tdefb\t%101", "00000101");
        row("two bytes a row after a header", ".db 2,2\n.db $FF,$00\n.db $00,$02",
            "111111110000000 000000000000001");
        row("width and height first", ".db 2,1\n.db $80", "10");
        row("a 7-pixel player, width and height first",
            "player:\n\t.db\t\t7, 2\n\t.db\t\t%0001000\n\t.db\t\t%0011100", "0000100 0001110");
        row("a width header narrower than the drawing is no width", ".db 2,2\n.db $FF\n.db $00",
            "11111111 00000000");
        row("a header of other counts is a row", ".db 2,5\n.db $80", "",
            "lengths: line 2 holds 1 value, line 1 2");
        // Only the editor's exact lines hold a digit a pixel.
        row("a 7-digit row under a label is a byte", "player:\n\t.db\t\t%0001000", "00001000");
        row("the editor's lines with a space are bytes", " \t.db\t%101\n\t.db\t%010",
            "00000101 00000010");
        row("binary of 9 to 15 digits stays a row", "hero:\n .db %000011111\n .db %100000000",
            "000011111 100000000");
        row("# hex, CR, CR LF and LF line ends", "DEFB #3C\rDEFB #42\r\n\rDEFB #a5\n",
            "00111100 01000010 10100101");
        row("a label without a space", "hero:.db $FF", "11111111");
        row("junk between rows", ".db $FF\n[junk]\n.db $00", "",
            "line 2 is not a .db line: \"[junk]\"");
        row("a word between rows", "hero\n.db $FF\r\nfoo\r\n.db $00", "",
            "line 3 is not a .db line: \"foo\"");
        row("a second label", "a:\n.db $FF\nb:\n.db $00", "",
            "line 3 starts a second sprite: \"b:\"");
        // Axe data and hex lines.
        row("Axe, stored", "[3C42A581A599423C]\u2192Pic1", ball);
        row("Axe, header comment, lower case, ->", ".SMILEY\r\n [3c42a581a599423c] -> Pic1 \r\n",
            ball);
        row("Axe lines in order", "[3C42A5]\n\n[81A5]\n[99423C]->GDB1", ball);
        row("Axe, a second sprite", "[3C]->Pic1\n[42]->Pic2", "",
            "line 2 starts a second sprite after the store on line 1");
        row("Axe, odd digits", "[3C]\n[3C4]", "", "line 2: \"[3C4]\" holds an odd");
        row("Axe, not hex", "[3C]\n[3G]", "", "line 2: \"[3G]\" is not hex digits");
        row("brackets of no hex", "[Section]", "", "no .db rows");
        row("Axe, no name", "[3C] Pic1", "", "line 1: \"[3C] Pic1\" stores to no");
        row("Axe, 16 bytes", "[" + QString("FF").repeated(16) + "]", "",
            "16 bytes make 16 rows; at most 15");
        row("Axe, then a word", "[3C]\nfoo", "", "line 2 is not Axe data: \"foo\"");
        row("Axe before .db is a label", "[3C]->Pic1\n.db $FF", "11111111");
        row("hex line", "3C42A581A599423C", ball);
        row("hex lines, lower case, comments", "; smiley\r3c42a5 ; top\r81a599\r\r423c", ball);
        row("hex lines that may be decimal", "60\n90", "", "may be decimal");
        row("hex, an odd line", "3C42\n3C4", "",
            "line 2 is not an even run of hex digits: \"3C4\"");
        row("hex, 16 bytes", QString("FF00").repeated(8), "", "16 bytes make 16 rows; at most 15");
        row("hex word before .db is a label", "BEEF\n.db $FF", "11111111");
        // Only lines of one wide binary value are rows of that width.
        row("wide binary beside a byte", ".db %111111111,%1\n.db %100000001,%1", "",
            "the value 511 is not a byte");
    }

    void readsCodeAsProgramsHoldIt()
    {
        QFETCH(QString, text);
        QFETCH(QString, sprite);
        QFETCH(QString, reason);
        std::string why;
        const std::optional<SpriteGrid> grid = readSpriteCodeText(text.toStdString(), why);
        QCOMPARE(grid ? blockOf(*grid).join(' ') : QString(), sprite);
        QVERIFY2(QString::fromStdString(why).contains(reason), why.c_str());
    }

    // Grey planes, marked masks, C arrays and Pt-Mask data as people write
    // them by hand too: the cells they give ('B' black, 'D' dark grey, 'L'
    // light grey, '.' white, 'T' transparent), or the reason.
    void readsGreyAndMasks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("cells");
        QTest::addColumn<QString>("reason");
        const auto row = [](const char* name, const QString& text, const QString& cells,
                            const QString& reason = {}) {
            QTest::newRow(name) << text << cells << reason;
        };
        row("planes, labels without colons", "hero_dark\n .db $FF\nhero_light\n .db $0F",
            "DDDDBBBB");
        row("planes, the light one first", "hero_light:\n .db $FF\nhero_dark:\n .db $0F", "",
            "line 3 starts a second sprite");
        row("planes of two heights", "a_dark:\n .db 1\n .db 1\na_light:\n .db 1", "",
            "its dark plane has 2 rows, its light plane 1");
        row("an AND mask in capitals", " .db $F0 ; MASK\n .db $0F", "TTTTBBBB");
        row("an OR mask of one pixel", " .db %10000000 ; mask\n .db %10000000", "B");
        // Nothing set tells the polarities apart: the narrower reading, AND on a tie.
        row("a mask over no set pixel", " .db %00011000 ; mask\n .db 0", "TTT..");
        row("a mask over no set pixel, a tie",
            " .db %00000001 ; mask\n .db %00000000 ; mask\n .db 0\n .db 0", ".......T ........");
        row("a mask row short", " .db $FF ; mask\n .db 0\n .db 0", "",
            "it has 2 rows and 1 mask row; a mask has one row for each row");
        row("a mask of three values", " .db 1,2,3 ; mask\n .db 1", "",
            "its mask rows hold three or more values");
        row("C planes, // marks",
            "const unsigned char s_dark[] = {\n 0x0F, // mask\n 0xC0 };\n"
            "const unsigned char s_light[] = { 0x0F, /* mask */\n 0xA0 };",
            "BDL.");
        row("C, two sprites", "unsigned char a[] = { 1 };\n#define X 1\nunsigned char b[] = { 2 };",
            "", "line 3 starts a second sprite: \"b\"");
        row("C, a statement", "unsigned char a[] = { 1 };\nint x = 2;", "",
            "line 2 is not a C array of bytes");
        row("Pt-Mask, bare digits",
            ".PT-MASK\n" + QString("C0").repeated(8) + QString("A0").repeated(8),
            QStringList(8, "BD.TTTTT").join(' '));
        row("Pt-Mask, 30 digits", ".PT-MASK\n[" + QString("0").repeated(30) + "]", "",
            "is not 32 hex digits");
        row("Pt-Mask after data", "[FF]\n.PT-MASK\n[" + QString("0").repeated(32) + "]", "",
            "line 3 starts a second sprite");
        row("32 digits without the comment", "[" + QString("FF").repeated(16) + "]", "",
            "16 bytes make 16 rows");
    }

    void readsGreyAndMasks()
    {
        QFETCH(QString, text);
        QFETCH(QString, cells);
        QFETCH(QString, reason);
        std::string why;
        bool readAsCode = false;
        const std::optional<SpritePixels> pixels =
            readSpriteCodePixels(text.toStdString(), why, readAsCode);
        QCOMPARE(pixels ? inkRowsOf(*pixels).join(' ') : QString(), cells);
        QVERIFY2(QString::fromStdString(why).contains(reason), why.c_str());
        QVERIFY(readAsCode);
    }
};

QTEST_APPLESS_MAIN(SpriteCodeTest)
#include "tst_spritecode.moc"
