// Sets of sprites as games keep them, in tests/data/sets: what is found in
// each file, a save without edits byte for byte, and one pixel changed as
// the assemblers, C compilers and the Axe and TI-BASIC decoders see it.
#include "files/spriteset.h"
#include "tests/support/spritepatterns.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace quillox;

namespace
{

QByteArray setFile(const QString& name)
{
    QFile file(QFINDTESTDATA("../../tests/data/sets/" + name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

SpriteSet setOf(const QByteArray& text)
{
    return SpriteSet::read(std::string_view(text.constData(), std::size_t(text.size())));
}

QStringList labelsOf(const SpriteSet& set)
{
    QStringList labels;
    for (const SetSprite& sprite : set.sprites())
        labels << QString::fromStdString(sprite.label) +
                      QString(" %1x%2").arg(sprite.pixels.width).arg(sprite.pixels.height);
    return labels;
}

// The lines of a text, each with its end.
QList<QByteArray> linesOf(const QByteArray& text)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype at = 0; at < text.size(); ++at)
        if (text[at] == '\n') {
            lines << text.mid(start, at + 1 - start);
            start = at + 1;
        }
    if (start < text.size())
        lines << text.mid(start);
    return lines;
}

} // namespace

class SpriteSetTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    // Each file's sprites in order: label, size; a listed sprite the grid
    // cannot take says why.
    void findsTheSprites_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("sprites");
        QTest::addColumn<QStringList>("problems");
        const auto row = [](const char* file, const QStringList& sprites,
                            const QStringList& problems = {}) {
            QTest::newRow(file) << QString(file) << sprites << problems;
        };
        row("hero-walk.inc", {"hero_walk_0 8x8", "hero_walk_1 8x8", "hero_walk_2 8x8"});
        row("castle-tiles.asm",
            {"tiles 8x8", "tiles+8 8x8", "tiles+16 8x8", "tiles+24 8x8", "key 8x6"});
        row("enemies-crlf.z80", {"line 3 8x5", "enemy_bat 8x4", "enemy_slime 8x6"});
        row("boss-wide.asm", {"boss_eye 16x4", "door 16x10", "banner 16x4"},
            {"", "", "16 x 4: wider than the grid"});
        row("masked-player.asm", {"player 8x4", "coin 8x4", "gem 8x3"});
        row("grey-gems.asm", {"ruby 8x4", "emerald 8x3"});
        row("editor-frames.z80", {"blink_open 5x5", "blink_closed 5x5"});
        row("sprites.h", {"ghost 8x8", "cannon 12x3", "cursor 8x5"});
        row("grey-ui.h", {"heart 8x3", "star 8x5", "arrow 8x8"});
        row("shooter-axe.txt", {"Pic1 8x8", "Pic2 8x8", "line 6 8x8", "Pic3 8x8"});
        row("sprites-basic.txt", {"Str1 8x8", "Str2 8x8", "Str3 8x8", "line 8 8x8"});
    }

    void findsTheSprites()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, sprites);
        QFETCH(QStringList, problems);
        const QByteArray text = setFile(file);
        QVERIFY(!text.isEmpty());
        const SpriteSet set = setOf(text);
        QCOMPARE(labelsOf(set), sprites);
        for (int i = 0; i < problems.size(); ++i) {
            QCOMPARE(QString::fromStdString(set.sprites()[std::size_t(i)].problem), problems[i]);
            QCOMPARE(set.gridPixels(std::size_t(i)).has_value(), problems[i].isEmpty());
        }
        // Opened and saved without an edit: the same bytes.
        QCOMPARE(QByteArray::fromStdString(set.text()), text);
    }

    // Sprites that cannot be drawn are listed with the reason, the others
    // around them read as usual.
    void listsWhatCannotBeDrawn_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("sprites");
        QTest::addColumn<QString>("problem");
        QTest::newRow("C, mask rows only")
            << "const unsigned char a[] = { 0x0F, /* mask */\n 0xF0 /* mask */ };\n"
               "const unsigned char b[] = { 0x18 };\n"
            << QStringList{"a 0x0", "b 8x1"} << "it has 0 rows and 2 mask rows";
        QTest::newRow("rows of one and two values")
            << "a:\n .db 1\n .db 2,3\nb:\n .db 4\n"
            << QStringList{"a 0x0", "b 8x1"} << "its rows hold different counts of values";
        QTest::newRow("fewer mask rows than rows")
            << "a:\n .db 1 ; mask\n .db 2\n .db 3\nb:\n .db 4\n"
            << QStringList{"a 0x0", "b 8x1"} << "it has 2 rows and 1 mask row";
        QTest::newRow("planes of two heights")
            << "a_dark:\n .db 1\n .db 1\na_light:\n .db 1\nb:\n .db 4\n"
            << QStringList{"a 0x0", "b 8x1"} << "its dark plane has 2 rows, its light plane 1";
        QTest::newRow("16 rows") << "a:\n" + QString(" .db 1\n").repeated(16) + "b:\n .db 4\n"
                                 << QStringList{"a 8x16", "b 8x1"}
                                 << "8 x 16: taller than the grid";
    }

    // Columns past the 15th that hold nothing are cut for the grid, at any
    // height the grid has; a pixel in them keeps the sprite off it.
    void cutsClearColumnsForTheGrid_data()
    {
        QTest::addColumn<QString>("lastRow");
        QTest::addColumn<QString>("problem");
        QTest::newRow("clear") << " .db $80,$00\n"
                               << "";
        QTest::newRow("a pixel in column 16") << " .db $80,$01\n"
                                              << "16 x 15: wider than the grid";
    }

    void cutsClearColumnsForTheGrid()
    {
        QFETCH(QString, lastRow);
        QFETCH(QString, problem);
        const QString text =
            "a:\n" + QString(" .db $80,$00\n").repeated(14) + lastRow + "b:\n .db 1\n";
        const SpriteSet set = setOf(text.toUtf8());
        QCOMPARE(QString::fromStdString(set.sprites()[0].problem), problem);
        const std::optional<SpritePixels> grid = set.gridPixels(0);
        QCOMPARE(grid.has_value(), problem.isEmpty());
        if (grid)
            QCOMPARE(inkRowsOf(*grid), QStringList(15, "B" + QString(14, '.')));
    }

    void listsWhatCannotBeDrawn()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, sprites);
        QFETCH(QString, problem);
        const SpriteSet set = setOf(text.toUtf8());
        QCOMPARE(labelsOf(set), sprites);
        QCOMPARE(QString::fromStdString(set.sprites()[0].problem), problem);
        QVERIFY(!set.gridPixels(0));
        QVERIFY(set.gridPixels(1));
        QCOMPARE(set.text(), text.toStdString());
    }

    // Whole sprites as their authors drew them ('B' black, 'D' dark grey,
    // 'L' light grey, '.' white, 'T' transparent).
    void readsThePixels_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("sprite");
        QTest::addColumn<QString>("rows");
        const auto row = [](const char* name, const char* file, int sprite, const char* rows) {
            QTest::newRow(name) << QString(file) << sprite << QString(rows);
        };
        row("a blank line inside the rows", "hero-walk.inc", 1,
            "..BBBB.. ..BBBB.. ...BB... ..BBBB.. ...BB... ...BB... ..B..B.. ..B..B..");
        row("a tile a line, # hex", "castle-tiles.asm", 3,
            "B.B.B.B. .B.B.B.B B.B.B.B. .B.B.B.B B.B.B.B. .B.B.B.B B.B.B.B. .B.B.B.B");
        row("a header, rows before any label", "enemies-crlf.z80", 0,
            ".BBB.... BBBBB... B.B.B... BBBBB... .B.B....");
        row("code inside the rows", "enemies-crlf.z80", 2,
            "........ ...BB... ..BBBB.. .BBBBBB. BBBBBBBB .BBBBBB.");
        row("AND mask before", "masked-player.asm", 0, "TTBBBBTT TB....BT .B.BB.B. T.BBBB.T");
        row("AND mask interleaved", "masked-player.asm", 1, "TTTBBTTT TTB..BTT TTB..BTT TTTBBTTT");
        row("OR mask after", "masked-player.asm", 2, "TT.B.TTT T.B.B.TT TT.B.TTT");
        row("planes and sizes", "grey-gems.asm", 0, "..DDDD.. .DBBBBD. .DBDDBD. ..DDDD..");
        row("a digit a pixel", "editor-frames.z80", 0, ".BBB. B...B B.B.B B...B .BBB.");
        row("C, width and height first", "sprites.h", 1, "....BBBB.... BBBBBBBBBBBB ....BBBB....");
        row("C planes and masks", "grey-ui.h", 0, "TBBTTBBT BDDBBDDB TBBBBBBT");
        row("Pt-Mask", "shooter-axe.txt", 3,
            "TTDDDDTT TDDBBDDT DDBBBBDD DBBBBBBD DBBBBBBD DDBBBBDD TDDBBDDT TTDDDDTT");
        row("a hex string left open", "sprites-basic.txt", 3,
            "........ .BB..BB. BBBBBBBB BBBBBBBB .BBBBBB. ..BBBB.. ...BB... ........");
    }

    void readsThePixels()
    {
        QFETCH(QString, file);
        QFETCH(int, sprite);
        QFETCH(QString, rows);
        const SpriteSet set = setOf(setFile(file));
        QVERIFY(std::size_t(sprite) < set.size());
        QCOMPARE(inkRowsOf(set.sprites()[std::size_t(sprite)].pixels).join(' '), rows);
    }

    // One pixel changed (white to black, any other ink to white): only the
    // lines that hold its row change, and the program that reads the file
    // sees exactly that pixel's bit change, in each plane it is in.
    void onePixelAsTheToolchainSeesIt_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("tool");
        QTest::addColumn<int>("sprite");
        QTest::addColumn<QPoint>("pixel");
        QTest::addColumn<int>("bit"); // the bit of the byte that changes
        QTest::addColumn<int>("bytes");
        const auto row = [](const char* name, const char* file, const char* tool, int sprite,
                            QPoint pixel, int bit, int bytes = 1) {
            QTest::newRow(name) << QString(file) << QString(tool) << sprite << pixel << bit
                                << bytes;
        };
        row("as, after a blank line", "hero-walk.inc", "as", 1, {0, 4}, 0x80);
        row("pasmo, a tile line", "castle-tiles.asm", "pasmo", 3, {1, 0}, 0x40);
        row("pasmo, h suffix", "castle-tiles.asm", "pasmo", 4, {0, 0}, 0x80);
        row("as, CR LF and code in the rows", "enemies-crlf.z80", "as", 2, {0, 2}, 0x80);
        row("as, 16 wide cut to the grid", "boss-wide.asm", "as", 0, {14, 0}, 0x02);
        row("as, two bytes a row", "boss-wide.asm", "as", 1, {7, 1}, 0x01);
        row("as, interleaved mask", "masked-player.asm", "as", 1, {3, 1}, 0x10);
        row("as, OR mask", "masked-player.asm", "as", 2, {2, 0}, 0x20);
        row("as, both planes", "grey-gems.asm", "as", 0, {0, 1}, 0x80, 2);
        row("as, a digit a pixel", "editor-frames.z80", "as", 1, {0, 0}, 0x10);
        row("cc, header first", "sprites.h", "cc", 0, {0, 0}, 0x80);
        row("cc, 12 wide", "sprites.h", "cc", 1, {9, 0}, 0x40);
        row("cc, one line", "sprites.h", "cc", 2, {7, 4}, 0x01);
        row("cc, dark grey to white", "grey-ui.h", "cc", 0, {1, 1}, 0x40);
        row("cc, two values that are no header", "grey-ui.h", "cc", 2, {0, 1}, 0x80);
        row("Axe, no name", "shooter-axe.txt", "axe", 2, {0, 4}, 0x80);
        row("Axe, Pt-Mask", "shooter-axe.txt", "axe", 3, {0, 0}, 0x80, 2);
        row("TI-BASIC, open string", "sprites-basic.txt", "basic", 3, {0, 0}, 0x80);
    }

    void onePixelAsTheToolchainSeesIt()
    {
        QFETCH(QString, file);
        QFETCH(QString, tool);
        QFETCH(int, sprite);
        QFETCH(QPoint, pixel);
        QFETCH(int, bit);
        QFETCH(int, bytes);
        const QByteArray text = setFile(file);
        SpriteSet set = setOf(text);
        const std::optional<SpritePixels> grid = set.gridPixels(std::size_t(sprite));
        QVERIFY(grid);
        SpritePixels changed = *grid;
        const std::size_t at = changed.at(pixel.x(), pixel.y());
        changed.levels[at] = changed.levels[at] == 0 ? 3 : 0;
        changed.transparent[at] = 0;
        std::string reason;
        QVERIFY2(set.setPixels(std::size_t(sprite), changed, reason), reason.c_str());
        const QByteArray saved = QByteArray::fromStdString(set.text());
        // Only the row's lines, one a plane; every other byte as it was.
        const QList<QByteArray> before = linesOf(text), after = linesOf(saved);
        QCOMPARE(after.size(), before.size());
        int changedLines = 0;
        for (qsizetype i = 0; i < before.size(); ++i)
            changedLines += before[i] != after[i] ? 1 : 0;
        QCOMPARE(changedLines, tool == "axe" || tool == "cc" ? 1 : bytes);
        // The sprite reads back as drawn, the others as they were.
        const SpriteSet again = setOf(saved);
        QCOMPARE(again.size(), setOf(text).size());
        QCOMPARE(inkRowsOf(*again.gridPixels(std::size_t(sprite))), inkRowsOf(changed));

#ifdef Q_OS_WIN
        if (tool != "axe" && tool != "basic")
            QSKIP("the assemblers and compilers run in the Linux build");
#endif
        const QByteArray original = dataOf(tool, file, text), edited = dataOf(tool, file, saved);
        QVERIFY2(!original.isEmpty() && !original.startsWith("failed"), original.constData());
        QCOMPARE(edited.size(), original.size());
        int differing = 0;
        for (qsizetype i = 0; i < original.size(); ++i)
            if (original[i] != edited[i]) {
                ++differing;
                QCOMPARE(quint8(original[i]) ^ quint8(edited[i]), bit);
            }
        QCOMPARE(differing, bytes);
    }

    // What the form cannot hold is refused, and the text stays.
    void refusesWhatTheFormCannotHold_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("sprite");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("reason");
        const auto row = [](const char* name, const char* file, int sprite, const char* rows,
                            const char* reason) {
            QTest::newRow(name) << QString(file) << sprite << QString(rows) << QString(reason);
        };
        row("9 wide in Axe", "shooter-axe.txt", 0, "B........",
            "a width of 9 does not fit an Axe line of 8-pixel rows");
        row("9 wide in a tile line", "castle-tiles.asm", 0, "B........",
            "a width of 9 does not fit a line of one byte a row");
        row("9 wide in a hex string", "sprites-basic.txt", 0, "B........",
            "a width of 9 does not fit a hex string of 8-pixel rows");
        row("9 wide without a C header", "sprites.h", 2, "B........",
            "a width of 9 does not fit a C array of 8-pixel rows");
        row("Pt-Mask of 7 rows", "shooter-axe.txt", 3, "BBBBBBBB B B B B B B",
            "Pt-Mask( data is 8 x 8, not 8 x 7");
        row("grey in one plane", "hero-walk.inc", 0, "D", "its form holds black and white only");
        row("transparency without a mask", "hero-walk.inc", 0, "T", "its form has no mask");
    }

    void refusesWhatTheFormCannotHold()
    {
        QFETCH(QString, file);
        QFETCH(int, sprite);
        QFETCH(QString, rows);
        QFETCH(QString, reason);
        const QByteArray text = setFile(file);
        SpriteSet set = setOf(text);
        QStringList padded = rows.split(' ');
        for (QString& row : padded)
            row = row.leftJustified(padded.first().size(), '.');
        std::string why;
        QVERIFY(!set.setPixels(std::size_t(sprite), inkedPixelsOf(padded), why));
        QVERIFY2(QString::fromStdString(why).contains(reason), why.c_str());
        QCOMPARE(QByteArray::fromStdString(set.text()), text);
    }

    // A new size is written in the sprite's own form, with its header, size
    // lines, planes and mask rows, and reads back as drawn.
    void newSizesInTheirForm_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("sprite");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("contains");
        const auto row = [](const char* name, const char* file, int sprite, QSize size,
                            const char* contains) {
            QTest::newRow(name) << QString(file) << sprite << size << QString(contains);
        };
        row("taller, rows appended", "hero-walk.inc", 2, {8, 10}, "\t.db\t%00000000\n");
        row("wider, two bytes a row", "hero-walk.inc", 0, {12, 8},
            "\t.db\t%00111100, %00000000\t; head");
        row("shorter, header follows", "enemies-crlf.z80", 2, {8, 3}, "\t.db 3,1\n");
        row("sizes and planes", "grey-gems.asm", 1, {8, 5}, "emerald_HEIGHT .equ 5");
        row("masks before, marked", "masked-player.asm", 0, {8, 5}, "%00000000 ; mask\n");
        row("C header and the array's end", "sprites.h", 1, {12, 4},
            "    0x0f, 0x00,\n    0x00, 0x00\n};");
        row("C masks", "grey-ui.h", 0, {8, 4}, "0x00, /* mask */");
        row("C masks, fewer rows", "grey-ui.h", 0, {8, 2},
            "    0x99, /* mask */\n    0x00, /* mask */\n    0x66,\n    0xFF\n};");
        row("a digit a pixel", "editor-frames.z80", 0, {7, 5}, "\t.db %0111000\n");
        row("Axe, fewer rows", "shooter-axe.txt", 0, {8, 2}, "[3C7E]");
        row("TI-BASIC, more rows", "sprites-basic.txt", 1, {8, 9}, "\"183C7EFFFF7E3C1800\"");
    }

    void newSizesInTheirForm()
    {
        QFETCH(QString, file);
        QFETCH(int, sprite);
        QFETCH(QSize, size);
        QFETCH(QString, contains);
        SpriteSet set = setOf(setFile(file));
        const SpritePixels old = *set.gridPixels(std::size_t(sprite));
        SpritePixels pixels(size.width(), size.height());
        for (int y = 0; y < std::min(size.height(), old.height); ++y)
            for (int x = 0; x < std::min(size.width(), old.width); ++x) {
                pixels.levels[pixels.at(x, y)] = old.levels[old.at(x, y)];
                pixels.transparent[pixels.at(x, y)] = old.transparent[old.at(x, y)];
            }
        std::string reason;
        QVERIFY2(set.setPixels(std::size_t(sprite), pixels, reason), reason.c_str());
        const QString saved = QString::fromStdString(set.text()).remove('\r');
        QVERIFY2(saved.contains(contains), qPrintable(saved));
        const SpriteSet again = SpriteSet::read(set.text());
        const SpriteSet before = setOf(setFile(file));
        QCOMPARE(again.size(), before.size());
        for (std::size_t i = 0; i < again.size(); ++i)
            if (i != std::size_t(sprite))
                QCOMPARE(inkRowsOf(again.sprites()[i].pixels),
                         inkRowsOf(before.sprites()[i].pixels));
        const SpritePixels read = *again.gridPixels(std::size_t(sprite));
        QCOMPARE(read.height, size.height());
        // Rows of whole bytes read as whole bytes: the drawn columns agree.
        QStringList readRows = inkRowsOf(read), drawnRows = inkRowsOf(pixels);
        for (QString& row : readRows)
            row.truncate(size.width());
        QCOMPARE(readRows, drawnRows);
    }

    // New labels: the form's names, not yet in the file.
    void labels_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("reason");
        const auto row = [](const char* file, const char* label, const char* reason = "") {
            QTest::newRow(qPrintable(QString("%1 %2").arg(file, label)))
                << QString(file) << QString(label) << QString(reason);
        };
        row("hero-walk.inc", "hero_walk_3");
        row("hero-walk.inc", "hero_walk_1", "is already in the file");
        row("hero-walk.inc", "3hero", "is not a label");
        row("hero-walk.inc", "hero walk", "is not a label");
        row("grey-gems.asm", "ruby_dark", "is already in the file");
        row("grey-gems.asm", "ruby", "is already in the file");
        row("castle-tiles.asm", "tiles_end", "is already in the file");
        row("sprites.h", "ghost", "is already in the file");
        row("sprites.h", "names", "is already in the file");
        row("sprites.h", "scores", "is already in the file");
        row("sprites.h", "hero.x", "is not a C name");
        row("shooter-axe.txt", "Pic4");
        row("shooter-axe.txt", "GDB1");
        row("shooter-axe.txt", "Pic2", "is already in the file");
        row("shooter-axe.txt", "hero", "is not a name to store to here");
        row("sprites-basic.txt", "Str4");
        row("sprites-basic.txt", "Str10", "is not a name to store to here");
        row("sprites-basic.txt", "Pic1", "is not a name to store to here");
    }

    void labels()
    {
        QFETCH(QString, file);
        QFETCH(QString, label);
        QFETCH(QString, reason);
        const SpriteSet set = setOf(setFile(file));
        std::string why;
        QCOMPARE(set.canUseLabel(label.toStdString(), why), reason.isEmpty());
        QVERIFY2(QString::fromStdString(why).contains(reason), why.c_str());
    }

    // A new sprite, a copy and a removal in each form: the other sprites
    // and every other line stay.
    void newCopyAndRemove_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("sprite");
        QTest::addColumn<QString>("label");
        QTest::newRow("labelled rows") << "hero-walk.inc" << 0 << "hero_jump";
        QTest::newRow("a tile line") << "castle-tiles.asm" << 1 << "grass";
        QTest::newRow("rows without a label") << "enemies-crlf.z80" << 0 << "shot";
        QTest::newRow("planes and sizes") << "grey-gems.asm" << 0 << "topaz";
        QTest::newRow("masks") << "masked-player.asm" << 1 << "big_coin";
        QTest::newRow("C") << "sprites.h" << 1 << "tank";
        QTest::newRow("C planes") << "grey-ui.h" << 0 << "skull";
        QTest::newRow("Axe") << "shooter-axe.txt" << 0 << "Pic9";
        QTest::newRow("Pt-Mask") << "shooter-axe.txt" << 3 << "GDB1";
        QTest::newRow("TI-BASIC") << "sprites-basic.txt" << 2 << "Str7";
    }

    void newCopyAndRemove()
    {
        QFETCH(QString, file);
        QFETCH(int, sprite);
        QFETCH(QString, label);
        const QByteArray text = setFile(file);
        const SpriteSet original = setOf(text);
        const std::size_t count = original.size();
        for (const bool blank : {false, true}) {
            SpriteSet set = setOf(text);
            std::optional<SpritePixels> pixels;
            if (blank)
                pixels = SpritePixels(8, 8);
            std::string reason;
            QVERIFY2(set.insertCopy(std::size_t(sprite), label.toStdString(), pixels, reason),
                     reason.c_str());
            QCOMPARE(set.size(), count + 1);
            const auto added =
                std::find_if(set.sprites().begin(), set.sprites().end(),
                             [&](const SetSprite& s) { return s.label == label.toStdString(); });
            QVERIFY(added != set.sprites().end());
            const std::size_t index = std::size_t(added - set.sprites().begin());
            QVERIFY(index > std::size_t(sprite));
            QCOMPARE(inkRowsOf(added->pixels),
                     blank ? inkRowsOf(SpritePixels(8, 8))
                           : inkRowsOf(original.sprites()[std::size_t(sprite)].pixels));
            // Read again from the text, it is the same set; the file's
            // sprites are all there, in their order, with their pixels.
            const SpriteSet again = SpriteSet::read(set.text());
            QCOMPARE(labelsOf(again), labelsOf(set));
            QStringList kept, expected;
            for (std::size_t i = 0; i < again.size(); ++i)
                if (i != index)
                    kept << inkRowsOf(again.sprites()[i].pixels).join(' ');
            for (const SetSprite& old : original.sprites())
                expected << inkRowsOf(old.pixels).join(' ');
            QCOMPARE(kept, expected);
            // Removed again, the file is as it was.
            QVERIFY2(set.remove(index, reason), reason.c_str());
            QCOMPARE(set.ids().size(), set.size());
            QCOMPARE(QByteArray::fromStdString(set.text()), text);
        }
    }

    // An array without a name is "line N"; its copy, which would not read
    // as a sprite of its own, is refused and changes nothing.
    void copiesOfANamelessArray()
    {
        const QByteArray text = "[] = { 1 };\nconst unsigned char b[] = { 4 };\n";
        SpriteSet set = setOf(text);
        QCOMPARE(labelsOf(set), (QStringList{"line 1 8x1", "b 8x1"}));
        std::string reason;
        QVERIFY(!set.insertCopy(0, "c", std::nullopt, reason));
        QVERIFY(!reason.empty());
        QCOMPARE(QByteArray::fromStdString(set.text()), text);
    }

    // A removal takes the sprite's own lines, or nothing when they hold or
    // join other sprites.
    void removesOnlyItsOwn_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("sprite");
        QTest::addColumn<QString>("left"); // empty: refused
        QTest::newRow("a label on a data line")
            << "a: .db 1\n .db 2\nb: .db 3\n .db 4\nc:\n .db 5\n"
            << 1 << "a: .db 1\n .db 2\nc:\n .db 5\n";
        QTest::newRow("a tile line between rows, which would join")
            << "walk:\n .db 1\n .db 2\n .db 1,2,3,4,5,6,7,8\n .db 3\n .db 4\nother:\n .db 9\n"
            << 1 << "";
        QTest::newRow("two hex strings on one line")
            << ":\"3C4281A5\"->Str1:\"183C7EFF\"->Str2\n:\"FF00\"->Str3\n"
            << 0 << "";
        QTest::newRow("the last line without its end")
            << "a:\n .db 1\nb:\n .db 2" << 1 << "a:\n .db 1";
    }

    void removesOnlyItsOwn()
    {
        QFETCH(QString, text);
        QFETCH(int, sprite);
        QFETCH(QString, left);
        SpriteSet set = setOf(text.toUtf8());
        const std::size_t count = set.size();
        std::string reason;
        QCOMPARE(set.remove(std::size_t(sprite), reason), !left.isEmpty());
        QCOMPARE(set.size(), left.isEmpty() ? count : count - 1);
        QCOMPARE(set.ids().size(), set.size());
        QCOMPARE(QString::fromStdString(set.text()), left.isEmpty() ? text : left);
        if (left.isEmpty())
            QCOMPARE(reason, std::string("its lines hold or join other sprites"));
    }

    // Rewrites whose every byte is known: size lines in bytes or pixels, and
    // a C array shrunk to its first line.
    void rewritesInPlace_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("expected");
        QTest::newRow("a width in pixels stays")
            << "p_WIDTH equ 16\np_HEIGHT equ 2\np:\n .db $FF,$FE\n .db $80,$02\nq:\n .db 1\n"
            << "BBBBBBBBBBBBBBB ..............B"
            << "p_WIDTH equ 16\np_HEIGHT equ 2\np:\n .db $FF,$FE\n .db $00,$02\nq:\n .db 1\n";
        QTest::newRow("a width in bytes and the height follow")
            << "p_WIDTH equ 1\np_HEIGHT equ 1\np:\n .db $80\nq:\n .db 1\n"
            << "B....... .B......"
            << "p_WIDTH equ 1\np_HEIGHT equ 2\np:\n .db $80\n .db $40\nq:\n .db 1\n";
        QTest::newRow("a width neither in bytes nor pixels stays")
            << "p_WIDTH equ 3\np:\n .db $80\nq:\n .db 1\n"
            << "B......."
            << "p_WIDTH equ 3\np:\n .db $80\nq:\n .db 1\n";
        QTest::newRow("6 wide under a header of height and bytes")
            << "a:\n .db 1,1\n .db $80\nb:\n .db 1\n"
            << "B....B"
            << "a:\n .db 1,1\n .db $84\nb:\n .db 1\n";
        QTest::newRow("6 wide under a header of width and height")
            << "a:\n .db 8,1\n .db $80\nb:\n .db 1\n"
            << "B....B"
            << "a:\n .db 6,1\n .db $84\nb:\n .db 1\n";
        QTest::newRow("mask rows in an order of the author's")
            << "a:\n .db $0F ; mask\n .db $00\n .db $00\n .db $0F ; mask\n .db $0F ; mask\n"
               " .db $00\nb:\n .db 1\n"
            << "B...TTTT ....TTTT ....TTTT"
            << "a:\n .db $0F ; mask\n .db $80\n .db $00\n .db $0F ; mask\n .db $0F ; mask\n"
               " .db $00\nb:\n .db 1\n";
        QTest::newRow("C shrunk to its first line")
            << "const unsigned char arrow[] = { 0x18,0x3C,0x7E,0xFF,\n    0x18,0x18,0x18,0x18 "
               "};\nconst unsigned char b[] = { 1 };\n"
            << "...BB... ..BBBB.. .BBBBBB."
            << "const unsigned char arrow[] = { 0x18,0x3C,0x7E,\n     };\n"
               "const unsigned char b[] = { 1 };\n";
    }

    void rewritesInPlace()
    {
        QFETCH(QString, text);
        QFETCH(QString, rows);
        QFETCH(QString, expected);
        SpriteSet set = setOf(text.toUtf8());
        std::string reason;
        QVERIFY2(set.setPixels(0, inkedPixelsOf(rows.split(' ')), reason), reason.c_str());
        QCOMPARE(QString::fromStdString(set.text()), expected);
    }

private:
    // The bytes a file's data make: assembled, compiled and run, or decoded
    // from Axe's [HEX] lines and TI-BASIC's hex strings.
    QByteArray dataOf(const QString& tool, const QString& file, const QByteArray& text)
    {
        if (tool == "axe" || tool == "basic") {
            QByteArray bytes;
            const QRegularExpression data(tool == "axe" ? R"(\[([0-9A-Fa-f]+)\])"
                                                        : R"("([0-9A-Fa-f]+))");
            auto matches = data.globalMatch(QString::fromUtf8(text));
            while (matches.hasNext())
                bytes += QByteArray::fromHex(matches.next().captured(1).toLatin1());
            return bytes;
        }
#ifdef Q_OS_WIN
        Q_UNUSED(file);
        return "failed: the toolchains run on the Linux build";
#else
        const QString source = dir_.filePath(tool == "cc" ? "set.h" : "set.s");
        QFile out(source);
        if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size())
            return "failed to write";
        out.close();
        QString command;
        if (tool == "as")
            command = "z80-unknown-coff-as -o set.o set.s && "
                      "z80-unknown-coff-objcopy -O binary set.o set.bin && cat set.bin";
        else if (tool == "pasmo")
            command = "pasmo set.s set.bin && cat set.bin";
        else {
            // Every array of the header, written out by a program; SDCC
            // compiles the same header for the calculator.
            QByteArray main = "#include <stdio.h>\n#include \"set.h\"\n"
                              "static void put(const unsigned char *p, size_t n)\n"
                              "{ fwrite(p, 1, n, stdout); }\nint main(void)\n{\n";
            const SpriteSet set = setOf(text);
            for (const SetSprite& sprite : set.sprites())
                for (const char* plane : sprite.planes.size() == 2
                                             ? QList<const char*>{"_dark", "_light"}
                                             : QList<const char*>{""}) {
                    const QByteArray name = QByteArray::fromStdString(sprite.label) + plane;
                    main += "    put(" + name + ", sizeof " + name + ");\n";
                }
            main += "    return 0;\n}\n";
            QFile program(dir_.filePath("main.c"));
            if (!program.open(QIODevice::WriteOnly) || program.write(main) != main.size())
                return "failed to write main.c";
            program.close();
            command = "printf '#include \"set.h\"\\n' >z80.c && sdcc -mz80 -c z80.c >/dev/null && "
                      "cc -std=c99 -Wall -o main main.c && ./main";
        }
        QProcess shell;
        shell.setWorkingDirectory(dir_.path());
        shell.start("sh", {"-c", command});
        if (!shell.waitForFinished(60000) || shell.exitCode() != 0)
            return "failed: " + file.toUtf8() + ": " + shell.readAllStandardError();
        return shell.readAllStandardOutput();
#endif
    }

    QTemporaryDir dir_;
};

QTEST_GUILESS_MAIN(SpriteSetTest)
#include "tst_spriteset.moc"
