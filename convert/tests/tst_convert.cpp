// The converter's library and the installed program, in a temporary folder.
#include "code/toolchaindata.h"
#include "convert/converter.h"
#include "files/spritefile.h"
#include "tests/support/testfiles.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <fstream>
#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

using namespace quillox;

static void row(const char* name, const char* arguments, const QByteArray& input,
                const QByteArray& expected)
{
    QTest::newRow(name) << QString(arguments) << input << expected;
}

// How long a run of the program may take: under Wine on a busy machine the
// first start of a program alone can take half a minute.
constexpr int ProgramWait = 100000;

// The program, built beside the tests: a build path on Linux is no Windows path.
static QString converterProgram()
{
    return QCoreApplication::applicationDirPath() + "/" QUILLOX_CONVERT;
}

// Status, standard error and output of the library's run, when the program's agree.
static QByteArray converted(const QStringList& arguments)
{
    std::vector<std::string> list;
    for (const QString& argument : arguments)
        list.push_back(argument.toStdString());
    const ConverterRun run = runConverter(list);
    QProcess program;
    program.start(converterProgram(), arguments);
    program.waitForFinished(ProgramWait);
    const QByteArray library = QByteArray::number(run.status) + "\n" + run.standardError.c_str() +
                               "\n" + run.standardOutput.c_str();
    const QByteArray result = QByteArray::number(program.exitCode()) + "\n" +
                              program.readAllStandardError() + "\n" +
                              program.readAllStandardOutput();
    return result == library ? result : "library: " + library + "\nprogram: " + result;
}

// A calculator file with its data section's checksum made right again, so that
// the damage done to it is what the reader meets.
static QByteArray withChecksum(QByteArray file)
{
    quint16 sum = 0;
    for (int at = 55; at < file.size() - 2; ++at)
        sum += quint8(file[at]);
    file[file.size() - 2] = char(sum & 0xFF);
    file[file.size() - 1] = char(sum >> 8);
    return file;
}

static QByteArray changed(QByteArray bytes, int at, char value)
{
    bytes[at] = value;
    return bytes;
}

class ConvertTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        QVERIFY(QDir::setCurrent(dir_.path()));
    }

    void formats_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("output");
        const QByteArray code = "\t.db\t%101\r\n\t.db\t%010\r\n";
        row("code", "--to=code", "0203101010\r\n", code);
        row("code, LF", "--to=code", "0203101010\n", code);
        row("code, no line end", "", "0203101010", code);
        row("code of LF code", "", "\t.db\t%101\n\t.db\t%010", code);
        // Only the editor's exact lines hold a digit a pixel; in other code a
        // binary value is the byte an assembler makes of it.
        row("a 7-digit row under a label is the byte 08h", "--bytes",
            "player:\n\t.db\t\t%0001000\n", "\t.db\t%00001000\r\n");
        row("a TAB first, a hex byte", "--bytes", "\t.db\t$10", "\t.db\t%00010000\r\n");
        row("rows of two widths are bytes", "--to=spr", "\t.db\t%10\r\n\t.db\t%1",
            "02080000001000000001\r\n");
        row("width and height first", "--to=spr", ".db 3, 2\n.db %10100000\n.db $40\n",
            "0203101010\r\n");
        row("sprite file of code", "--to=spr", code, "0203101010\r\n");
        row("version", "--version", "", "quillox-convert " QUILLOX_VERSION "\n");
        // Opaque pixels darker than the threshold are set: near white and
        // transparent ones are clear (ICO here has no alpha; it needs a plugin,
        // found without an application).
        const QVector<QRgb> pixels{0xFFFAFAFA, 0x00FFFFFF, 0xFF808080,
                                   0xFF7F7F7F, 0x00000000, 0xFF000000};
        row("PNG", "--to=spr", picture(3, 2, pixels), "0203000101\r\n");
        row("ICO", "--to=spr", picture(3, 2, pixels, "ICO", QImage::Format_RGB32),
            "0203000111\r\n");
        row("threshold 255: all but white", "--to=spr --threshold=255", picture(3, 2, pixels),
            "0203101101\r\n");
        row("threshold 0: nothing", "--bytes --threshold=0", picture(1, 1, {0xFF000000}),
            "\t.db\t%00000000\r\n");
        // A sheet of three 2 x 1 tiles: set set, clear set, set clear.
        const QByteArray sheet =
            picture(6, 1, {0xFF000000, 0xFF000000, 0xFFFFFFFF, 0xFF000000, 0xFF000000});
        row("sheet, labels", "--tile=2x1 --label=t", sheet,
            "t_0:\r\n\t.db\t%11\r\nt_1:\r\n\t.db\t%01\r\nt_2:\r\n\t.db\t%10\r\n");
        row("sheet, 2 tiles, bytes, size suffix",
            "--tile=2x1 --tiles=2 --label=t --label-suffix --bytes", sheet,
            "t_0_2x1:\r\n\t.db\t%11000000\r\nt_1_2x1:\r\n\t.db\t%01000000\r\n");
        const QByteArray sized = "s_gfx_HEIGHT: equ 2\r\ns_gfx_WIDTH: equ 2\r\ns_gfx:\r\n"
                                 "\tdefb\t2,2\r\n\tdefb\t$FF,$F0\r\n\tdefb\t$00,$10\r\n";
        row("suffix, sizes, header, hex, defb",
            "--label=s --label-suffix=_gfx --equ --header --radix=hex --directive=defb",
            "0212111111111111000000000001", sized);
        // The other toolchains' data: the same bytes, one line or array each.
        row("Axe", "--to=axe", code, "[A040]\r\n");
        row("Axe, width and height", "--to=axe --header", code, "[0302A040]\r\n");
        row("Axe, a sheet stored from Pic1 on", "--to=axe --tile=2x1 --label=Pic1", sheet,
            "[C0]\xE2\x86\x92Pic1\r\n[40]\r\n[80]\r\n");
        row("hex, height and bytes per row", "--to=hex --header", code, "0201A040\r\n");
        row("hex, a sheet", "--to=hex --tile=2x1", sheet, "C0\r\n40\r\n80\r\n");
        row("C, named after the file", "--to=c", code,
            "const unsigned char in[] = {\r\n    0xA0,\r\n    0x40\r\n};\r\n");
        row("C, a sheet with sizes and headers", "--to=c --header --equ --tile=2x1 --tiles=2",
            sheet,
            "#define in_HEIGHT 1\r\n#define in_WIDTH 1\r\n"
            "const unsigned char in_0[] = {\r\n    0x02, 0x01,\r\n    0xC0\r\n};\r\n"
            "const unsigned char in_1[] = {\r\n    0x02, 0x01,\r\n    0x40\r\n};\r\n");
        // Black sets both planes, light grey the light one.
        row("C, grey planes", "--to=c --shades=4 --label=g --label-suffix",
            picture(2, 1, {0xFF000000, 0xFFAAAAAA}),
            "const unsigned char g_2x1_dark[] = {\r\n    0x80\r\n};\r\n"
            "const unsigned char g_2x1_light[] = {\r\n    0xC0\r\n};\r\n");
        row("sprite file of that code", "--to=spr", sized, "0212111111111111000000000001\r\n");
    }

    void formats()
    {
        QFETCH(QString, options);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, output);
        writeFile("in", input);
        // Rows with their own status and messages give the whole run.
        const bool whole = output.size() > 1 && output[1] == '\n';
        QCOMPARE(converted(options.split(' ', Qt::SkipEmptyParts) << "in"),
                 whole ? output : "0\n\n" + output);
    }

    // A register, mnemonic or directive name or a leading digit gets a "_", a
    // name used before a number; --label after --label=NAME goes back to the
    // file names.
    void labels()
    {
        QVERIFY(QDir().mkpath("other"));
        const QStringList files =
            QString("A.spr|NZ.spr|end.spr|Djnz.spr|incbin.spr|30 sword-x.spr|other/30 sword-x.spr")
                .split('|');
        for (const QString& file : files)
            writeFile(file, "01011");
        QCOMPARE(converted(QStringList{"--label=hero", "--label"} + files +
                           QStringList{"A.spr", "A.spr"}),
                 "0\n\n_A:\r\n\t.db\t%1\r\n_NZ:\r\n\t.db\t%1\r\n_end:\r\n\t.db\t%1\r\n"
                 "_Djnz:\r\n\t.db\t%1\r\n_incbin:\r\n\t.db\t%1\r\n_30_sword_x:\r\n\t.db\t%1\r\n"
                 "_30_sword_x_2:\r\n\t.db\t%1\r\n_A_2:\r\n\t.db\t%1\r\n_A_3:\r\n\t.db\t%1\r\n");
    }

    // The pictures and snippets a new user meets, from tests/data/inputs.
    void firstInputs_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("output");
        const QByteArray smiley = "0\n\n0808"
                                  "00111100010000101010010110000001"
                                  "10100101100110010100001000111100\r\n";
        for (const char* file : {"smiley-transparent.png", "smiley-near-white.png", "smiley.z80",
                                 "smiley-spaces.asm", "smiley-converter.inc", "smiley-one-line.asm",
                                 "smiley-defb-cr.z80", "smiley-hex.txt"})
            QTest::newRow(file) << file << smiley;
        QTest::newRow("margin") << "smiley-margin.png"
                                << "0\nquillox-convert: smiley-margin.png: the picture is 16 x 16 "
                                   "pixels; took the 8 x 8 pixels drawn at 4,4" +
                                       smiley.mid(1);
        QTest::newRow("Axe") << "axe-pic1.txt"
                             << QByteArray("0\n\n0808"
                                           "00111100010000101000000110100101"
                                           "10000001101001010100001000111100\r\n");
        QTest::newRow("a stray word") << "stray-word.z80"
                                      << QByteArray("1\nquillox-convert: stray-word.z80: line 3 is "
                                                    "not a .db line: \"foo\" stands alone after "
                                                    "the rows\n\n");
    }

    void firstInputs()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, output);
        QFile::remove(file);
        QVERIFY(QFile::copy(QFINDTESTDATA("../../tests/data/inputs/" + file), file));
        QCOMPARE(converted({"--to=spr", file}), output);
    }

    // C names: file names made C names, never a keyword, a name of the C
    // library or a leading "_"; standard input is stdin_.
    void cNames()
    {
        const QStringList files =
            QString("int.spr|main.spr|30 sword-x.spr|_hero.spr|free.spr|ld.spr|-|stdin.spr")
                .split('|');
        for (const QString& file : files)
            writeFile(file, "01011");
        QProcess program;
        program.setStandardInputFile("ld.spr");
        program.start(converterProgram(), QStringList{"--to=c"} + files);
        QVERIFY(program.waitForFinished(ProgramWait));
        QByteArray names;
        for (const QByteArray& line : program.readAllStandardOutput().split('\n'))
            if (line.startsWith("const unsigned char "))
                names += line.mid(20, line.indexOf('[') - 20) + " ";
        QCOMPARE(names, "int_ main_ sprite_30_sword_x hero free_ ld stdin_ stdin__2 ");
    }

    // The editor's copies are what the converter writes with default options.
    void editorCopies()
    {
        const QByteArray sprite = "0203101010\r\n";
        writeFile("s.spr", sprite);
        std::string reason;
        const auto grid = parseSpriteFile(sprite.toStdString(), reason);
        QVERIFY(grid);
        QCOMPARE(axeDataOf(*grid), runConverter({"--to=axe", "s.spr"}).standardOutput);
        QCOMPARE(cArrayOf(*grid),
                 runConverter({"--to=c", "--label=sprite", "s.spr"}).standardOutput);
        QCOMPARE(cArrayOf(*grid, "hero"),
                 runConverter({"--to=c", "--label=hero", "s.spr"}).standardOutput);
    }

    // A canvas larger than a sprite gives the box of what is drawn on it, for
    // the outputs that hold at most 15 x 15; the converter says so.
    void largePictures_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("output");
        QVector<QRgb> canvas(16 * 16, 0x00000000);
        canvas[16 * 2 + 3] = canvas[16 * 4 + 5] = 0xFF000000;
        const QByteArray margin = picture(16, 16, canvas);
        const QByteArray note = "quillox-convert: in: the picture is 16 x 16 pixels; "
                                "took the 3 x 3 pixels drawn at 3,2\n";
        row("16 x 16 to a sprite file", "--to=spr", margin, "0\n" + note + "\n0303100000001\r\n");
        row("16 x 16 to code", "", margin,
            "0\n" + note + "\n\t.db\t%100\r\n\t.db\t%000\r\n\t.db\t%001\r\n");
        canvas[0] = canvas[255] = 0xFF000000;
        row("drawn box too large", "--to=spr", picture(16, 16, canvas),
            "1\nquillox-convert: in: the picture is 16 x 16 pixels and its drawn pixels span "
            "16 x 16; a sprite is at most 15 x 15\n\n");
        row("a PNG picture keeps the limit", "--to=png -o out.png", margin,
            "1\nquillox-convert: in: the picture is 16 x 16 pixels; a sprite is at most 15 x "
            "15\n\n");
        // Byte data takes the picture whole: two bytes a row.
        row("byte data takes it whole", "--to=hex", margin,
            "0\n\n00000000100000000400" + QByteArray("0000").repeated(11) + "\r\n");
        row("assembler code too", "--bytes --tiles=1 --tile=16x16", margin,
            "0\n\n" + QByteArray("\t.db\t%00000000,%00000000\r\n").repeated(2) +
                "\t.db\t%00010000,%00000000\r\n\t.db\t%00000000,%00000000\r\n"
                "\t.db\t%00000100,%00000000\r\n" +
                QByteArray("\t.db\t%00000000,%00000000\r\n").repeated(11));
        // A picture over 64 KiB is read whole.
        QImage noise(200, 200, QImage::Format_ARGB32);
        QRandomGenerator random(7);
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 200; ++x)
                noise.setPixel(x, y, 0xFF808080 | random.bounded(0x7F7F7F));
        noise.setPixel(100, 100, 0xFF000000);
        QBuffer large;
        large.open(QIODevice::WriteOnly);
        noise.save(&large, "PNG");
        QVERIFY(large.size() > 64 * 1024);
        row("picture over 64 KiB", "--to=spr", large.data(),
            "0\nquillox-convert: in: the picture is 200 x 200 pixels; took the 1 x 1 pixels "
            "drawn at 100,100\n\n01011\r\n");
    }

    void largePictures() { formats(); }

    // Every size of sprite comes back the same through a picture and code.
    void roundTrips()
    {
        QRandomGenerator random;
        for (int size = 0; size < 15 * 15; ++size) {
            const int width = size % 15 + 1, height = size / 15 + 1;
            QByteArray sprite = QString::asprintf("%02d%02d", height, width).toLatin1();
            for (int cell = 0; cell < width * height; ++cell)
                sprite += char('0' + random.bounded(2));
            writeFile("in.spr", sprite += "\r\n");
            for (const char* via : {"--to=png", "--to=code"}) {
                QCOMPARE(runConverter({via, "-o", "middle", "in.spr"}).status, 0);
                QCOMPARE(runConverter({"--to=spr", "middle"}).standardOutput, sprite.toStdString());
            }
        }
    }

    void badInput_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QByteArray>("input"); // written to "input"
        QTest::addColumn<QByteArray>("reason");
        const auto bad = [](const char* name, const QByteArray& input, const QByteArray& reason) {
            row(name, "input", input, reason);
        };
        bad("height 00", "0001\r\n", "the size fields are not two numbers from 01");
        bad("a pixel short", "02021\r\n", "exactly 4 pixels");
        bad("a pixel more", "0101011\r\n", "exactly 1 pixels");
        // A sprite file by its name is read strictly, whatever follows its sizes.
        const auto badSpriteFile = [](const char* name, const QByteArray& input,
                                      const QByteArray& reason) {
            row(name, "input.spr", input, reason);
        };
        badSpriteFile("a letter after the pixels", "01011x", "exactly 1 pixels");
        badSpriteFile("text after the line end", "01011\r\nx", "exactly 1 pixels");
        badSpriteFile("CR alone", "01011\r", "exactly 1 pixels");
        badSpriteFile("digit 2", "01022\r\n", "a pixel is not 0 or 1");
        bad("empty", "", "it is empty");
        bad("code of 16 rows", QByteArray("\t.db\t%1\n").repeated(16), "16 lines, not");
        bad("code, a letter", "\t.db\t%1x", "line 1: \"%1x\" is not a number");
        bad("code, 16 digits", "\t.db\t%" + QByteArray(16, '1'), "16 pixels wide, more than 15");
        bad("PNG 16 x 15", picture(16, 15), "16 x 15 pixels");
        bad("PNG 1 x 16", picture(1, 16), "1 x 16");
        bad("binary", QByteArray("\x89\x01\x02garbage", 10), "neither");
        bad("over 64 KiB", "0101" + QByteArray(64 * 1024, '0'), "larger than 64 KiB");
        bad("code over 64 KiB", QByteArray("\t.db\t%1\r\n").repeated(8000), "larger than 64 KiB");
        bad("bytes over 64 KiB", QByteArray("\tdefb\t$3C\n").repeated(8000), "larger than 64 KiB");
        row("folder", "folder", "", "it is a folder");
#ifdef Q_OS_WIN
        row("device name", "NUL", "", "not a regular file");
#else
        row("missing", "nothing", "", "No such file or directory");
        row("named pipe", "fifo", "", "not a regular file");
#endif
        row("sheet of the wrong size", "--tile=4x4 input", picture(6, 4),
            "6 x 4 pixels, not a whole number of 4 x 4 tiles");
        row("sheet too wide", "--tile=1x1 input", picture(4097, 1), "a sheet is at most 4096");
        row("mask of a sprite file", "--mask input", "01011\r\n", "a sprite file has no transp");
        row("height over a header's byte", "--header input", picture(1, 256),
            "its height, 256, does not fit the header's byte (at most 255)");
        row("width over C's header byte", "--to=c --header input", picture(256, 1),
            "its width, 256, does not fit");
        row("height over Axe's header byte", "--to=axe --header input", picture(1, 300),
            "its height, 300, does not fit");
        row("bytes per row over a header's byte", "--to=hex --header input", picture(2048, 1),
            "its bytes per row, 256, does not fit");
        row("mask colour of code", "--mask-colour=FF00FF input", "\t.db\t%1",
            "sprite code has no colours for --mask-colour");
        // Calculator files: 55 bytes of head, the entry from 55 (its header
        // length, the variable's length at 57, type at 59, the length again at
        // 70), the checksum last.
        const QByteArray pic = contents(":/calculator/screen.8xi");
        bad("Pic, bad checksum", changed(pic, 100, 0x55), "its checksum is 58A4h, but");
        bad("Pic, cut short", pic.left(500),
            "should be 775 bytes long, but the file holds 443 (cut");
        bad("Pic, head cut short", pic.left(20), "it is cut short: 20 bytes");
        bad("Pic, bytes after it", pic + "x", "should be 775 bytes long, but the file holds 776");
        bad("Pic, signature's end", changed(pic, 9, 0x0D), "its signature is not");
        bad("Pic, data length", changed(pic, 53, 0x06), "should be 774 bytes long");
        bad("Pic, header 0Ch", withChecksum(changed(pic, 55, 0x0C)), "000Ch bytes long");
        bad("Pic, lengths differ", withChecksum(changed(pic, 70, char(0xF7))),
            "two lengths differ: 758 and 759");
        bad("Pic, entry cut short",
            withChecksum(changed(changed(pic, 57, char(0xF7)), 70, char(0xF7))),
            "its variable is 759 bytes long, but the entry holds 758");
        bad("Pic, wrong type", withChecksum(changed(pic, 59, 0x15)), "type 15h, not a picture");
        bad("Pic, size word", withChecksum(changed(pic, 72, char(0xF5))),
            "size word does not match");
        bad("AppVar is no picture", contents(":/calculator/sprites.8xv"), "type 15h");
        row("mask of a Pic", "--mask input", pic, "a calculator picture has no transparency");
#ifndef Q_OS_WIN
        row("output in a missing folder", "-o missing/out.z80", "", "No such file or directory");
        row("output a pipe nobody reads", "-o fifo", "", "no program reads it");
#endif
    }

    // The last argument fails between two good inputs: one message, no file left.
    void badInput()
    {
        QFETCH(QString, arguments);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, reason);
        writeFile("out.z80", "kept");
        writeFile("good.png", picture(4, 4));
        writeFile("input", input);
        writeFile("input.spr", input);
        QVERIFY(QDir().mkpath("folder"));
#ifndef Q_OS_WIN
        QVERIFY(mkfifo("fifo", 0600) == 0 || errno == EEXIST);
#endif
        const auto entries = QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden | QDir::System;
        const QStringList before = QDir().entryList(entries);
        const QStringList words = arguments.split(' ');
        const QByteArray run =
            converted(QStringList{"-o", "out.z80", "good.png"} + words + QStringList{"good.png"});
        QVERIFY2(run.startsWith("1\nquillox-convert: " + words.last().toLatin1() + ": "),
                 run.constData());
        QVERIFY2(run.contains(reason), run.constData());
        QCOMPARE(run.count('\n'), 3); // one message
        QCOMPARE(QDir().entryList(entries), before);
        QCOMPARE(contents("out.z80"), QByteArray("kept"));
    }

    // Names of standard output write to it, here a file that keeps what it held.
    void standardStreams()
    {
        writeFile("s.spr", "01011");
#ifdef Q_OS_WIN
        for (const QString output : {"-"}) {
#else
        for (const QString output : {"-", "/dev/stdout", "/proc/self/fd/1"}) {
#endif
            writeFile("log", "kept\n");
            QProcess program;
            program.setStandardInputFile("s.spr");
            program.setStandardOutputFile("log", QIODevice::Append);
            program.start(converterProgram(), {"-o", output, "-"});
            QVERIFY(program.waitForFinished(ProgramWait));
            QCOMPARE(program.exitCode(), 0);
            QCOMPARE(contents("log"), "kept\n\t.db\t%1\r\n");
        }
    }

    // The output goes through the editor's temporary, and a killed run's
    // (unlocked) temporary goes with the next run of the same output.
    void staleTemporaryIsRemoved()
    {
        QVERIFY(QDir().mkpath("stale"));
        writeFile("stale/s.spr", "01011\r\n");
        writeFile("stale/.out.inc.quillox-abcdef", "killed");
        QCOMPARE(converted({"-o", "stale/out.inc", "stale/s.spr"}), "0\n\n");
        QCOMPARE(QDir("stale").entryList(QDir::Files | QDir::Hidden),
                 QStringList({"out.inc", "s.spr"}));
        QCOMPARE(contents("stale/out.inc"), "\t.db\t%1\r\n");
    }

    // Names that are not UTF-8 are the bytes given, for inputs and output; on
    // Windows names are UTF-8 and any Unicode name passes.
    void namesAreBytes()
    {
#ifdef Q_OS_WIN
        writeFile(QString::fromUtf8("in\u00e9\u4e2d.spr"), "01011\r\n");
        const ConverterRun run =
            runConverter({"--label", "-o", "lat\u00e9\u4e2d.inc", "in\u00e9\u4e2d.spr"});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.standardError, std::string());
        QCOMPARE(contents(QString::fromUtf8("lat\u00e9\u4e2d.inc")), "in_____:\r\n\t.db\t%1\r\n");
#else
        std::ofstream("in\xE9.spr") << "01011\r\n";
        const ConverterRun run = runConverter({"--label", "-o", "lat\xE9.inc", "in\xE9.spr"});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.standardError, std::string());
        std::ifstream output("lat\xE9.inc");
        QCOMPARE(std::string(std::istreambuf_iterator<char>(output), {}), "in_:\r\n\t.db\t%1\r\n");
#endif
    }

    void standardOutputThatCannotBeWritten()
    {
        writeFile("s.spr", "01011");
        errno = ENOSPC;
        const ConverterRun run = runConverter({"s.spr", "s.spr"}, [](auto) { return false; });
        QCOMPARE(run.standardError, "quillox-convert: standard output: No space left on device\n");
    }

    // A PNG picture or a calculator file never reaches a terminal, whatever
    // name standard output has; written to a file, it is whole.
    void binaryNeverToTerminal()
    {
        writeFile("s.spr", "01011");
        std::string written;
        const auto collect = [&written](std::string_view piece) {
            written += piece;
            return true;
        };
        QStringList names{"", "-"};
#ifndef _WIN32
        names << "/dev/stdout";
#endif
        for (const auto& [target, name, head] : {std::tuple{"--to=png", "", "\x89PNG"},
                                                 {"--to=8xv", "--name=S", "**TI83F*"},
                                                 {"--to=8xi", "--name=Pic1", "**TI83F*"}}) {
            for (const QString& output : names) {
                std::vector<std::string> arguments{target, "s.spr"};
                if (*name)
                    arguments.push_back(name);
                if (!output.isEmpty())
                    arguments.insert(arguments.begin() + 1, {"-o", output.toStdString()});
                const ConverterRun run = runConverter(arguments, collect, true);
                QCOMPARE(run.status, 2);
                QVERIFY2(run.standardError.find("not written to a terminal") != std::string::npos,
                         run.standardError.c_str());
            }
            std::vector<std::string> arguments{target, "-o", "s.bin", "s.spr"};
            if (*name)
                arguments.push_back(name);
            QCOMPARE(runConverter(arguments, collect, true).status, 0);
            QVERIFY(contents("s.bin").startsWith(head));
        }
        QVERIFY(written.empty());
    }

    // Each line of arguments is wrong usage.
    // The program words a usage error as the library does, under a hint of
    // --help (every message is in tst_options).
    void usage()
    {
        const QString lines = "--frob a|--to=8xi a|a -o|--to=hex --label a|--to=png a b";
        for (const QString& arguments : lines.split('|')) {
            const QByteArray run = converted(arguments.split(' ', Qt::SkipEmptyParts));
            QVERIFY2(run.startsWith("2\n"), qPrintable(arguments + ": " + run));
            QVERIFY2(run.endsWith("Try 'quillox-convert --help' for more information.\n\n"),
                     qPrintable(arguments + ": " + run));
        }
    }

    // Calculator files as the Linux converter wrote them (convert/tests/calculator):
    // the same bytes on every system.
    void calculatorFiles_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("expected");
        QTest::newRow("AppVar of two sprite files") << "--to=8xv --name=SPRITES hero.spr ship.spr"
                                                    << "sprites.8xv";
        QTest::newRow("archived AppVar, mask and header")
            << "--to=8xv --name=Masked --archived --mask --header ship.png"
            << "masked.8xv";
        QTest::newRow("Pic0 of a 96 x 64 picture") << "--to=8xi --name=Pic0 screen.png"
                                                   << "screen.8xi";
    }

    void calculatorFiles()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, expected);
        for (const QString input : {"hero.spr", "ship.spr", "ship.png", "screen.png"})
            writeFile(input, contents(":/calculator/" + input));
        QCOMPARE(converted(arguments.split(' ') << "-o"
                                                << "out"),
                 "0\n\n");
        QCOMPARE(contents("out"), contents(":/calculator/" + expected));
    }

    // A Pic goes to a 96 x 63 PNG and back to the same bytes, and gives its
    // 756 bytes to byte code; a sprite file takes its drawn box, as of any
    // large canvas.
    void picturesOfCalculatorFiles()
    {
        writeFile("screen.8xi", contents(":/calculator/screen.8xi"));
        QCOMPARE(converted({"--to=png", "-o", "screen.png", "screen.8xi"}), "0\n\n");
        QCOMPARE(QImage("screen.png").size(), QSize(96, 63));
        QCOMPARE(converted({"--to=8xi", "--name=Pic0", "-o", "again.8xi", "screen.png"}), "0\n\n");
        QCOMPARE(contents("again.8xi"), contents("screen.8xi"));
        const QByteArray code = converted({"--bytes", "--radix=hex", "screen.8xi"});
        QCOMPARE(code.count("\t.db\t$"), 63);
        QCOMPARE(code.count(','), 63 * 11);
        QVERIFY(code.contains("\t.db\t$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF\r\n"));

        writeFile("hero.spr", contents(":/calculator/hero.spr"));
        QCOMPARE(converted({"--to=8xi", "--name=Pic3", "--archived", "-o", "hero.8xi", "hero.spr"}),
                 "0\n\n");
        QCOMPARE(converted({"--to=spr", "hero.8xi"}),
                 "0\nquillox-convert: hero.8xi: the picture is 96 x 63 pixels; took the 8 x 8 "
                 "pixels drawn at 0,0\n\n" +
                     contents("hero.spr"));
        QCOMPARE(converted({"--bytes", "--tile=8x9", "--tiles=1", "hero.8xi"}),
                 "0\n\n" + converted({"--bytes", "hero.spr"}).mid(3) + "\t.db\t%00000000\r\n");
    }

    // What a calculator file cannot hold is named; nothing is written.
    void calculatorFileLimits_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QByteArray>("input"); // written to "input"
        QTest::addColumn<QByteArray>("message");
        QVector<QRgb> lastRow(96 * 64, 0xFFFFFFFF);
        lastRow[96 * 63 + 5] = 0xFF000000;
        row("Pic, a pixel in the 64th row", "--to=8xi --name=Pic1", picture(96, 64, lastRow),
            "input: the pixel at 5,63 is set in the 64th row, which a Pic cannot hold");
        row("Pic of 97 x 64", "--to=8xi --name=Pic1", picture(97, 64),
            "input: the picture is 97 x 64 pixels; a picture is at most 96 x 64");
        // 44 bytes a row: 1489 rows are 65516 bytes, one more row is too many.
        row("AppVar over 65516 bytes", "--to=8xv --name=BIG", picture(352, 1490),
            "out.8xv: the sprites come to 65560 bytes; an AppVar holds at most 65516");
        row("AppVar of 65516 bytes", "--to=8xv --name=BIG", picture(352, 1489), "");
    }

    void calculatorFileLimits()
    {
        QFETCH(QString, arguments);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, message);
        writeFile("input", input);
        writeFile("out.8xv", "kept");
        const QByteArray run = converted(arguments.split(' ') << "-o"
                                                              << "out.8xv"
                                                              << "input");
        if (message.isEmpty()) {
            QCOMPARE(run, "0\n\n");
            QCOMPARE(contents("out.8xv").size(), 55 + 65535 + 2);
        } else {
            QCOMPARE(run, "1\nquillox-convert: " + message + "\n\n");
            QCOMPARE(contents("out.8xv"), "kept");
        }
    }

private:
    QTemporaryDir dir_;
};

QTEST_GUILESS_MAIN(ConvertTest)
#include "tst_convert.moc"
