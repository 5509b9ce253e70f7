#include "converter.h"
#include "spritefile.h"
#include "spriteformats.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

using namespace quillox;

using Arguments = std::vector<std::string>;

namespace
{

SpriteGrid randomSprite(int width, int height, quint32 seed)
{
    QRandomGenerator random(seed);
    SpriteGrid grid = spriteOfSize(width, height);
    for (int index = 1; index <= SpriteGrid::CellCount; ++index)
        if (grid.isShown(index) && random.bounded(2) == 1)
            grid.setColour(index, Black);
    return grid;
}

QByteArray picture(QImage image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    return image.save(&buffer, format) ? bytes : "not saved";
}

QImage whiteImage(int width, int height, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(width, height, format);
    image.fill(Qt::white);
    return image;
}

// Status, standard error and standard output, to compare as one text.
QByteArray described(const ConverterRun& run)
{
    return QByteArray::number(run.status) + "\n" + QByteArray::fromStdString(run.standardError) +
           "\n" + QByteArray::fromStdString(run.standardOutput);
}

Arguments list(const QStringList& arguments)
{
    Arguments list;
    for (const QString& argument : arguments)
        list.push_back(argument.toStdString());
    return list;
}

// The installed program, run in a process: it must do what the library does.
ConverterRun runProgram(const Arguments& arguments)
{
    QStringList list;
    for (const std::string& argument : arguments)
        list << QString::fromStdString(argument);
    QProcess program;
    program.start(QUILLOX_CONVERT, list);
    if (!program.waitForFinished())
        return {-1, "did not finish", ""};
    return {program.exitCode(), program.readAllStandardError().toStdString(),
            program.readAllStandardOutput().toStdString()};
}

} // namespace

class ConvertTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }

    void formats_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("output");
        const QByteArray editorCode = "\t.db\t%101\r\n\t.db\t%010\r\n";
        QTest::newRow("code") << QStringList{"--to=code"} << QByteArray("0203101010\r\n")
                              << editorCode;
        QTest::newRow("code, LF") << QStringList{"--to=code"} << QByteArray("0203101010\n")
                                  << editorCode;
        QTest::newRow("code, no line end")
            << QStringList{"--to=code"} << QByteArray("0203101010") << editorCode;
        QTest::newRow("code from LF code")
            << QStringList{"--to=code"} << QByteArray("\t.db\t%101\n\t.db\t%010") << editorCode;
        QTest::newRow("bytes, 3 wide") << QStringList{"--bytes"} << QByteArray("0103101\r\n")
                                       << QByteArray("\t.db\t%10100000\r\n");
        QTest::newRow("bytes, 8 wide")
            << QStringList{"--to=bytes"} << QByteArray("010810000001\r\n")
            << QByteArray("\t.db\t%10000001\r\n");
        QTest::newRow("bytes, 12 wide, 2 high")
            << QStringList{"--bytes"} << QByteArray("0212111111111111000000000001\r\n")
            << QByteArray("\t.db\t%11111111,%11110000\r\n\t.db\t%00000000,%00010000\r\n");
        QTest::newRow("sprite file from code")
            << QStringList{"--to=spr"} << editorCode << QByteArray("0203101010\r\n");
        const QImage image = whiteImage(3, 2);
        QTest::newRow("sprite file from a picture")
            << QStringList{"--to=spr"} << picture(image, "PNG") << QByteArray("0203000000\r\n");
        // A sheet of three 2 x 1 tiles: set set, clear set, set clear.
        QImage sheet = whiteImage(6, 1);
        for (const int x : {0, 1, 3, 4})
            sheet.setPixel(x, 0, 0xFF000000);
        const QByteArray png = picture(sheet, "PNG");
        QTest::newRow("sheet, labels")
            << QStringList{"--tile=2x1", "--label=t"} << png
            << QByteArray("t_0:\r\n\t.db\t%11\r\nt_1:\r\n\t.db\t%01\r\nt_2:\r\n\t.db\t%10\r\n");
        QTest::newRow("sheet, 2 tiles, bytes, size suffix")
            << QStringList{"--tile=2x1", "--tiles=2", "--label=t", "--label-suffix", "--bytes"}
            << png
            << QByteArray("t_0_2x1:\r\n\t.db\t%11000000\r\nt_1_2x1:\r\n\t.db\t%01000000\r\n");
        QTest::newRow("suffix, sizes, header, hex, defb")
            << QStringList{"--label=s", "--label-suffix=_gfx", "--equ",
                           "--header",  "--radix=hex",         "--directive=defb"}
            << QByteArray("0212111111111111000000000001")
            << QByteArray("s_gfx_HEIGHT: equ 2\r\ns_gfx_WIDTH: equ 2\r\ns_gfx:\r\n\tdefb\t2,2\r\n"
                          "\tdefb\t$FF,$F0\r\n\tdefb\t$00,$10\r\n");
        QImage masked = whiteImage(2, 1, QImage::Format_ARGB32);
        masked.setPixel(0, 0, 0x00000000); // transparent black: clear, masked
        masked.setPixel(1, 0, 0xFF000000);
        QTest::newRow("mask, .byte, decimal")
            << QStringList{"--mask", "--directive=.byte", "--radix=dec"} << picture(masked, "PNG")
            << QByteArray("\t.byte\t191\r\n\t.byte\t64\r\n");
    }

    void formats()
    {
        QFETCH(QStringList, options);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, output);
        Arguments arguments = list(options);
        arguments.push_back(write("in", input));
        const ConverterRun run = runConverter(arguments);
        QCOMPARE(described(run), described({0, "", output.toStdString()}));
        QCOMPARE(described(runProgram(arguments)), described(run));
    }

    void byteRadix_data()
    {
        QTest::addColumn<int>("radix");
        QTest::addColumn<QByteArray>("code");
        QTest::newRow("binary") << int(ByteRadix::Binary)
                                << QByteArray(
                                       "\t.db\t%11111111,%11110000\r\n\t.db\t%00000000,%00010000");
        QTest::newRow("hex") << int(ByteRadix::Hex)
                             << QByteArray("\t.db\t$FF,$F0\r\n\t.db\t$00,$10");
        QTest::newRow("decimal") << int(ByteRadix::Decimal)
                                 << QByteArray("\t.db\t255,240\r\n\t.db\t0,16");
    }

    void byteRadix()
    {
        QFETCH(int, radix);
        QFETCH(QByteArray, code);
        std::string reason;
        const auto grid = parseSpriteFile("0212111111111111000000000001", reason);
        QVERIFY(grid);
        QCOMPARE(QByteArray::fromStdString(spriteByteCode(*grid, ByteRadix(radix))), code);
    }

    void labels()
    {
        const std::string a = write("3 sword-x.spr", "01010\r\n");
        QDir(dir_->path()).mkdir("other");
        const std::string b = write("other/3 sword-x.spr", "01011\r\n");
        QCOMPARE(runConverter({"--label", a, b}).standardOutput,
                 std::string("_3_sword_x:\r\n\t.db\t%0\r\n_3_sword_x_2:\r\n\t.db\t%1\r\n"));
        QCOMPARE(
            runConverter({"--label=hero", a, b, a}).standardOutput,
            std::string("hero:\r\n\t.db\t%0\r\nhero_2:\r\n\t.db\t%1\r\nhero_3:\r\n\t.db\t%0\r\n"));
    }

    void roundTrips_data()
    {
        QTest::addColumn<int>("width");
        for (int width = 1; width <= SpriteGrid::Side; ++width)
            QTest::addRow("%d wide", width) << width;
    }

    void roundTrips()
    {
        QFETCH(int, width);
        const std::string middle = dir_->filePath("middle").toStdString();
        for (int height = 1; height <= SpriteGrid::Side; ++height) {
            const SpriteGrid grid = randomSprite(width, height, quint32(width * 100 + height));
            const std::string sprite = spriteFileBytes(spriteFileText(grid));
            const std::string input = write("in.spr", QByteArray::fromStdString(sprite));
            for (const char* via : {"--to=png", "--to=code"}) {
                QCOMPARE(runConverter({via, "-o", middle, input}).status, 0);
                QVERIFY2(runConverter({"--to=spr", middle}).standardOutput == sprite, via);
            }
        }
    }

    void pictures_data()
    {
        QTest::addColumn<QImage::Format>("format");
        QTest::addColumn<QByteArray>("type");
        QTest::newRow("PNG with alpha") << QImage::Format_ARGB32 << QByteArray("PNG");
        QTest::newRow("BMP") << QImage::Format_RGB888 << QByteArray("BMP");
        // A format from a plugin, which the program finds without an application object.
        QTest::newRow("ICO") << QImage::Format_RGB32 << QByteArray("ICO");
    }

    void pictures()
    {
        QFETCH(QImage::Format, format);
        QFETCH(QByteArray, type);
        QImage image = whiteImage(3, 2, format);
        image.setPixel(0, 0, 0xFFFEFFFF); // not exactly white: set
        image.setPixel(1, 0, 0x00FFFFFF); // transparent white: clear
        image.setPixel(1, 1, 0x00000000); // transparent black: set
        image.setPixel(2, 1, 0xFF000000);
        const Arguments arguments{"--to=spr", write("picture", picture(image, type))};
        const ConverterRun run = runConverter(arguments);
        QCOMPARE(described(run), described({0, "", "0203100011\r\n"}));
        QCOMPARE(described(runProgram(arguments)), described(run));
    }

    void badInput_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("reason");
        const QString sizes = "the size fields are not two numbers from 01 to 15";
        QTest::newRow("height ' 1'") << "file" << QByteArray(" 1011\r\n") << "neither";
        QTest::newRow("height '1 '") << "file" << QByteArray("1 011\r\n") << sizes;
        QTest::newRow("height 00") << "file" << QByteArray("0001\r\n") << sizes;
        QTest::newRow("width 16") << "file"
                                  << "0116" + QByteArray(16, '0') << sizes;
        QTest::newRow("size 'ab'") << "file" << QByteArray("01ab0") << sizes;
        QTest::newRow("too short for sizes") << "file" << QByteArray("010") << sizes;
        QTest::newRow("a pixel short") << "file" << QByteArray("02021\r\n") << "exactly 4 pixels";
        QTest::newRow("a pixel more") << "file" << QByteArray("0101011\r\n") << "exactly 1 pixels";
        QTest::newRow("text after the line end")
            << "file" << QByteArray("01011\r\nx") << "exactly 1 pixels";
        QTest::newRow("CR alone") << "file" << QByteArray("01011\r") << "exactly 1 pixels";
        QTest::newRow("digit 2") << "file" << QByteArray("01022\r\n") << "a pixel is not 0 or 1";
        QTest::newRow("empty") << "file" << QByteArray() << "it is empty";
        QTest::newRow("code of uneven rows")
            << "file" << QByteArray("\t.db\t%10\r\n\t.db\t%1") << "line 2 is not as wide";
        QTest::newRow("code of 16 rows")
            << "file" << QByteArray("\t.db\t%1\n").repeated(16) << "16 lines, not 1 to 15";
        QTest::newRow("code, a letter") << "file" << QByteArray("\t.db\t%1x") << "1 to 15 digits";
        QTest::newRow("code, other syntax") << "file" << QByteArray("\t.db\t$10") << "not begin";
        QTest::newRow("code, 16 digits") << "file"
                                         << "\t.db\t%" + QByteArray(16, '1') << "1 to 15 digits";
        QTest::newRow("PNG 16 x 15")
            << "file" << picture(whiteImage(16, 15), "PNG") << "16 x 15 pixels";
        QTest::newRow("PNG 1 x 16") << "file" << picture(whiteImage(1, 16), "PNG") << "1 x 16";
        QTest::newRow("binary") << "file" << QByteArray("\x89\x01\x02garbage", 10) << "neither";
        QTest::newRow("over 64 KiB") << "file"
                                     << "0101" + QByteArray(64 * 1024, '0') << "larger than 64 KiB";
        QTest::newRow("folder") << "folder" << QByteArray() << "it is a folder";
#ifdef Q_OS_WIN
        QTest::newRow("device name") << "device" << QByteArray() << "not a regular file";
#else
        QTest::newRow("missing") << "missing" << QByteArray() << "No such file or directory";
        QTest::newRow("named pipe") << "fifo" << QByteArray() << "not a regular file";
#endif
        QTest::newRow("sheet of the wrong size")
            << "file --tile=4x4" << picture(whiteImage(6, 4), "PNG")
            << "6 x 4 pixels, not a whole number of 4 x 4 tiles";
        QTest::newRow("mask of a sprite file")
            << "file --mask" << QByteArray("01011\r\n") << "a sprite file has no transparency";
        QTest::newRow("mask colour of code")
            << "file --mask-colour=FF00FF" << QByteArray("\t.db\t%1")
            << "sprite code has no colours for --mask-colour";
#ifndef Q_OS_WIN
        QTest::newRow("output in a missing folder")
            << "output" << QByteArray("01011\r\n") << "No such file or directory";
        QTest::newRow("output a pipe nobody reads")
            << "output fifo" << QByteArray("01011\r\n") << "no program reads it";
#endif
    }

    // Nothing is written, and an existing output file stays as it was.
    void badInput()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        QStringList options = kind.split(' ');
        kind = options.takeFirst();
        const QString input = dir_->filePath(kind == "device" ? "NUL" : "input");
        if (kind == "file" || kind == "output")
            write("input", content);
        if (kind == "folder")
            QVERIFY(QDir().mkdir(input));
#ifndef Q_OS_WIN
        if (kind == "fifo")
            QCOMPARE(mkfifo(QFile::encodeName(input).constData(), 0600), 0);
#endif
        const std::string good = write("good.png", picture(whiteImage(4, 4), "PNG"));
        const QString kept = QString::fromStdString(write("out.z80", "kept"));
        QString output = kept;
        if (kind == "output")
            output = dir_->filePath(options.isEmpty() ? "missing/out.z80" : "fifo");
#ifndef Q_OS_WIN
        if (options.value(0) == "fifo" && options.takeFirst().size())
            QCOMPARE(mkfifo(QFile::encodeName(output).constData(), 0600), 0);
#endif
        const auto entries = QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden | QDir::System;
        const QStringList before = QDir(dir_->path()).entryList(entries);

        Arguments arguments = list(options);
        for (const QString& argument : {QString("-o"), output, QString::fromStdString(good), input})
            arguments.push_back(argument.toStdString());
        const ConverterRun run = runConverter(arguments);
        QCOMPARE(run.status, 1);
        const QString error = QString::fromStdString(run.standardError);
        const QString named = kind == "output" ? output : input;
        QVERIFY2(error.startsWith("quillox-convert: " + named + ": "), qPrintable(error));
        QVERIFY2(error.contains(reason), qPrintable(error));
        QCOMPARE(described(runProgram(arguments)), described(run));
        QCOMPARE(QDir(dir_->path()).entryList(entries), before);
        QCOMPARE(read(kept), QByteArray("kept"));
    }

    // Names of standard output write to the stream, here a file opened for
    // appending, which must keep what it held; "-" reads standard input.
    void standardStreams_data()
    {
        QTest::addColumn<QString>("output");
        QTest::newRow("-") << "-";
#ifndef Q_OS_WIN
        for (const char* name : {"/dev/stdout", "/proc/self/fd/1"})
            QTest::newRow(name) << name;
#endif
    }

    void standardStreams()
    {
        QFETCH(QString, output);
        const QString log = QString::fromStdString(write("log", "kept\n"));
        QProcess program;
        program.setStandardInputFile(QString::fromStdString(write("s.spr", "01011\r\n")));
        program.setStandardOutputFile(log, QIODevice::Append);
        program.start(QUILLOX_CONVERT, {"-o", output, "-"});
        QVERIFY(program.waitForFinished());
        QCOMPARE(program.exitCode(), 0);
        QCOMPARE(read(log), QByteArray("kept\n\t.db\t%1\r\n"));
    }

    // Names that are not UTF-8 are the bytes given, for inputs and output.
    // On Windows the names are UTF-8, and any Unicode name passes.
    void namesAreBytes()
    {
#ifdef Q_OS_WIN
        const std::string input = write("in\u00e9\u4e2d.spr", "01011\r\n");
        const std::string output = dir_->filePath("lat\u00e9\u4e2d.inc").toStdString();
        const ConverterRun run = runConverter({"--label", "-o", output, input});
        QCOMPARE(described(run), described({0, "", ""}));
        QCOMPARE(read(QString::fromStdString(output)), QByteArray("in_____:\r\n\t.db\t%1\r\n"));
#else
        const std::string folder = QFile::encodeName(dir_->path()).toStdString() + "/";
        const std::string input = folder + "in\xE9.spr";
        const std::string output = folder + "lat\xE9.inc";
        std::FILE* file = std::fopen(input.c_str(), "wb");
        QVERIFY(file && std::fputs("01011\r\n", file) >= 0 && std::fclose(file) == 0);
        const ConverterRun run = runConverter({"--label", "-o", output, input});
        QCOMPARE(described(run), described({0, "", ""}));
        file = std::fopen(output.c_str(), "rb");
        QVERIFY(file);
        char text[32] = {};
        std::fread(text, 1, sizeof text - 1, file);
        std::fclose(file);
        QCOMPARE(QByteArray(text), QByteArray("in_:\r\n\t.db\t%1\r\n"));
#endif
    }

    void standardOutputThatCannotBeWritten()
    {
        const std::string input = write("s.spr", "01011\r\n");
        errno = ENOSPC;
        const ConverterRun run =
            runConverter({input, input}, [](std::string_view) { return false; });
        QCOMPARE(run.status, 1);
        QVERIFY(run.standardError.find("standard output: ") != std::string::npos);
    }

    void usage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no file") << QStringList{};
        QTest::newRow("unknown option") << QStringList{"--frob", "a.spr"};
        QTest::newRow("unknown format") << QStringList{"--to=jpg", "a.spr"};
        QTest::newRow("two formats") << QStringList{"--bytes", "--to=spr", "a.spr"};
        QTest::newRow("bad label") << QStringList{"--label=9lives", "a.spr"};
        QTest::newRow("picture of two files") << QStringList{"--to=png", "a.spr", "b.spr"};
        QTest::newRow("-o without a name") << QStringList{"a.spr", "-o"};
        QTest::newRow("2 shades") << QStringList{"--shades=2", "a.png"};
        QTest::newRow("5 shades") << QStringList{"--shades=5", "a.png"};
        QTest::newRow("tile 16 wide") << QStringList{"--tile=16x8", "a.png"};
        QTest::newRow("tile 0 high") << QStringList{"--tile=8x0", "a.png"};
        QTest::newRow("tile without x") << QStringList{"--tile=8", "a.png"};
        QTest::newRow("0 tiles") << QStringList{"--tile=8x8", "--tiles=0", "a.png"};
        QTest::newRow("tiles without a tile size") << QStringList{"--tiles=3", "a.png"};
        QTest::newRow("octal") << QStringList{"--radix=oct", "a.png"};
        QTest::newRow("directive .dw") << QStringList{"--directive=.dw", "a.png"};
        QTest::newRow("mask order") << QStringList{"--mask-order=sideways", "a.png"};
        QTest::newRow("mask polarity") << QStringList{"--mask-polarity=xor", "a.png"};
        QTest::newRow("mask colour") << QStringList{"--mask-colour=FF00F", "a.png"};
        QTest::newRow("mask as editor code") << QStringList{"--to=code", "--mask", "a.png"};
        QTest::newRow("shades to a picture") << QStringList{"--shades=4", "--to=png", "a.png"};
        QTest::newRow("sheet to a sprite file") << QStringList{"--tile=8x8", "--to=spr", "a.png"};
        QTest::newRow("sizes without labels") << QStringList{"--equ", "a.png"};
        QTest::newRow("suffix not for labels") << QStringList{"--label-suffix=-x", "a.png"};
    }

    void usage()
    {
        QFETCH(QStringList, arguments);
        const ConverterRun run = runConverter(list(arguments));
        QCOMPARE(run.status, 2);
        QVERIFY(run.standardOutput.empty());
        QVERIFY(run.standardError.find("Try 'quillox-convert --help'") != std::string::npos);
        QCOMPARE(described(runProgram(list(arguments))), described(run));
    }

    void helpAndVersion()
    {
        QCOMPARE(described(runProgram({"--version"})),
                 described({0, "", "quillox-convert " QUILLOX_VERSION "\n"}));
        const ConverterRun help = runProgram({"--help"});
        QCOMPARE(help.status, 0);
        QVERIFY(
            QByteArray::fromStdString(help.standardOutput).startsWith("Usage: quillox-convert"));
    }

    void pngThroughTheProgram()
    {
        const std::string picture = dir_->filePath("s.png").toStdString();
        const ConverterRun run = runProgram({"--to=png", "-o", picture, write("s", "0203101010")});
        QCOMPARE(described(run), described({0, "", ""}));
        const QImage image(QString::fromStdString(picture));
        QCOMPARE(image.size(), QSize(3, 2));
        QCOMPARE(image.pixel(0, 0), qRgb(0, 0, 0));
        QCOMPARE(image.pixel(1, 0), qRgb(255, 255, 255));
    }

private:
    std::string write(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir_->filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path.toStdString();
    }

    static QByteArray read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    std::unique_ptr<QTemporaryDir> dir_;
};

QTEST_GUILESS_MAIN(ConvertTest)
#include "tst_convert.moc"
