// The converter's options and its output table, without any file: what each
// command line gives, or the usage error it is refused with, word for word.
#include "convert/options.h"
#include "convert/outputs.h"
#include "convert/usage.h"
#include "tests/support/testfiles.h"

#include <QtTest>

using namespace quillox;

namespace
{

// Parses and checks as the program does.
std::optional<UsageError> optionsOf(const QString& line, Options& options)
{
    std::vector<std::string> arguments;
    for (const QString& argument : line.split(' ', Qt::SkipEmptyParts))
        arguments.push_back(argument.toStdString());
    std::optional<UsageError> error = parseArguments(arguments, options);
    return error ? error : checkOptions(options);
}

} // namespace

class OptionsTest : public QObject
{
    Q_OBJECT

private slots:
    void refusals_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("message");
        const auto refused = [](const char* arguments, const char* message) {
            QTest::newRow(arguments) << QString(arguments) << QString(message);
        };
        refused("--frob a", "unknown option '--frob'");
        refused("--to=jpg a",
                "'jpg' is not a value of --to (code, bytes, spr, png, axe, hex, c, 8xv, 8xi)");
        refused("--bytes --to=spr a", "choose one output format");
        refused("--label=9lives a", "'9lives' is not a label an assembler takes");
        refused("--label=hl a", "'hl' is not a label an assembler takes");
        refused("--label=END a", "'END' is not a label an assembler takes");
        refused("--to=png a b", "converting to a sprite file or a picture takes one FILE");
        refused("a -o", "option '-o' needs a file name");
        refused("--shades=2 a", "'2' is not a value of --shades (3, 4)");
        refused("--tile=16x8 a",
                "tiles over 15 x 15 go to byte data (--bytes, --to=axe, hex or c)");
        refused("--tile=8x0 a", "'8x0' is not a tile size WxH of 1 to 4096 each");
        refused("--tile=8 a", "'8' is not a tile size WxH of 1 to 4096 each");
        refused("--tile=8x8 --tiles=0 a", "'0' is not a number of tiles");
        refused("--tiles=3 a", "--tiles goes with --tile");
        refused("--tiles=x --tile=8x8 a", "'x' is not a number of tiles");
        refused("--radix=oct a", "'oct' is not a value of --radix (bin, hex, dec)");
        refused("--directive=.dw a", "'.dw' is not a value of --directive (.db, db, defb, .byte)");
        refused("--mask-order=sideways a",
                "'sideways' is not a value of --mask-order (before, after, interleaved)");
        refused("--mask-polarity=xor a", "'xor' is not a value of --mask-polarity (and, or)");
        refused("--mask-colour=FF00F a", "'FF00F' is not a colour RRGGBB");
        refused("--to=code --mask a",
                "--mask goes with byte data (--bytes, --to=axe, hex, c or 8xv) only");
        refused("--shades=4 --to=png a",
                "--shades goes with byte data (--bytes, --to=axe, hex, c or 8xv) only");
        refused("--tile=8x8 --to=spr a", "a sheet goes to code output only");
        refused("--equ a", "--equ names the sizes after the labels: give --label too");
        refused("--label-suffix=-x a", "'-x' cannot end a label");
        refused("--threshold=256 a", "'256' is not a threshold from 0 to 255");
        refused("--threshold=-1 a", "'-1' is not a threshold from 0 to 255");
        refused("--pt-mask --to=c a", "--pt-mask goes with --to=axe only");
        refused("--pt-mask --bytes a", "--pt-mask goes with --to=axe only");
        refused("--pt-mask --tile=16x16 a",
                "--pt-mask draws 8 x 8 sprites, not tiles of 16 x 16: give --tile=8x8");
        refused("--pt-mask --shades=4 a", "--shades does not go with --pt-mask");
        refused("--to=axe --pt-mask --header a", "--header does not go with --pt-mask");
        refused("--pt-mask --radix=hex a", "--radix does not go with --pt-mask");
        refused("--pt-mask --mask-order=after a", "--mask-order does not go with --pt-mask");
        refused("--pt-mask --threshold=90 a",
                "--threshold does not go with --pt-mask, which reads three levels");
        refused("--threshold=128 --shades=4 a",
                "--threshold goes with two colours only, not with --shades");
        refused("--to=8xv a", "--to=8xv needs the AppVar's name: --name=NAME");
        refused("--to=8xv --name=1abc a",
                "'1abc' is not an AppVar name: 1 to 8 letters and digits, a letter first");
        refused("--to=8xv --name=ABCDEFGHI a",
                "'ABCDEFGHI' is not an AppVar name: 1 to 8 letters and digits, a letter first");
        refused("--to=8xv --name= a",
                "'' is not an AppVar name: 1 to 8 letters and digits, a letter first");
        refused("--to=8xv --name=A --label a", "labels go with code output only");
        refused("--to=8xv --name=A --to=8xi a", "choose one output format");
        refused("--to=8xi a", "--to=8xi needs the picture's name: --name=Pic1 to Pic9, Pic0");
        refused("--to=8xi --name=Pic10 a", "'Pic10' is not a picture's name: Pic1 to Pic9 or Pic0");
        refused("--to=8xi --name=Str1 a", "'Str1' is not a picture's name: Pic1 to Pic9 or Pic0");
        refused("--to=8xi --name=Pic1 a b",
                "converting to a sprite file or a picture takes one FILE");
        refused("--to=8xi --name=Pic1 --tile=8x8 a", "a sheet goes to code output only");
        refused("--to=8xi --name=Pic1 --mask a",
                "--mask goes with byte data (--bytes, --to=axe, hex, c or 8xv) only");
        refused("--to=8xi --name=Pic1 --label a", "labels go with code output only");
        refused("--name=A a", "--name goes with --to=8xv and --to=8xi only");
        refused("--archived a", "--archived goes with --to=8xv and --to=8xi only");
        refused("--bytes --name=A a", "--name goes with --to=8xv and --to=8xi only");
        refused("--tile=4097x8 --bytes a", "'4097x8' is not a tile size WxH of 1 to 4096 each");
        refused("--to=hex --bytes a", "choose one output format");
        refused("--to=axe --label a", "--to=axe takes --label=NAME, a static name such as Pic1");
        refused("--to=axe --label=pic1 a",
                "'pic1' is not an Axe static name: Pic, Str or GDB, then 1 to 10 letters A to Z "
                "and digits (Pic1, GDB1MAP)");
        refused("--to=axe --label=Pic1 --equ a",
                "--equ goes with assembler or C output, not --to=axe");
        refused("--to=axe --label-suffix a",
                "--label-suffix goes with assembler or C output, not --to=axe");
        refused("--to=axe --radix=hex a", "--radix goes with assembler code (--bytes) only");
        refused("--to=hex --label=s a",
                "--to=hex writes lines of hex digits only, no labels or sizes");
        refused("--to=hex --equ a", "--to=hex writes lines of hex digits only, no labels or sizes");
        refused("--to=hex --directive=db a", "--directive goes with assembler code (--bytes) only");
        refused("--to=c --label=int a", "'int' is not a C name (letters, digits and _, not first; "
                                        "no keyword or name of the C library)");
        refused("--to=c --label=_s a", "'_s' is not a C name (letters, digits and _, not first; no "
                                       "keyword or name of the C library)");
        refused("--to=c --label= a", "--label= needs a NAME");
        refused("--to=png --header a",
                "--header goes with byte data (--bytes, --to=axe, hex, c or 8xv) only");
        refused("--to=spr", "no input files");
        refused("-o a", "no input files");
        refused("--output= a", "the output file name is empty");
    }

    void refusals()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, message);
        Options options;
        const std::optional<UsageError> error = optionsOf(arguments, options);
        QCOMPARE(error ? QString::fromStdString(error->message) : QString("accepted"), message);
    }

    // What follows from the options once they are accepted: the output, and
    // how pictures are read for it.
    void accepted_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("output");
        QTest::addColumn<bool>("crops");
        QTest::addColumn<int>("wholeWidth");
        QTest::addColumn<int>("wholeHeight");
        QTest::addColumn<bool>("labels");
        QTest::addColumn<int>("header");
        const int rows = int(HeaderKind::HeightAndBytesPerRow);
        const int size = int(HeaderKind::WidthAndHeight);
        QTest::newRow("code by default") << "a"
                                         << "code" << true << 0 << 0 << false << rows;
        QTest::newRow("--mask chooses bytes") << "--mask a"
                                              << "bytes" << false << 4096 << 4096 << false << rows;
        QTest::newRow("a sprite file crops") << "--to=spr a"
                                             << "spr" << true << 0 << 0 << false << rows;
        QTest::newRow("PNG takes 15 x 15") << "--to=png a"
                                           << "png" << false << 0 << 0 << false << rows;
        QTest::newRow("Axe's header: width, height")
            << "--to=axe --header a"
            << "axe" << false << 4096 << 4096 << false << size;
        QTest::newRow("C names every array") << "--to=c a"
                                             << "c" << false << 4096 << 4096 << true << size;
        QTest::newRow("hex after byte options") << "--header --to=hex a"
                                                << "hex" << false << 4096 << 4096 << false << rows;
        QTest::newRow("a Pic is the screen") << "--to=8xi --name=Pic0 a"
                                             << "8xi" << false << 96 << 64 << false << rows;
        QTest::newRow("an AppVar, archived, any size")
            << "--to=8xv --name=SPRITES --archived a b"
            << "8xv" << false << 4096 << 4096 << false << rows;
        QTest::newRow("--pt-mask with a mask colour")
            << "--pt-mask --mask-colour=FF00FF a"
            << "axe" << false << 4096 << 4096 << false << size;
        QTest::newRow("--pt-mask chooses Axe") << "--pt-mask --tile=8x8 a"
                                               << "axe" << false << 4096 << 4096 << false << size;
        QTest::newRow("labels after --") << "--label -- --to=c"
                                         << "code" << true << 0 << 0 << true << rows;
    }

    void accepted()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, output);
        QFETCH(bool, crops);
        QFETCH(int, wholeWidth);
        QFETCH(int, wholeHeight);
        QFETCH(bool, labels);
        QFETCH(int, header);
        Options options;
        const std::optional<UsageError> error = optionsOf(arguments, options);
        QVERIFY2(!error, error ? error->message.c_str() : "");
        QCOMPARE(QString(options.output->name), output);
        QCOMPARE(options.picture.cropToDrawn, crops);
        QCOMPARE(options.picture.wholeWidth, wholeWidth);
        QCOMPARE(options.picture.wholeHeight, wholeHeight);
        QCOMPARE(options.label, labels);
        QCOMPARE(int(options.style.headerKind), header);
    }

    // --help and -h ask for the help, whatever else is given; -hx is no help.
    void helpIsAskedForEitherWay_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<bool>("help");
        QTest::newRow("--help") << "--to=c --help a" << true;
        QTest::newRow("-h") << "-h" << true;
        QTest::newRow("after --") << "-- -h" << false;
    }

    void helpIsAskedForEitherWay()
    {
        QFETCH(QString, arguments);
        QFETCH(bool, help);
        Options options;
        std::vector<std::string> words;
        for (const QString& word : arguments.split(' '))
            words.push_back(word.toStdString());
        QVERIFY(!parseArguments(words, options));
        QCOMPARE(options.help, help);
    }

    // Every row of the table is an output a user can find and choose: named
    // once, in --help and in the manual page, and refused on a terminal with
    // a name when it is binary.
    void everyOutputIsDocumentedAndChosen()
    {
        const QString usage = QString::fromUtf8(UsageText);
        const QString manual =
            QString::fromUtf8(contents(QFINDTESTDATA("../../packaging/quillox-convert.1")));
        QVERIFY(!manual.isEmpty());
        QStringList names;
        for (const OutputFormat& format : outputFormats()) {
            const QString name = format.name;
            QVERIFY2(!names.contains(name), qPrintable(name));
            names << name;
            QCOMPARE(outputFormat(format.name), &format);
            const QString option = name == "bytes" ? "--bytes" : "--to=" + name;
            QVERIFY2(usage.contains("  " + option + " "), qPrintable(option));
            QVERIFY2(manual.contains(QString(option).replace("-", "\\-")), qPrintable(option));
            QCOMPARE(format.is(Binary), format.binaryName != nullptr);
            QVERIFY(format.makeWriter);
            Options options;
            const std::optional<UsageError> error = optionsOf("--to=" + name + " a", options);
            // A calculator file needs its variable's name; every other output is ready.
            QCOMPARE(error.has_value(), format.is(CalculatorFile));
        }
        QCOMPARE(outputFormat("jpg"), nullptr);
    }
};

QTEST_APPLESS_MAIN(OptionsTest)
#include "tst_options.moc"
