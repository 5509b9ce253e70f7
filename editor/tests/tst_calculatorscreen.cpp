// The calculator's screen without a window: the drawing modes as truth
// tables, clipping and the unclipped routine's byte writes, tiles, pictures
// and a Pic taken back as the background.
#include "editor/calculatorscreen.h"
#include "files/calculatorfile.h"
#include "tests/support/spritepatterns.h"

#include <QtTest>

using namespace quillox;

namespace
{

using Mode = CalculatorScreen::Mode;

// Every set pixel of the screen as "x,y:level", row by row.
QStringList drawn(const CalculatorScreen& screen)
{
    QStringList pixels;
    for (int y = 0; y < CalculatorScreen::Height; ++y)
        for (int x = 0; x < CalculatorScreen::Width; ++x)
            if (const int level = screen.level(x, y))
                pixels << QStringLiteral("%1,%2:%3").arg(x).arg(y).arg(level);
    return pixels;
}

void fillLevel(CalculatorScreen& screen, int x, int y, int level)
{
    screen.setBit(CalculatorScreen::Buffer::Dark, x, y, level >= 2);
    screen.setBit(CalculatorScreen::Buffer::Light, x, y, level % 2 == 1);
}

} // namespace

Q_DECLARE_METATYPE(CalculatorScreen::Mode)

class CalculatorScreenTest : public QObject
{
    Q_OBJECT

private slots:
    // Each mode over the five kinds of cell, black, dark grey, light grey,
    // white and transparent, on a screen pixel of each level 0 to 3: the
    // level it has after. Each buffer's pixel takes its plane's bit.
    void modesAsTruthTables_data()
    {
        QTest::addColumn<Mode>("mode");
        QTest::addColumn<QString>("levels"); // per cell kind, the levels after 0, 1, 2, 3
        QTest::newRow("XOR") << Mode::Xor << "3210 2301 1032 0123 0123";
        QTest::newRow("OR") << Mode::Or << "3333 2323 1133 0123 0123";
        QTest::newRow("overwrite") << Mode::Overwrite << "3333 2222 1111 0000 0000";
        QTest::newRow("masked") << Mode::Masked << "3333 2222 1111 0000 0123";
    }

    void modesAsTruthTables()
    {
        QFETCH(Mode, mode);
        QFETCH(QString, levels);
        const QStringList expected = levels.split(' ');
        const QString kinds = QStringLiteral("BDL.T");
        for (int kind = 0; kind < kinds.size(); ++kind)
            for (int before = 0; before < 4; ++before) {
                CalculatorScreen screen;
                fillLevel(screen, 40, 20, before);
                QCOMPARE(screen.draw(inkedPixelsOf({QString(kinds[kind])}), 40, 20, mode, true), 0);
                QCOMPARE(screen.level(40, 20), expected[kind][before].digitValue());
                // Nothing but the sprite's box changes.
                QCOMPARE(drawn(screen).size(), screen.level(40, 20) ? 1 : 0);
            }
    }

    // XOR drawn twice gives back the screen, clipped or not, wherever the
    // sprite stands.
    void xorTwiceRestoresTheScreen_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<bool>("clip");
        QTest::newRow("middle") << 44 << 28 << true;
        QTest::newRow("partly off the top left") << -4 << -1 << true;
        QTest::newRow("partly off the bottom right") << 92 << 60 << true;
        QTest::newRow("unclipped, spilling into the next row") << 90 << 10 << false;
        QTest::newRow("unclipped, past the buffer's end") << 93 << 61 << false;
    }

    void xorTwiceRestoresTheScreen()
    {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(bool, clip);
        CalculatorScreen screen;
        screen.drawTiles(inkedPixelsOf({"BD", "L."}), Mode::Overwrite);
        const QStringList before = drawn(screen);
        const SpritePixels sprite = inkedPixelsOf({"BDL.T.BDL", "TBDL.BBBB", "........B"});
        screen.draw(sprite, x, y, Mode::Xor, clip);
        QVERIFY(drawn(screen) != before);
        screen.draw(sprite, x, y, Mode::Xor, clip);
        QCOMPARE(drawn(screen), before);
    }

    // Unclipped, a row writes whole bytes into the 768-byte buffer from byte
    // 12 y + x / 8: what passes column 95 shows in the next row, and the
    // bytes past the end are counted, not written.
    void unclippedRowsAsTheBufferTakesThem_data()
    {
        QTest::addColumn<QStringList>("sprite");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<QString>("pixels");
        QTest::addColumn<int>("pastEnd");
        QTest::newRow("8 wide at x 90: the last 2 columns in the next row")
            << QStringList{"BBBBBBBB"} << 90 << 10
            << "90,10 91,10 92,10 93,10 94,10 95,10 0,11 1,11" << 0;
        QTest::newRow("8 x 8 at x 44, y 60: two bytes a row, 4 rows past the end")
            << QStringList(8, "B.......") << 44 << 60 << "44,60 44,61 44,62 44,63" << 8;
        QTest::newRow("8 x 8 at x 40, y 60: one byte a row")
            << QStringList(8, "B.......") << 40 << 60 << "40,60 40,61 40,62 40,63" << 4;
        QTest::newRow("the last pixel of the buffer")
            << QStringList{"..B", "BBB"} << 94 << 62 << "0,63 94,63 95,63" << 1;
        QTest::newRow("on the screen: nothing past")
            << QStringList{"B"} << 95 << 63 << "95,63" << 0;
    }

    void unclippedRowsAsTheBufferTakesThem()
    {
        QFETCH(QStringList, sprite);
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(QString, pixels);
        QFETCH(int, pastEnd);
        CalculatorScreen screen;
        QCOMPARE(screen.draw(inkedPixelsOf(sprite), x, y, Mode::Or, false), pastEnd);
        QCOMPARE(drawn(screen).join(' ').remove(":3"), pixels);
    }

    void clippedSpritesDrawOnlyWhatIsOnTheScreen()
    {
        CalculatorScreen screen;
        QCOMPARE(screen.draw(inkedPixelsOf({"BB", "BD"}), 95, 63, Mode::Or, true), 0);
        QCOMPARE(drawn(screen), QStringList{"95,63:3"});
        screen.clear();
        screen.draw(inkedPixelsOf({"BB", "BD"}), -1, -1, Mode::Or, true);
        QCOMPARE(drawn(screen), QStringList{"0,0:2"});
        QCOMPARE(CalculatorScreen::minimumX(8, true), -7);
        QCOMPARE(CalculatorScreen::minimumY(8, false), 0);
    }

    // Tiles repeat the sprite from the top left on its own size, clipped.
    void tilesCoverTheScreen_data()
    {
        QTest::addColumn<QStringList>("sprite");
        QTest::addColumn<int>("copies");
        QTest::newRow("8 x 8: 12 x 8 copies") << QStringList(8, "B.......") << 12 * 8 * 8;
        QTest::newRow("5 x 5: 20 x 13 copies, the last cut") << QStringList(5, "B....") << 20 * 64;
        QTest::newRow("15 x 15, one pixel in its corner") << [] {
            QStringList rows(15, QString(15, '.'));
            rows[14][14] = 'B';
            return rows;
        }() << 6 * 4;
    }

    void tilesCoverTheScreen()
    {
        QFETCH(QStringList, sprite);
        QFETCH(int, copies);
        CalculatorScreen screen;
        screen.drawTiles(inkedPixelsOf(sprite), Mode::Xor);
        QCOMPARE(drawn(screen).size(), copies);
        QCOMPARE(screen.level(0, 0), sprite[0][0] == 'B' ? 3 : 0);
    }

    // A sprite without pixels tiles nothing, and ends.
    void emptySpritesDrawNothing()
    {
        CalculatorScreen screen;
        for (const auto& [width, height] : {std::pair{0, 5}, {5, 0}, {0, 0}}) {
            const SpritePixels empty(width, height);
            screen.drawTiles(empty, Mode::Xor);
            QCOMPARE(screen.draw(empty, 10, 10, Mode::Overwrite, false), 0);
        }
        QCOMPARE(drawn(screen), QStringList());
    }

    // A picture goes into both buffers by its levels; a Pic of the screen,
    // saved and opened again as the background, gives the same screen.
    void picturesAndPicsAsTheBackground()
    {
        CalculatorScreen screen;
        screen.drawPicture(inkedPixelsOf({"BDL.", "T..B"}));
        QCOMPARE(drawn(screen), QStringList({"0,0:3", "1,0:2", "2,0:1", "3,1:3"}));
        screen.clear();
        screen.drawTiles(inkedPixelsOf({"B..", ".B.", "..."}), Mode::Or);
        std::string reason;
        SpritePixels shown = screen.levels();
        QVERIFY(!picBytesOf(shown, reason)); // a set pixel in row 64
        for (int x = 0; x < CalculatorScreen::Width; ++x) {
            screen.setBit(CalculatorScreen::Buffer::Dark, x, 63, false);
            screen.setBit(CalculatorScreen::Buffer::Light, x, 63, false);
        }
        shown = screen.levels();
        const std::optional<std::string> picture = picBytesOf(shown, reason);
        QVERIFY2(picture, reason.c_str());
        const std::optional<SpritePixels> opened =
            readPicFile(picFile(*picVariableName("Pic1"), *picture, false), reason);
        QVERIFY2(opened, reason.c_str());
        CalculatorScreen again;
        again.drawPicture(*opened);
        QCOMPARE(drawn(again), drawn(screen));
    }
};

QTEST_APPLESS_MAIN(CalculatorScreenTest)
#include "tst_calculatorscreen.moc"
