#include "converter.h"
#include "spritecode.h"
#include "spritefile.h"
#include "spriteformats.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace quillox;

namespace
{

// A sprite of the given size with seeded random pixels.
SpriteGrid randomSprite(int width, int height, quint32 seed)
{
    QRandomGenerator random(seed);
    SpriteGrid grid = spriteOfSize(width, height);
    for (int index = 1; index <= SpriteGrid::CellCount; ++index)
        if (grid.isShown(index) && random.bounded(2) == 1)
            grid.setColour(index, Black);
    return grid;
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

    void codeAsTheEditorSavesIt()
    {
        const QString sprite = write("sprite.spr", "0203101010\r\n");
        const ConverterRun run = convert({sprite.toStdString()});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.standardOutput, std::string("\t.db\t%101\r\n\t.db\t%010\r\n"));
    }

    void byteCode_data()
    {
        QTest::addColumn<QByteArray>("sprite");
        QTest::addColumn<QByteArray>("code");
        QTest::newRow("3 wide") << QByteArray("0103101") << QByteArray("\t.db\t%10100000\r\n");
        QTest::newRow("8 wide") << QByteArray("010810000001") << QByteArray("\t.db\t%10000001\r\n");
        QTest::newRow("12 wide, 2 high")
            << QByteArray("0212111111111111000000000001")
            << QByteArray("\t.db\t%11111111,%11110000\r\n\t.db\t%00000000,%00010000\r\n");
    }

    void byteCode()
    {
        QFETCH(QByteArray, sprite);
        QFETCH(QByteArray, code);
        const ConverterRun run =
            convert({"--bytes", write("s.spr", sprite + "\r\n").toStdString()});
        QCOMPARE(run.status, 0);
        QCOMPARE(QByteArray::fromStdString(run.standardOutput), code);
    }

    void labels()
    {
        const std::string a = write("3 sword-x.spr", "01010\r\n").toStdString();
        QDir(dir_->path()).mkdir("other");
        const std::string b = write("other/3 sword-x.spr", "01011\r\n").toStdString();
        QCOMPARE(convert({"--label", a, b}).standardOutput,
                 std::string("_3_sword_x:\r\n\t.db\t%0\r\n_3_sword_x_2:\r\n\t.db\t%1\r\n"));
        QCOMPARE(
            convert({"--label=hero", a, b, a}).standardOutput,
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
        for (int height = 1; height <= SpriteGrid::Side; ++height) {
            const SpriteGrid grid = randomSprite(width, height, quint32(width * 100 + height));
            const std::string sprite = spriteFileBytes(spriteFileText(grid));
            const std::string input =
                write("in.spr", QByteArray::fromStdString(sprite)).toStdString();
            for (const char* via : {"--to=png", "--to=code"}) {
                const std::string middle = dir_->filePath("middle").toStdString();
                QCOMPARE(convert({via, "-o", middle, input}).status, 0);
                const ConverterRun back = convert({"--to=spr", middle});
                QCOMPARE(back.status, 0);
                QVERIFY2(back.standardOutput == sprite, via);
            }
        }
    }

    void pictures_data()
    {
        QTest::addColumn<QImage::Format>("format");
        QTest::addColumn<QString>("type");
        QTest::newRow("PNG, 32-bit with alpha") << QImage::Format_ARGB32 << "PNG";
        QTest::newRow("BMP, 24-bit") << QImage::Format_RGB888 << "BMP";
    }

    void pictures()
    {
        QFETCH(QImage::Format, format);
        QFETCH(QString, type);
        QImage image(3, 2, format);
        image.fill(Qt::white);
        image.setPixelColor(0, 0, QColor(254, 255, 255)); // not exactly white: set
        image.setPixelColor(2, 1, Qt::black);
        if (image.hasAlphaChannel())
            image.setPixelColor(1, 1, Qt::transparent); // the white behind shows
        const QString path = dir_->filePath("picture");
        QVERIFY(image.save(path, qPrintable(type)));
        const ConverterRun run = convert({"--to=spr", path.toStdString()});
        QCOMPARE(run.standardError, std::string());
        QCOMPARE(run.standardOutput, std::string("0203100001\r\n"));
    }

    void badInput_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("reason");
        const QString sizes = "the size fields are not two numbers from 01 to 15";
        QTest::newRow("height ' 1'") << QByteArray(" 1011\r\n") << "neither";
        QTest::newRow("height '1 '") << QByteArray("1 011\r\n") << sizes;
        QTest::newRow("height 00") << QByteArray("0001\r\n") << sizes;
        QTest::newRow("width 16") << QByteArray("0116" + QByteArray(16, '0')) << sizes;
        QTest::newRow("size 'ab'") << QByteArray("01ab0") << sizes;
        QTest::newRow("too short for sizes") << QByteArray("010") << sizes;
        QTest::newRow("a pixel short") << QByteArray("02021\r\n") << "exactly 4 pixels";
        QTest::newRow("a pixel too many") << QByteArray("0101011\r\n") << "exactly 1 pixels";
        QTest::newRow("text after the line end") << QByteArray("01011\r\nx") << "exactly 1 pixels";
        QTest::newRow("digit 2") << QByteArray("01022\r\n") << "a pixel is not 0 or 1";
        QTest::newRow("empty") << QByteArray() << "it is empty";
        QTest::newRow("code of uneven rows")
            << QByteArray("\t.db\t%10\r\n\t.db\t%1") << "line 2 is not as wide as the first";
        QTest::newRow("code of 16 rows")
            << QByteArray("\t.db\t%1\n").repeated(16) << "16 lines, not 1 to 15";
        QTest::newRow("code, a letter") << QByteArray("\t.db\t%1x") << "1 to 15 digits 0 or 1";
        QTest::newRow("code, other syntax") << QByteArray("\t.db\t$10") << "does not begin";
        QTest::newRow("code, 16 digits")
            << QByteArray("\t.db\t%") + QByteArray(16, '1') << "1 to 15 digits";
        QTest::newRow("picture 16 x 15") << png(16, 15) << "16 x 15 pixels";
        QTest::newRow("picture 1 x 16") << png(1, 16) << "1 x 16 pixels";
        QTest::newRow("binary") << QByteArray("\x89\x01\x02garbage", 10) << "neither";
    }

    void badInput()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        const QString input = write("bad.spr", content);
        const QString output = write("out.z80", "kept");
        const ConverterRun run = convert({"-o", output.toStdString(), input.toStdString()});
        QCOMPARE(run.status, 1);
        const QString error = QString::fromStdString(run.standardError);
        QVERIFY2(error.startsWith("quillox-convert: " + input + ": "), qPrintable(error));
        QVERIFY2(error.contains(reason), qPrintable(error));
        QCOMPARE(read(output), QByteArray("kept"));
    }

    void unreadableInput_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "missing"
                                 << "No such file or directory";
        QTest::newRow("folder") << "folder"
                                << "it is a folder";
        QTest::newRow("named pipe") << "fifo"
                                    << "not a regular file";
        QTest::newRow("over 1 MiB") << "huge"
                                    << "larger than 1 MiB";
    }

    void unreadableInput()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        const QString path = dir_->filePath("input");
        if (kind == "folder")
            QVERIFY(QDir().mkdir(path));
        if (kind == "fifo")
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        if (kind == "huge")
            write("input", "0101" + QByteArray(1024 * 1024, '0'));
        const std::string good = write("good.spr", "01011\r\n").toStdString();
        const QString output = dir_->filePath("out.z80");
        const ConverterRun run = convert({"-o", output.toStdString(), good, path.toStdString()});
        QCOMPARE(run.status, 1);
        QVERIFY2(QString::fromStdString(run.standardError).contains(reason),
                 run.standardError.c_str());
        QVERIFY(!QFileInfo::exists(output));
    }

    void outputInMissingFolder()
    {
        const std::string input = write("s.spr", "01011\r\n").toStdString();
        const QString output = dir_->filePath("missing/out.z80");
        const ConverterRun run = convert({"-o", output.toStdString(), input});
        QCOMPARE(run.status, 1);
        QVERIFY(QString::fromStdString(run.standardError).startsWith("quillox-convert: " + output));
        QCOMPARE(QDir(dir_->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList{"s.spr"});
    }

    void standardOutputThatCannotBeWritten()
    {
        const std::string input = write("s.spr", "01011\r\n").toStdString();
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
    }

    void usage()
    {
        QFETCH(QStringList, arguments);
        std::vector<std::string> list;
        for (const QString& argument : arguments)
            list.push_back(argument.toStdString());
        const ConverterRun run = convert(list);
        QCOMPARE(run.status, 2);
        QVERIFY(run.standardOutput.empty());
        QVERIFY(run.standardError.find("--help") != std::string::npos);
    }

    void theProgram()
    {
        const QString sprite = write("s.spr", "0203101010\r\n");
        QCOMPARE(runProgram({"--version"}), QByteArray("quillox-convert 1.25\n"));
        QVERIFY(runProgram({"--help"}).startsWith("Usage: quillox-convert"));
        QCOMPARE(runProgram({sprite}), QByteArray("\t.db\t%101\r\n\t.db\t%010\r\n"));
        const QString picture = dir_->filePath("s.png");
        QCOMPARE(runProgram({"--to=png", "-o", picture, sprite}), QByteArray());
        QCOMPARE(QImage(picture).size(), QSize(3, 2));
        QProcess failing;
        failing.start(QUILLOX_CONVERT, {dir_->filePath("missing.spr")});
        QVERIFY(failing.waitForFinished());
        QCOMPARE(failing.exitCode(), 1);
        QVERIFY(failing.readAllStandardError().contains("missing.spr: No such file"));
    }

private:
    ConverterRun convert(const std::vector<std::string>& arguments)
    {
        return runConverter(arguments);
    }

    QByteArray runProgram(const QStringList& arguments)
    {
        QProcess program;
        program.start(QUILLOX_CONVERT, arguments);
        if (!program.waitForFinished() || program.exitCode() != 0)
            return "failed: " + program.readAllStandardError();
        return program.readAllStandardOutput();
    }

    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir_->filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    static QByteArray read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static QByteArray png(int width, int height)
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::white);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return bytes;
    }

    std::unique_ptr<QTemporaryDir> dir_;
};

QTEST_GUILESS_MAIN(ConvertTest)
#include "tst_convert.moc"
