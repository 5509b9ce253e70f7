// One row per kind of input: the editor's intake and the converter read each
// file of tests/data/inputs to the same pixels, or both refuse it with the
// reason of its kind.
#include "convert/converter.h"
#include "editor/spritedocument.h"
#include "editor/spriteintake.h"
#include "files/inputkind.h"
#include "files/spritefile.h"
#include "platform/scriptedplatform.h"
#include "tests/support/testfiles.h"

#include <QtTest>

using namespace quillox;

namespace
{

// A sprite file's text of rows of digits.
QByteArray spriteText(const QStringList& rows)
{
    return QByteArray::number(rows.size()).rightJustified(2, '0') +
           QByteArray::number(rows.value(0).size()).rightJustified(2, '0') +
           rows.join(QString()).toLatin1();
}

QString input(const QString& file)
{
    return QFINDTESTDATA("../data/inputs/" + file);
}

const QStringList Smiley{"00111100", "01000010", "10100101", "10000001",
                         "10100101", "10011001", "01000010", "00111100"};
const QStringList Ship{"00011000", "00111100", "00100100", "01111110",
                       "11111111", "11011011", "10011001", "00011000"};

} // namespace

class InputsTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        platform_ = std::make_unique<ScriptedPlatform>();
        document_ = std::make_unique<SpriteDocument>();
        intake_ = std::make_unique<SpriteIntake>(*platform_, *document_, dialog_);
        // The whole grid black: no earlier pixel may wait in the hidden cells.
        document_->load();
        document_->moveColumnSlider(1);
        document_->moveRowSlider(1);
        document_->FillBlack();
    }

    void bothProgramsAgree_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("sprite");
        QTest::addColumn<QString>("reason");
        const auto read = [](const char* file, InputKind kind, const QStringList& sprite) {
            QTest::newRow(file) << QString(file) << int(kind) << sprite << QString();
        };
        const auto refused = [](const char* file, InputKind kind, const char* reason) {
            QTest::newRow(file) << QString(file) << int(kind) << QStringList() << QString(reason);
        };
        read("../../../examples/ship.spr", InputKind::SpriteFile, Ship);
        // The editor's own lines hold a digit a pixel, whatever the width.
        read("arrow-editor.z80", InputKind::EditorCode,
             {"0001000", "0011000", "1111110", "0011000", "0001000"});
        read("smiley.z80", InputKind::Code, Smiley);
        // A binary value is the byte an assembler makes of it: 7 digits
        // under a label put the pixel in column 5, not 4.
        read("invaders-player.z80", InputKind::Code,
             {"00001000", "00011100", "01111111", "01111111"});
        read("sword-tab-space.asm", InputKind::Code,
             {"00000011", "00000111", "00001110", "10011100", "01111000", "00110000", "01011000",
              "10000000"});
        // A digit first, yet no sprite file's form: TI-BASIC's hex.
        read("ball-basic-hex.txt", InputKind::Code,
             {"00011000", "00111100", "01111110", "11111111", "11111111", "01111110", "00111100",
              "00011000"});
        read("arrow-width-height.asm", InputKind::Code,
             {"0001000", "0011000", "1111110", "0011000", "0001000"});
        read("smiley-converter.inc", InputKind::Code, Smiley);
        read("axe-pic1.txt", InputKind::Code,
             {"00111100", "01000010", "10000001", "10100101", "10000001", "10100101", "01000010",
              "00111100"});
        read("ship-pic1.8xi", InputKind::CalculatorFile, Ship);
        read("ship-ti-connect-ce.8xi", InputKind::CalculatorFile, Ship);
        read("smiley-transparent.png", InputKind::Picture, Smiley);
        read("smiley-margin.png", InputKind::Picture, Smiley);
        refused("title-screen.8xi", InputKind::CalculatorFile,
                "the picture is 96 x 63 pixels and its drawn pixels span 30 x 10; a sprite is "
                "at most 15 x 15");
        // Sprites under two labels are a set: a line of three values is one.
        refused("two-sprites.inc", InputKind::SpriteSet, "it holds 3 sprites");
        refused("wall-16-rows.z80", InputKind::Code, "line 17 makes more than 15 rows");
        refused("stray-word.z80", InputKind::Code,
                "line 3 is not a .db line: \"foo\" stands alone after the rows");
        refused("noise.bin", InputKind::Picture,
                "it is neither a sprite file, nor sprite code, nor a picture");
    }

    void bothProgramsAgree()
    {
        QFETCH(QString, file);
        QFETCH(int, kind);
        QFETCH(QStringList, sprite);
        QFETCH(QString, reason);
        const QString path = input(file);
        QVERIFY2(!path.isEmpty(), qPrintable(file));
        QCOMPARE(int(kindOfInput(path.toStdString(), contents(path).toStdString())), kind);

        const std::string before = document_->codeText();
        intake_->openFile(path);
        const ConverterRun run = runConverter({"--to=spr", path.toStdString()});
        if (!reason.isEmpty()) {
            QCOMPARE(run.status, 1);
            QVERIFY2(QString::fromStdString(run.standardError).contains(reason),
                     run.standardError.c_str());
            QCOMPARE(platform_->messages.size(), 1);
            const QString message = platform_->messages.first().text;
            QVERIFY2(message.contains(reason), qPrintable(message));
            // Only what was tried as a picture is called one.
            const bool code = kind == int(InputKind::Code) || kind == int(InputKind::EditorCode) ||
                              kind == int(InputKind::SpriteSet);
            QVERIFY2(message.startsWith(code ? "The sprite code \"" : "The picture \""),
                     qPrintable(message));
            QCOMPARE(document_->codeText(), before);
            return;
        }
        QCOMPARE(QByteArray::fromStdString(spriteFileText(document_->grid())), spriteText(sprite));
        QCOMPARE(QByteArray::fromStdString(run.standardOutput), spriteText(sprite) + "\r\n");
        QCOMPARE(run.status, 0);
        QCOMPARE(platform_->messages.size(), 0);
        // A sprite from outside the sprite file load leaves the hidden cells
        // white, as New does; the load keeps them.
        const SpriteGrid& grid = document_->grid();
        int hiddenBlack = 0;
        for (int index = 1; index <= SpriteGrid::CellCount; ++index)
            hiddenBlack += !grid.isShown(index) && !grid.isClear(index);
        const int hidden = SpriteGrid::CellCount - int(sprite.size() * sprite.value(0).size());
        QCOMPARE(hiddenBlack, kind == int(InputKind::SpriteFile) ? hidden : 0);
        // One undo step gives back all that was there.
        document_->undo();
        QCOMPARE(document_->codeText(), before);
        QCOMPARE(document_->grid().isClear(1), false);
    }

    // Failures before any kind is told, worded by each program.
    void foldersAndSeveralFiles()
    {
        const QString folder = QFileInfo(input("smiley.z80")).absolutePath();
        intake_->openDroppedFiles({folder});
        QCOMPARE(platform_->messages.size(), 1);
        QCOMPARE(platform_->messages.first().text, "\"" + folder + "\" is a folder.");
        const ConverterRun run = runConverter({folder.toStdString()});
        QCOMPARE(QString::fromStdString(run.standardError),
                 "quillox-convert: " + folder + ": it is a folder\n");

        platform_->messages.clear();
        intake_->openDroppedFiles({input("smiley.z80"), input("ship-pic1.8xi"), folder});
        QCOMPARE(QByteArray::fromStdString(spriteFileText(document_->grid())), spriteText(Smiley));
        QCOMPARE(platform_->messages.size(), 1);
        QCOMPARE(platform_->messages.first().text,
                 "Only one file is opened at a time, the first of the 3 dropped: \"" +
                     input("smiley.z80") + "\".");
    }

    // The clipboard's text is read as code first: a refusal of what read as
    // code says so, and only text that is no code at all "holds no sprite code".
    void pasteRefusals_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("16 rows") << QString(".db $FF\n").repeated(16)
                                 << "The clipboard's sprite code could not be read: line 16 "
                                    "makes more than 15 rows.";
        QTest::newRow("two sprites")
            << "a:\n.db $FF\nb:\n.db $00"
            << "The clipboard's sprite code could not be read: it holds 2 sprites; Open Picture or "
               "Code opens such a file as a set of sprites.";
        QTest::newRow("code past 64 KiB")
            << QString(".db $FF\n").repeated(9000)
            << "The clipboard's sprite code could not be read: it is longer than any sprite "
               "code.";
        QTest::newRow("a sentence") << "Hello there"
                                    << "The clipboard holds no sprite code: line 1 is not a .db "
                                       "line: \"Hello there\" holds no .db, db, defb or .byte.";
    }

    void pasteRefusals()
    {
        QFETCH(QString, text);
        QFETCH(QString, message);
        platform_->clipboard = text;
        const std::string before = document_->codeText();
        intake_->pasteCode();
        QCOMPARE(platform_->messages.size(), 1);
        QCOMPARE(platform_->messages.first().text, message);
        QCOMPARE(document_->codeText(), before);
    }

private:
    FileDialogRequest dialog_;
    std::unique_ptr<ScriptedPlatform> platform_;
    std::unique_ptr<SpriteDocument> document_;
    std::unique_ptr<SpriteIntake> intake_;
};

QTEST_MAIN(InputsTest)
#include "tst_inputs.moc"
