// The converter's code through real assemblers (Debian packages binutils-z80,
// pasmo and z80asm): what each assembles is exactly what the pictures hold,
// for every width, syntax, mask order and polarity, and the grey planes.
#include "converter.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace quillox;

namespace
{

// Grey levels 0 white to 3 black, and the colours that give them.
constexpr QRgb Greys[] = {0xFFFFFF, 0xAAAAAA, 0x555555, 0x000000};

// Assemblers, run by sh in the test's folder on s.s to make s.bin.
constexpr char GnuAs[] =
    "z80-unknown-coff-as -o s.o s.s && z80-unknown-coff-objcopy -O binary s.o s.bin";
constexpr char Pasmo[] = "pasmo s.s s.bin";
constexpr char Z80asm[] = "z80asm -o s.bin s.s";

using Options = QMap<QString, QString>; // option name to value, "" for a bare one

// What one sprite must assemble to, worked out here from its picture.
QByteArray spriteBytes(const QImage& image, const Options& options)
{
    const int shades = options.value("--shades", "2").toInt();
    const bool byColour = options.contains("--mask-colour");
    const QString order =
        options.contains("--mask") || byColour ? options.value("--mask-order", "before") : "";
    const bool andMask = options.value("--mask-polarity") != "or";
    // A pixel's grey level, 0 white to 3 black, or 4 when it is transparent.
    const auto level = [&](int x, int y) {
        const QRgb rgb = image.pixel(x, y) & 0xFFFFFF;
        if (!order.isEmpty() &&
            (byColour ? rgb == options.value("--mask-colour").toUInt(nullptr, 16)
                      : qAlpha(image.pixel(x, y)) < 128))
            return 4;
        const int grey = int(std::find(std::begin(Greys), std::end(Greys), rgb) - Greys);
        return shades == 2 ? (grey == 0 ? 0 : 3) : shades == 3 && grey == 1 ? 2 : grey;
    };
    // The bytes of a row with a bit set for each pixel whose level is in
    // `levels` (bit N for level N), the leftmost pixel in bit 7, then padding.
    // The editor's code (no options) has one number per row instead.
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
        QByteArray mask;
        QByteArray sprite;
        for (int y = 0; y < image.height(); ++y) {
            const QByteArray maskRow = row(y, andMask ? 0b10000 : 0b01111, andMask);
            mask += maskRow;
            sprite += (order == "interleaved" ? maskRow : QByteArray()) + row(y, plane, false);
        }
        bytes += order == "before" ? mask + sprite : order == "after" ? sprite + mask : sprite;
    }
    return bytes;
}

} // namespace

class ConvertAssemblerTest : public QObject
{
    Q_OBJECT

private slots:
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
        row(GnuAs, "--bytes");
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
        QByteArray source;
        QByteArray expected;
        // GNU as keeps only the low 8 bits of the editor's wider numbers.
        for (int width = 1; width <= (options.isEmpty() ? 8 : 15); ++width) {
            const int height = 16 - width;
            QRandomGenerator random{quint32(width)};
            QImage image(width * tiles, height, QImage::Format_ARGB32);
            for (int i = 0; i < image.width() * height; ++i)
                image.setPixel(i % image.width(), i / image.width(),
                               Greys[random.bounded(4)] | (random.bounded(3) ? 0xFF000000 : 0));
            const QString name = QString("w%1").arg(width);
            QVERIFY(image.save(dir_.filePath(name + ".png")));
            std::vector<std::string> arguments{"--label",
                                               dir_.filePath(name + ".png").toStdString()};
            const QString tileSize = QString("--tile=%1x%2").arg(width).arg(height);
            for (const QString& option :
                 QString(options).replace("--tile", tileSize).split(' ', Qt::SkipEmptyParts))
                arguments.push_back(option.toStdString());
            const ConverterRun run = runConverter(arguments);
            QVERIFY2(run.status == 0, run.standardError.c_str());
            source += QByteArray::fromStdString(run.standardOutput);
            for (int tile = 0; tile < tiles; ++tile)
                expected += spriteBytes(image.copy(tile * width, 0, width, height), named);
            if (named.contains("--equ")) { // the size constants read back as data
                source += QString("\t%1\t%2_HEIGHT,%2_WIDTH\r\n")
                              .arg(named.value("--directive", ".db"), name)
                              .toLatin1();
                expected += QByteArray{1, char(height)} + char((width + 7) / 8);
            }
        }
        QFile file(dir_.filePath("s.s"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(source) == source.size());
        file.close();
        QFile::remove(dir_.filePath("s.bin"));
        QProcess shell;
        shell.setWorkingDirectory(dir_.path());
        shell.setProcessChannelMode(QProcess::MergedChannels);
        shell.start("sh", {"-c", assembler});
        QVERIFY(shell.waitForFinished());
        // Any message or failure (a missing assembler: see scripts/quickstart) fails.
        QCOMPARE(shell.readAll() + QByteArray::number(shell.exitCode()), QByteArray("0"));
        QFile binary(dir_.filePath("s.bin"));
        QVERIFY(binary.open(QIODevice::ReadOnly));
        QCOMPARE(binary.readAll(), expected);
    }

private:
    QTemporaryDir dir_;
};

QTEST_GUILESS_MAIN(ConvertAssemblerTest)
#include "tst_convertassembler.moc"
