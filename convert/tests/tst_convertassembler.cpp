// The converter's code through GNU as, pasmo and z80asm (see scripts/quickstart):
// they assemble exactly what the pictures hold, in every width and syntax.
#include "convert/converter.h"
#include "tests/support/testfiles.h"

#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
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

// What one sprite must assemble to, worked out here from its picture.
static QByteArray spriteBytes(const QImage& image, const Options& options)
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
        if (options.contains("--header"))
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

class ConvertAssemblerTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(dir_.isValid() && QDir::setCurrent(dir_.path())); }

    // Each row converts 15 pictures, 1 to 15 pixels wide, one call each.
    void assembles_data()
    {
        QTest::addColumn<QString>("assembler");
        QTest::addColumn<QString>("options");
        const auto row = [](const char* assembler, const char* options) {
            QTest::addRow("%s %s", QByteArray(assembler).split(' ')[0].data(), options)
                << assembler << options;
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
    }

    void assembles()
    {
        QFETCH(QString, assembler);
        QFETCH(QString, options);
        Options named;
        for (const QString& option : options.split(' ', Qt::SkipEmptyParts))
            named.insert(option.section('=', 0, 0), option.section('=', 1));
        const int tiles = named.contains("--tile") ? 2 : 1;
        QByteArray source, expected;
        // GNU as keeps only the low 8 bits of the editor's wider numbers.
        for (int width = 1; width <= (options.isEmpty() ? 8 : 15); ++width) {
            const int height = 16 - width;
            QRandomGenerator random{quint32(width)};
            QImage image(width * tiles, height, QImage::Format_ARGB32);
            for (int i = 0; i < image.width() * height; ++i)
                image.setPixel(i % image.width(), i / image.width(),
                               Greys[random.bounded(4)] | (random.bounded(3) ? 0xFF000000 : 0));
            // Pictures named after a directive and a mnemonic get labels with a "_".
            const QString name = width == 1 ? "end" : width == 2 ? "LD" : QString("w%1").arg(width);
            const QString label = width <= 2 ? "_" + name : name;
            QVERIFY(image.save(name + ".png"));
            std::vector<std::string> arguments{"--label", name.toStdString() + ".png"};
            const QString tile = QString("--tile=%1x%2").arg(width).arg(height);
            for (const QString& option :
                 QString(options).replace("--tile", tile).split(' ', Qt::SkipEmptyParts))
                arguments.push_back(option.toStdString());
            const ConverterRun run = runConverter(arguments);
            QVERIFY2(run.status == 0, run.standardError.c_str());
            source += QByteArray::fromStdString(run.standardOutput);
            for (int x = 0; x < image.width(); x += width)
                expected += spriteBytes(image.copy(x, 0, width, height), named);
            if (named.contains("--equ")) { // the size constants read back as data
                source += QString("\t%1\t%2_HEIGHT,%2_WIDTH\r\n")
                              .arg(named.value("--directive", ".db"), label)
                              .toLatin1();
                expected += QByteArray{1, char(height)} + char((width + 7) / 8);
            }
        }
#ifdef Q_OS_WIN
        // The assemblers are Linux programs, which Wine cannot start: each row's
        // source, command and bytes are left for assemble-later.sh, run next.
        const QString later = qEnvironmentVariable("QUILLOX_ASSEMBLE_LATER") + "/" +
                              QString(QTest::currentDataTag()).replace(' ', '_');
        QVERIFY(!writeFile(later + ".s", source).isEmpty() &&
                !writeFile(later + ".command", assembler.toLatin1()).isEmpty() &&
                !writeFile(later + ".expected", expected).isEmpty());
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
