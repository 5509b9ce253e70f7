// What kind an input is, and how a picture already in pixels (a calculator's
// Pic) is taken whole, cut into tiles or cropped to what is drawn on it.
#include "files/inputkind.h"
#include "files/pixeltiles.h"
#include "files/spritefile.h"

#include <QtTest>

using namespace quillox;

Q_DECLARE_METATYPE(InputKind)

namespace
{

// A picture of `width` x `height`, black at the given (x, y) pixels.
SpritePixels pixelsWith(int width, int height, const QList<QPoint>& black)
{
    SpritePixels pixels(width, height);
    for (const QPoint& point : black)
        pixels.levels[pixels.at(point.x(), point.y())] = 3;
    return pixels;
}

} // namespace

class InputKindTest : public QObject
{
    Q_OBJECT

private slots:
    void kinds_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<InputKind>("kind");
        const auto row = [](const char* tag, const char* name, const QByteArray& bytes,
                            InputKind kind) { QTest::newRow(tag) << name << bytes << kind; };
        row("a sprite file's form", "in", "0203101010\r\n", InputKind::SpriteFile);
        row("its form, LF", "in", "0203101010\n", InputKind::SpriteFile);
        row("its form, no line end", "in", "0101", InputKind::SpriteFile);
        row("a .spr name, whatever it holds", "a.SPR", "x", InputKind::SpriteFile);
        row("a .spr name, empty", "a.spr", "", InputKind::SpriteFile);
        row("a digit first, then hex", "in", "1C224282828242221C", InputKind::Code);
        row("a letter before digits 0 and 1", "in", "AB010101", InputKind::Code);
        row("a size field of a letter", "in", "0A01101010", InputKind::Code);
        row("text after the cells", "in", "0101 1\r\n", InputKind::Picture);
        row("the editor's lines", "in", "\t.db\t%101\r\n\t.db\t%010", InputKind::EditorCode);
        row("the editor's lines, LF, a last line end", "in", "\t.db\t%1\n", InputKind::EditorCode);
        row("a space after the TAB", "in", "\t.db %101", InputKind::Code);
        row("two widths", "in", "\t.db\t%10\r\n\t.db\t%1", InputKind::Code);
        row("16 digits", "in", "\t.db\t%1111111111111111", InputKind::Code);
        row("refused after its rows is code", "in", ".db $FF\nfoo\n.db $00", InputKind::Code);
        // Sprites in a text are a set, unless it reads as one sprite as code.
        row("two labels", "in", "a:\n.db 1\nb:\n.db 2", InputKind::SpriteSet);
        row("lines of three values and a pair", "in",
            "ball:\n .db $3C,$42,$A5\n .db $81,$A5,$99\n .db $42,$3C", InputKind::Code);
        row("two hex strings", "in", "\"3C42\"->Str1\n\"FF00\"->Str2", InputKind::SpriteSet);
        row("code past 64 KiB", "in", QByteArray(".db $FF\n").repeated(9000), InputKind::Code);
        row("a calculator file", "a.spr", "**TI83F*\x1A\x0A", InputKind::CalculatorFile);
        row("a PNG", "in", "\x89PNG\r\n\x1A\n", InputKind::Picture);
        row("a sentence", "in", "Hello there", InputKind::Picture);
        row("nothing", "in", "", InputKind::Picture);
    }

    void kinds()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(InputKind, kind);
        QCOMPARE(kindOfInput(name.toStdString(), bytes.toStdString()), kind);
    }

    // Sizes of the tiles taken, or the reason.
    void tilesOfPixels_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QList<QPoint>>("black");
        QTest::addColumn<QSize>("tile");
        QTest::addColumn<bool>("crop");
        QTest::addColumn<QStringList>("tiles");
        QTest::addColumn<QString>("reason");
        const QList<QPoint> dot{{3, 2}};
        QTest::newRow("15 x 15 whole, though it could be cropped")
            << QSize(15, 15) << dot << QSize() << true << QStringList{"15x15"} << "";
        QTest::newRow("a Pic cropped to its drawing")
            << QSize(96, 63) << QList<QPoint>{{40, 20}, {44, 22}} << QSize() << true
            << QStringList{"5x3 at 40,20"} << "";
        QTest::newRow("a Pic whole for byte data")
            << QSize(96, 63) << dot << QSize() << false << QStringList{"96x63"} << "";
        QTest::newRow("a Pic in tiles")
            << QSize(96, 63) << dot << QSize(48, 21) << false << QStringList(6, "48x21") << "";
        QTest::newRow("not a whole number of tiles")
            << QSize(96, 63) << dot << QSize(8, 8) << false << QStringList()
            << "the picture is 96 x 63 pixels, not a whole number of 8 x 8 tiles";
        QTest::newRow("nothing drawn") << QSize(96, 63) << QList<QPoint>() << QSize() << true
                                       << QStringList() << "with nothing drawn";
        QTest::newRow("a drawing wider than a sprite")
            << QSize(96, 63) << QList<QPoint>{{0, 0}, {15, 0}} << QSize() << true << QStringList()
            << "its drawn pixels span 16 x 1; a sprite is at most 15 x 15";
    }

    void tilesOfPixels()
    {
        QFETCH(QSize, size);
        QFETCH(QList<QPoint>, black);
        QFETCH(QSize, tile);
        QFETCH(bool, crop);
        QFETCH(QStringList, tiles);
        QFETCH(QString, reason);
        PictureRequest request;
        request.tileWidth = tile.isValid() ? tile.width() : 0;
        request.tileHeight = tile.isValid() ? tile.height() : 0;
        request.cropToDrawn = crop;
        QString note;
        request.cropped = [&note](const std::string& text) { note = QString::fromStdString(text); };
        QStringList taken;
        std::string why;
        const bool read = quillox::tilesOfPixels(
            pixelsWith(size.width(), size.height(), black), request,
            [&](const SpritePixels& pixels) {
                taken << QString("%1x%2").arg(pixels.width).arg(pixels.height);
                return true;
            },
            why);
        QCOMPARE(read, reason.isEmpty());
        QVERIFY2(QString::fromStdString(why).contains(reason), why.c_str());
        // A crop names where it took the drawing from.
        if (!note.isEmpty())
            taken.last() += " at " + note.section(" drawn at ", 1);
        QCOMPARE(taken, tiles);
    }
};

QTEST_APPLESS_MAIN(InputKindTest)
#include "tst_inputkind.moc"
