// The converter's code through real assemblers (Debian packages binutils-z80,
// pasmo and z80asm): what each assembles is exactly what the pictures hold,
// for every width, syntax, mask order and polarity, and the grey planes.
#include "converter.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace quillox;

namespace
{

// Grey levels 0 white to 3 black, and the colours that give them.
constexpr QRgb Greys[] = {0xFFFFFF, 0xAAAAAA, 0x555555, 0x000000};

struct Pixel {
    int level;
    bool transparent;
};

// Whole bytes of one row, the leftmost bit 7, padded on the right.
QByteArray rowBytes(const QVector<bool>& bits, bool padding)
{
    QByteArray bytes((bits.size() + 7) / 8, 0);
    for (int bit = 0; bit < bytes.size() * 8; ++bit)
        if (bit < bits.size() ? bits[bit] : padding)
            bytes[bit / 8] = char(bytes[bit / 8] | (0x80 >> (bit % 8)));
    return bytes;
}

} // namespace

class ConvertAssemblerTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }

    // Each row converts 15 pictures, 1 to 15 pixels wide, in one call.
    void assembles_data()
    {
        QTest::addColumn<QString>("assembler");
        QTest::addColumn<QStringList>("options");
        QTest::newRow("GNU as, editor code") << "as" << QStringList{};
        QTest::newRow("GNU as, .db") << "as" << QStringList{"--bytes"};
        QTest::newRow("GNU as, .byte, hex, sheet, mask before, AND")
            << "as" << QStringList{"--directive=.byte", "--radix=hex", "--tile", "--mask"};
        QTest::newRow("GNU as, decimal, mask after, OR, header, sizes")
            << "as" << QStringList{"--radix=dec", "--mask-order=after", "--mask-polarity=or",
                                   "--mask",      "--header",           "--equ"};
        QTest::newRow("GNU as, 4 shades, mask colour, interleaved")
            << "as"
            << QStringList{"--shades=4", "--mask-colour=555555", "--mask-order=interleaved"};
        QTest::newRow("pasmo, db, sheet, interleaved AND")
            << "pasmo"
            << QStringList{"--directive=db", "--tile", "--mask", "--mask-order=interleaved"};
        QTest::newRow("pasmo, defb, hex, 3 shades, header, sizes")
            << "pasmo"
            << QStringList{"--directive=defb", "--radix=hex", "--shades=3", "--header", "--equ"};
        QTest::newRow("z80asm, defb, decimal, 4 shades, sheet, mask after, OR, sizes")
            << "z80asm"
            << QStringList{"--directive=defb", "--radix=dec",        "--shades=4",         "--tile",
                           "--mask",           "--mask-order=after", "--mask-polarity=or", "--equ"};
    }

    void assembles()
    {
#ifdef Q_OS_WIN
        QSKIP("the assemblers are Linux programs, not on the Windows PATH under Wine");
#endif
        QFETCH(QString, assembler);
        QFETCH(QStringList, options);
        const auto has = [&](const QString& option) {
            return options.filter(QRegularExpression("^" + option + "($|=)")).value(0);
        };
        const bool sheet = !has("--tile").isEmpty();
        const bool code = options.isEmpty();
        const int shades = has("--shades").isEmpty() ? 2 : has("--shades").back().digitValue();
        const QString order = has("--mask").isEmpty() && has("--mask-colour").isEmpty() ? ""
                              : has("--mask-order").isEmpty()                           ? "before"
                                                              : has("--mask-order").mid(13);
        const bool andMask = has("--mask-polarity") != "--mask-polarity=or";
        const QString directive = has("--directive").isEmpty() ? ".db" : has("--directive").mid(12);
        const std::optional<QRgb> maskColour =
            has("--mask-colour").isEmpty()
                ? std::nullopt
                : std::optional<QRgb>(has("--mask-colour").mid(14).toUInt(nullptr, 16));

        QByteArray source;
        QByteArray expected;
        QByteArray sizes; // the size constants read back as data
        QByteArray sizeBytes;
        // The editor's rows are binary numbers; GNU as keeps only the low 8
        // bits of wider ones.
        for (int width = 1; width <= (code ? 8 : 15); ++width) {
            const int height = 16 - width;
            const int tiles = sheet ? 2 : 1;
            std::vector<std::string> arguments{"--label"};
            for (const QString& option : options)
                arguments.push_back(
                    option != "--tile"
                        ? option.toStdString()
                        : QString("--tile=%1x%2").arg(width).arg(height).toStdString());
            QRandomGenerator random{quint32(width)};
            QImage image(width * tiles, height, QImage::Format_ARGB32);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width * tiles; ++x)
                    image.setPixel(x, y,
                                   Greys[random.bounded(4)] | (random.bounded(3) ? 0xFF000000 : 0));
            const QString name = QString("w%1").arg(width);
            QVERIFY(image.save(dir_->filePath(name + ".png")));
            arguments.push_back(dir_->filePath(name + ".png").toStdString());
            const ConverterRun run = runConverter(arguments);
            QVERIFY2(run.status == 0, run.standardError.c_str());
            source += QByteArray::fromStdString(run.standardOutput);
            for (int tile = 0; tile < tiles; ++tile)
                expected += spriteBytes(image.copy(tile * width, 0, width, height), code, shades,
                                        order, andMask, maskColour, !has("--header").isEmpty());
            if (!has("--equ").isEmpty()) {
                sizes += QString("\t%1\t%2_HEIGHT,%2_WIDTH\r\n").arg(directive, name).toLatin1();
                sizeBytes += char(height);
                sizeBytes += char((width + 7) / 8);
            }
        }
        QCOMPARE(assemble(assembler, source + sizes), expected + sizeBytes);
    }

    void registerNamesAreNotLabels()
    {
#ifdef Q_OS_WIN
        QSKIP("the assemblers are Linux programs, not on the Windows PATH under Wine");
#endif
        const QString a = dir_->filePath("a.spr");
        const QString hl = dir_->filePath("HL.spr");
        write(a, "01011\r\n");
        write(hl, "010200\r\n");
        const ConverterRun run =
            runConverter({"--bytes", "--label", a.toStdString(), hl.toStdString()});
        QCOMPARE(run.status, 0);
        QCOMPARE(assemble("as", QByteArray::fromStdString(run.standardOutput)),
                 QByteArray("\x80\x00", 2));
        QCOMPARE(runConverter({"--label=hl", a.toStdString()}).status, 2);
    }

private:
    // What one sprite must assemble to, worked out from its picture.
    static QByteArray spriteBytes(const QImage& image, bool code, int shades, const QString& order,
                                  bool andMask, std::optional<QRgb> maskColour, bool header)
    {
        const auto pixel = [&](int x, int y) {
            const QRgb argb = image.pixel(x, y);
            const QRgb rgb = argb & 0xFFFFFF;
            const bool masked = !order.isEmpty();
            const bool transparent =
                masked && (maskColour ? rgb == *maskColour : qAlpha(argb) < 128);
            const int grey = int(std::find(std::begin(Greys), std::end(Greys), rgb) - Greys);
            const int level = shades == 2                ? (grey == 0 ? 0 : 3)
                              : shades == 3 && grey == 1 ? 2
                                                         : grey;
            return Pixel{level, transparent};
        };
        const auto row = [&](int y, auto set, bool padding) {
            QVector<bool> bits;
            for (int x = 0; x < image.width(); ++x)
                bits << set(pixel(x, y));
            return code ? QByteArray(1, char(quint8(rowBytes(bits, false)[0]) >> (8 - bits.size())))
                        : rowBytes(bits, padding);
        };
        using Plane = bool (*)(int);
        QVector<Plane> planes{[](int level) { return level != 0; }};
        if (shades > 2)
            planes = {[](int level) { return level >= 2; },
                      [](int level) { return level == 1 || level == 3; }};
        QByteArray bytes;
        for (const Plane plane : planes) {
            if (header)
                bytes += QByteArray{1, char(image.height())} + char((image.width() + 7) / 8);
            QByteArray mask;
            QByteArray sprite;
            for (int y = 0; y < image.height(); ++y) {
                const QByteArray maskRow = row(
                    y, [&](Pixel p) { return p.transparent == andMask; }, andMask);
                const QByteArray spriteRow = row(
                    y, [&](Pixel p) { return !p.transparent && plane(p.level); }, false);
                mask += maskRow;
                sprite += order == "interleaved" ? maskRow + spriteRow : spriteRow;
            }
            bytes += order == "before" ? mask + sprite : order == "after" ? sprite + mask : sprite;
        }
        return bytes;
    }

    // The bytes the assembler makes of `source`; any message fails the test.
    QByteArray assemble(const QString& assembler, const QByteArray& source)
    {
        const QString programs[][2] = {
            {"as", "z80-unknown-coff-as"}, {"pasmo", "pasmo"}, {"z80asm", "z80asm"}};
        QString program;
        for (const auto& [name, executable] : programs)
            if (name == assembler)
                program = QStandardPaths::findExecutable(executable);
        if (program.isEmpty())
            return "missing " + assembler.toLatin1() + " (see scripts/quickstart)";
        const QString sourcePath = dir_->filePath("sprite.s");
        const QString object = dir_->filePath("sprite.o");
        const QString binary = dir_->filePath("sprite.bin");
        write(sourcePath, source);
        QByteArray messages;
        if (assembler == "as") {
            messages = run(program, {"-o", object, sourcePath});
            messages += run(QStandardPaths::findExecutable("z80-unknown-coff-objcopy"),
                            {"-O", "binary", object, binary});
        } else if (assembler == "pasmo") {
            messages = run(program, {sourcePath, binary});
        } else {
            messages = run(program, {"-o", binary, sourcePath});
        }
        if (!messages.isEmpty())
            return "assembler said: " + messages;
        QFile file(binary);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : "no binary";
    }

    static QByteArray run(const QString& program, const QStringList& arguments)
    {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        if (!process.waitForFinished())
            return "did not finish";
        const QByteArray output = process.readAll();
        return process.exitCode() == 0 ? output : output + " (failed)";
    }

    static void write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    std::unique_ptr<QTemporaryDir> dir_;
};

QTEST_GUILESS_MAIN(ConvertAssemblerTest)
#include "tst_convertassembler.moc"
