// The converter's code through GNU as, pasmo and z80asm (see scripts/quickstart):
// they assemble exactly what the pictures hold, in every width and syntax, up
// to a 16 x 16 tile and a whole 96 x 64 screen. The same bytes come as Axe
// data and hex lines, and as C arrays that cc (-std=c99 -Wall -Werror, beside
// the C library's headers) and SDCC (-mz80) compile.
#include "convert/converter.h"
#include "tests/support/testfiles.h"

#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace quillox;

// Grey levels 0 white to 3 black, and the colours that give them.
constexpr QRgb Greys[] = {0xFFFFFF, 0xAAAAAA, 0x555555, 0x000000};

// Assemblers, run by sh on s.s to make s.bin.
constexpr char GnuAs[] =
    "z80-unknown-coff-as -o s.o s.s && z80-unknown-coff-objcopy -O binary s.o s.bin";
constexpr char Pasmo[] = "pasmo s.s s.bin";
constexpr char Z80asm[] = "z80asm -o s.bin s.s";

using Options = QMap<QString, QString>; // option name to value, "" for a bare one

// What one sprite must assemble to, worked out here from its picture; with
// `widthFirst` the header holds the width and the height (C and Axe).
static QByteArray spriteBytes(const QImage& image, const Options& options, bool widthFirst = false)
{
    const int shades = options.value("--shades", "2").toInt();
    const bool byColour = options.contains("--mask-colour");
    const QString order =
        options.contains("--mask") || byColour ? options.value("--mask-order", "before") : "";
    const bool andMask = options.value("--mask-polarity") != "or";
    // A pixel's grey level, 0 white to 3 black, or 4 when it is transparent.
    const QRgb maskColour = options.value("--mask-colour").toUInt(nullptr, 16);
    // Transparent pixels are clear; with two colours the two darker greys
    // (luminance below 128) are set.
    const auto level = [&](int x, int y) {
        const QRgb rgb = image.pixel(x, y) & 0xFFFFFF;
        const bool opaque = qAlpha(image.pixel(x, y)) >= 128;
        if (!order.isEmpty() && (byColour ? rgb == maskColour : !opaque))
            return 4;
        const int grey = int(std::find(std::begin(Greys), std::end(Greys), rgb) - Greys);
        if (!opaque)
            return 0;
        return shades == 2 ? (grey >= 2 ? 3 : 0) : shades == 3 && grey == 1 ? 2 : grey;
    };
    // A row's bytes, bit 7 first, set where the pixel's level is in `levels`
    // (bit N for level N), then padding; the editor's code is one number.
    const auto row = [&](int y, int levels, bool padding) {
        const int width = image.width();
        QByteArray bytes((width + 7) / 8, 0);
        for (int bit = 0; bit < bytes.size() * 8; ++bit)
            if (bit < width ? (levels >> level(bit, y)) & 1 : padding)
                bytes[bit / 8] = char(bytes[bit / 8] | (0x80 >> (bit % 8)));
        return options.isEmpty() ? QByteArray(1, char(quint8(bytes[0]) >> (8 - width))) : bytes;
    };
    QByteArray bytes;
    // Grey levels are a dark plane (dark grey, black) and a light one.
    for (const int plane : shades == 2 ? QVector<int>{0b1110} : QVector<int>{0b1100, 0b1010}) {
        if (options.contains("--header") && widthFirst)
            bytes += QByteArray{1, char(image.width())} + char(image.height());
        else if (options.contains("--header"))
            bytes += QByteArray{1, char(image.height())} + char((image.width() + 7) / 8);
        QByteArray mask, sprite;
        for (int y = 0; y < image.height(); ++y) {
            const QByteArray maskRow = row(y, andMask ? 0b10000 : 0b01111, andMask);
            mask += maskRow;
            sprite += (order == "interleaved" ? maskRow : QByteArray()) + row(y, plane, false);
        }
        bytes += order == "before" ? mask + sprite : order == "after" ? sprite + mask : sprite;
    }
    return bytes;
}

#ifndef Q_OS_WIN
// Runs a shell command in the current folder; its standard output, or a
// failure with its messages.
static bool runShell(const QString& command, QByteArray& output)
{
    QProcess shell;
    shell.start("sh", {"-c", command});
    if (!shell.waitForFinished(60000) || shell.exitCode() != 0) {
        output = "'" + command.toLatin1() + "' failed: " + shell.readAllStandardError();
        return false;
    }
    output = shell.readAllStandardOutput();
    return true;
}
#endif

// The bytes of hex digits, one line per sprite, or of Axe's "[HEX]" lines.
static QByteArray bytesOfHexLines(const QByteArray& text, bool axe, const QByteArray& axeName)
{
    QByteArray bytes;
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (!line.endsWith('\r'))
            return "a line without CR LF";
        line.chop(1);
        if (axe) {
            const QByteArray store = i == 0 && !axeName.isEmpty() ? "\xE2\x86\x92" + axeName : "";
            if (!line.startsWith('[') || !line.endsWith("]" + store))
                return "not Axe's [HEX]: " + line;
            line = line.mid(1, line.size() - 2 - store.size());
        }
        if (line.toUpper() != line || line.size() % 2 != 0)
            return "not upper-case hex digits: " + line;
        bytes += QByteArray::fromHex(line);
    }
    return lines.last().isEmpty() ? bytes : "no line end at the end";
}

class ConvertAssemblerTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        QVERIFY(QDir::setCurrent(dir_.path()));
    }

    // Each row converts 15 pictures, 1 to 15 pixels wide, one call each, or
    // the pictures of `sizes`: "16x16*3" a sheet of three 16 x 16 tiles (or
    // one such picture without --tile), "96x64" a whole screen.
    void assembles_data()
    {
        QTest::addColumn<QString>("assembler");
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("sizes");
        const auto row = [](const char* assembler, const char* options, const char* sizes = "") {
            QTest::addRow("%s %s %s", QByteArray(assembler).split(' ')[0].data(), options, sizes)
                << assembler << options << sizes;
        };
        row(GnuAs, ""); // the editor's code
        row(GnuAs, "--to=bytes");
        row(GnuAs, "--directive=.byte --radix=hex --tile --mask");
        row(GnuAs, "--radix=dec --mask-order=after --mask-polarity=or --mask --header --equ");
        row(GnuAs, "--shades=4 --mask-colour=555555 --mask-order=interleaved");
        row(Pasmo, "--directive=db --tile --mask --mask-order=interleaved");
        row(Pasmo, "--directive=defb --radix=hex --shades=3 --header --equ");
        row(Z80asm, "--directive=defb --radix=dec --shades=4 --tile --mask --mask-order=after "
                    "--mask-polarity=or --equ");
        // Above 15 x 15: tiles and whole pictures.
        row(GnuAs, "--to=bytes", "16x16 96x64");
        row(GnuAs, "--radix=hex --tile --mask --header --equ", "16x16*3 24x17*2");
        row(Pasmo, "--directive=db --shades=4 --header --mask-colour=555555", "96x64 17x16");
        row(Z80asm, "--directive=defb --tile --mask --mask-order=interleaved --mask-polarity=or",
            "16x16*2 96x64*1");
    }

    void assembles()
    {
        QFETCH(QString, assembler);
        QFETCH(QString, options);
        QFETCH(QString, sizes);
        Options named;
        for (const QString& option : options.split(' ', Qt::SkipEmptyParts))
            named.insert(option.section('=', 0, 0), option.section('=', 1));
        struct Picture {
            int width, height, tiles;
        };
        QVector<Picture> pictures;
        // GNU as keeps only the low 8 bits of the editor's wider numbers.
        for (int width = 1; sizes.isEmpty() && width <= (options.isEmpty() ? 8 : 15); ++width)
            pictures.push_back({width, 16 - width, named.contains("--tile") ? 2 : 1});
        for (const QString& size : sizes.split(' ', Qt::SkipEmptyParts))
            pictures.push_back({size.section('x', 0, 0).toInt(),
                                size.section('x', 1).section('*', 0, 0).toInt(),
                                size.contains('*') ? size.section('*', 1).toInt() : 1});
        // The assembler's source and bytes; the same sprites as Axe data, hex
        // lines and C arrays, and the program that writes the arrays' bytes.
        QByteArray source, expected, axe, hex, data, widthFirstData, cSource, cExpected, cMain;
        const QStringList assemblerOnly{"--label", "--equ", "--radix", "--directive"};
        for (int i = 0; i < pictures.size(); ++i) {
            const auto [width, height, tiles] = pictures[i];
            QRandomGenerator random{quint32(width)};
            QImage image(width * tiles, height, QImage::Format_ARGB32);
            for (int at = 0; at < image.width() * height; ++at)
                image.setPixel(at % image.width(), at / image.width(),
                               Greys[random.bounded(4)] | (random.bounded(3) ? 0xFF000000 : 0));
            // Pictures named after a directive and a mnemonic get labels with a "_".
            const QString name = i == 0 ? "end" : i == 1 ? "LD" : QString("w%1").arg(i + 1);
            const QString label = i <= 1 ? "_" + name : name;
            QVERIFY(image.save(name + ".png"));
            std::vector<std::string> arguments{"--label", name.toStdString() + ".png"};
            // Axe and hex take the byte options but no labels, sizes or syntax.
            std::vector<std::string> byteArguments{name.toStdString() + ".png"};
            const QString tile = QString("--tile=%1x%2").arg(width).arg(height);
            for (const QString& option :
                 QString(options).replace("--tile", tile).split(' ', Qt::SkipEmptyParts)) {
                arguments.push_back(option.toStdString());
                if (!assemblerOnly.contains(option.section('=', 0, 0)) && option != "--to=bytes")
                    byteArguments.push_back(option.toStdString());
            }
            const ConverterRun run = runConverter(arguments);
            QVERIFY2(run.status == 0, run.standardError.c_str());
            source += QByteArray::fromStdString(run.standardOutput);
            for (int x = 0; x < image.width(); x += width) {
                const QImage sprite = image.copy(x, 0, width, height);
                expected += spriteBytes(sprite, named);
                data += spriteBytes(sprite, named);
                widthFirstData += spriteBytes(sprite, named, true);
                cExpected += spriteBytes(sprite, named, true);
            }
            if (named.contains("--equ")) { // the size constants read back as data
                source += QString("\t%1\t%2_HEIGHT,%2_WIDTH\r\n")
                              .arg(named.value("--directive", ".db"), label)
                              .toLatin1();
                expected += QByteArray{1, char(height)} + char((width + 7) / 8);
            }
            // The editor's code (no options) is no byte data.
            for (const char* to : {"--to=axe", "--to=hex", "--to=c"}) {
                if (options.isEmpty())
                    break;
                std::vector<std::string> toArguments = byteArguments;
                toArguments.push_back(to);
                if (to == std::string("--to=axe") && i == 0)
                    toArguments.push_back("--label=Pic1");
                if (to == std::string("--to=c") && named.contains("--equ"))
                    toArguments.push_back("--equ");
                const ConverterRun byteRun = runConverter(toArguments);
                QVERIFY2(byteRun.status == 0, byteRun.standardError.c_str());
                const QByteArray text = QByteArray::fromStdString(byteRun.standardOutput);
                if (to == std::string("--to=axe"))
                    axe += bytesOfHexLines(text, true, i == 0 ? "Pic1" : "");
                else if (to == std::string("--to=hex"))
                    hex += bytesOfHexLines(text, false, "");
                else
                    cSource += text;
                // The arrays by their names, then the sizes of --equ, written
                // by a program that includes them beside the C library.
                const QRegularExpression array("const unsigned char (\\w+)\\[\\] = \\{");
                for (const auto& match : array.globalMatch(text))
                    if (to == std::string("--to=c"))
                        cMain += "    fwrite(" + match.captured(1).toLatin1() + ", 1, sizeof " +
                                 match.captured(1).toLatin1() + ", stdout);\n";
            }
            if (named.contains("--equ")) { // C names need no "_"
                cMain += "    putchar(" + name.toLatin1() + "_HEIGHT);\n    putchar(" +
                         name.toLatin1() + "_WIDTH);\n";
                cExpected += QByteArray{1, char(height)} + char((width + 7) / 8);
            }
        }
        // Axe and hex hold the bytes that --bytes assembles to (checked below).
        QCOMPARE(hex, options.isEmpty() ? QByteArray() : data);
        QCOMPARE(axe, options.isEmpty()            ? QByteArray()
                      : named.contains("--header") ? widthFirstData
                                                   : data);
#ifndef Q_OS_WIN
        // C: the arrays, compiled beside the C library's headers, write the
        // same bytes; SDCC compiles them for the Z80.
        if (!options.isEmpty()) {
            QVERIFY(!writeFile("sprites.c", cSource).isEmpty());
            QVERIFY(!writeFile("check.c", "#include <stdio.h>\n#include <stdlib.h>\n"
                                          "#include <string.h>\n#include \"sprites.c\"\n"
                                          "int main(void)\n{\n" +
                                              cMain + "    return 0;\n}\n")
                         .isEmpty());
            QByteArray output;
            QVERIFY2(runShell("cc -std=c99 -Wall -Werror -o check check.c && ./check", output),
                     output.constData());
            QCOMPARE(output, cExpected);
            QVERIFY2(runShell("sdcc -mz80 -c sprites.c -o sprites.rel 2>&1", output),
                     output.constData());
            QCOMPARE(output, QByteArray()); // and says nothing
        }
#endif
#ifdef Q_OS_WIN
        // The assemblers are Linux programs, which Wine cannot start: each row's
        // source, command and bytes are left for assemble-later.sh, run next.
        const QString later =
            qEnvironmentVariable("QUILLOX_ASSEMBLE_LATER") + "/" +
            QString(QTest::currentDataTag()).replace(QRegularExpression("[^A-Za-z0-9=.-]"), "_");
        QVERIFY(!writeFile(later + ".s", source).isEmpty());
        QVERIFY(!writeFile(later + ".command", assembler.toLatin1()).isEmpty());
        QVERIFY(!writeFile(later + ".expected", expected).isEmpty());
        return;
#endif
        QProcess shell; // the source in, the binary out, messages on standard error
        shell.start("sh",
                    {"-c", "rm -f s.bin && cat >s.s && { " + assembler + "; } >&2 && cat s.bin"});
        shell.write(source);
        shell.closeWriteChannel();
        QVERIFY(shell.waitForFinished());
        // Any message or failure fails.
        QCOMPARE(shell.readAllStandardError() + QByteArray::number(shell.exitCode()), "0");
        QCOMPARE(shell.readAllStandardOutput(), expected);
    }

private:
    QTemporaryDir dir_;
};

QTEST_GUILESS_MAIN(ConvertAssemblerTest)
#include "tst_convertassembler.moc"
