// The converter's calculator files as the TI link programs' file library
// (libtifiles, GPL-2) reads them. Test only: nothing that ships links it.
#include "convert/converter.h"
#include "tests/support/testfiles.h"

#include <QTemporaryDir>
#include <QtTest>

// The library's headers are C: "restrict" is no C++ keyword.
#define restrict __restrict
#include <tifiles.h>
#undef restrict

using namespace quillox;

namespace
{

std::vector<std::string> argumentsOf(const QStringList& list)
{
    std::vector<std::string> arguments;
    for (const QString& argument : list)
        arguments.push_back(argument.toStdString());
    return arguments;
}

// The bytes an assembler makes of `--bytes --radix=dec`: every number after
// the directive (header lines are decimal too).
QByteArray assembledBytes(const QStringList& options)
{
    const ConverterRun run =
        runConverter(argumentsOf(QStringList{"--bytes", "--radix=dec"} + options));
    if (run.status != 0)
        return "--bytes failed: " + QByteArray::fromStdString(run.standardError);
    QByteArray bytes;
    for (const QByteArray& line : QByteArray::fromStdString(run.standardOutput).split('\n')) {
        if (!line.startsWith("\t.db\t"))
            continue;
        // As an assembler reads it: a ";" comment ends the values.
        for (const QByteArray& number : line.mid(5).split(';').first().trimmed().split(','))
            bytes += char(number.toInt());
    }
    return bytes;
}

QByteArray withSizeWord(const QByteArray& content)
{
    return QByteArray(1, char(content.size() & 0xFF)) + char(content.size() >> 8) + content;
}

// The Pic of a black and white picture file: its opaque black pixels in the
// top 63 rows of the screen.
QByteArray picOfPicture(const QString& path)
{
    const QImage image = QImage(path).convertToFormat(QImage::Format_ARGB32);
    QByteArray bytes(756, '\0');
    for (int y = 0; y < qMin(image.height(), 63); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) >= 128 && qGray(image.pixel(x, y)) < 128)
                bytes[y * 12 + x / 8] = char(bytes[y * 12 + x / 8] | (0x80 >> (x % 8)));
    return bytes;
}

// A file as the library reads it; the checksum is compared by the library
// but only reported, so the test compares it.
struct LibraryRead {
    int error = -1;
    bool checksumAgrees = false;
    unsigned entries = 0;
    int type = -1;
    QByteArray name; // 8 bytes
    bool archived = false;
    int version = -1;
    QByteArray data;
};

LibraryRead readWithLibrary(const QString& path)
{
    LibraryRead read;
    FileContent* content = tifiles_content_create_regular(CALC_TI83P);
    read.error = tifiles_file_read_regular(QFile::encodeName(path).constData(), content);
    if (read.error == 0) {
        read.checksumAgrees =
            content->checksum == content->stored_checksum && content->model == CALC_TI83P;
        read.entries = content->num_entries;
        if (content->num_entries == 1) {
            const VarEntry* entry = content->entries[0];
            read.type = entry->type;
            read.name = QByteArray(entry->name, 8); // raw, padded with 00
            read.archived = entry->attr == ATTRB_ARCHIVED;
            read.version = entry->version;
            read.data = QByteArray(reinterpret_cast<const char*>(entry->data), int(entry->size));
        }
    }
    tifiles_content_delete_regular(content);
    return read;
}

} // namespace

class CalculatorFilesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        QVERIFY(QDir::setCurrent(dir_.path()));
        tifiles_library_init(); // its count of users
        for (const QString input : {"hero.spr", "ship.spr", "ship.png", "screen.png"})
            QVERIFY(!writeFile(input, contents(":/calculator/" + input)).isEmpty());
        QVERIFY(
            runConverter({"--to=8xi", "--name=Pic2", "-o", "screen.8xi", "screen.png"}).status ==
            0);
        // 15 x 10 sprites of 20 bytes, to fill an AppVar to the last byte.
        writeFile("wide.spr", "1015" + QByteArray(150, '1') + "\r\n");
    }

    void cleanupTestCase() { tifiles_library_exit(); }

    // Each AppVar holds what --bytes assembles of the same FILEs and options;
    // a Pic holds the picture's pixels, and reads back as the same screen.
    void calculatorFiles_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("stored"); // the name's bytes in the file
        QTest::addColumn<QString>("files");     // options and inputs
        QTest::addColumn<bool>("archived");
        const auto row = [](const char* tag, const char* target, const char* name,
                            const QByteArray& stored, const QString& files, bool archived) {
            QTest::newRow(tag) << QString(target) << QString(name) << stored << files << archived;
        };
        row("AppVar of two sprite files", "8xv", "SPRITES", "SPRITES", "hero.spr ship.spr", false);
        row("AppVar, archived, mask interleaved, header", "8xv", "Ship1", "Ship1",
            "--mask --header --mask-order=interleaved ship.png", true);
        row("AppVar, OR mask after, grey planes", "8xv", "G", "G",
            "--mask --mask-order=after --mask-polarity=or --shades=4 ship.png", false);
        row("AppVar of a sheet's two tiles", "8xv", "TILES", "TILES", "--tile=5x7 ship.png", false);
        row("AppVar of a Pic's screen", "8xv", "SCREEN", "SCREEN", "screen.8xi", false);
        // 86 screens of 756 bytes and 25 sprites of 20: 65516 bytes.
        row("AppVar full to the last byte", "8xv", "FULL", "FULL",
            (QStringList(86, "screen.8xi") + QStringList(25, "wide.spr")).join(' '), true);
        row("Pic1 of a 96 x 64 picture", "8xi", "Pic1", QByteArray("\x60\x00", 2), "screen.png",
            false);
        row("Pic0, archived, of a sprite's picture", "8xi", "Pic0", "\x60\x09", "ship.png", true);
        row("Pic9 of a sprite file", "8xi", "Pic9", "\x60\x08", "hero.spr", false);
    }

    void calculatorFiles()
    {
        QFETCH(QString, target);
        QFETCH(QString, name);
        QFETCH(QByteArray, stored);
        QFETCH(QString, files);
        QFETCH(bool, archived);
        const bool pic = target == "8xi";
        const QString out = "out." + target;
        const QStringList inputs = files.split(' ');
        QStringList arguments{"--to=" + target, "--name=" + name, "-o", out};
        if (archived)
            arguments << "--archived";
        const ConverterRun run = runConverter(argumentsOf(arguments + inputs));
        QVERIFY2(run.status == 0, run.standardError.c_str());
        const LibraryRead read = readWithLibrary(out);
        QCOMPARE(read.error, 0);
        QVERIFY(read.checksumAgrees);
        QCOMPARE(read.entries, 1u);
        QCOMPARE(read.type, pic ? 0x07 : 0x15);
        QCOMPARE(read.name, stored.leftJustified(8, '\0'));
        QCOMPARE(read.archived, archived);
        QCOMPARE(read.version, 0);
        if (!pic) {
            QCOMPARE(read.data, withSizeWord(assembledBytes(inputs)));
            return;
        }
        QString picture = files;
        if (!files.endsWith(".png")) {
            QCOMPARE(runConverter({"--to=png", "-o", "sprite.png", files.toStdString()}).status, 0);
            picture = "sprite.png";
        }
        QCOMPARE(read.data, withSizeWord(picOfPicture(picture)));
        QCOMPARE(withSizeWord(assembledBytes({out})), read.data);
    }

private:
    QTemporaryDir dir_;
};

QTEST_GUILESS_MAIN(CalculatorFilesTest)
#include "tst_calculatorfiles.moc"
