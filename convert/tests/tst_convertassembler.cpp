// The converter's code through a real assembler, GNU as for the Z80
// (Debian package binutils-z80): what it assembles is what the picture is.
#include "converter.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace quillox;

class ConvertAssemblerTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        assembler_ = QStandardPaths::findExecutable("z80-unknown-coff-as");
        objcopy_ = QStandardPaths::findExecutable("z80-unknown-coff-objcopy");
        if (assembler_.isEmpty() || objcopy_.isEmpty())
            QSKIP("z80-unknown-coff-as is missing (Debian package binutils-z80)");
    }

    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }

    void assembles_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("bytes");
        for (int width = 1; width <= 15; ++width)
            QTest::addRow("--bytes, %d wide", width) << width << true;
        // Plain rows are binary numbers; GNU as keeps only the low 8 bits of
        // wider ones.
        for (int width = 1; width <= 8; ++width)
            QTest::addRow("plain, %d wide", width) << width << false;
    }

    void assembles()
    {
        QFETCH(int, width);
        QFETCH(bool, bytes);
        const int height = 16 - width;
        QRandomGenerator random{quint32(width)};
        QByteArray sprite = QByteArray::number(height).rightJustified(2, '0') +
                            QByteArray::number(width).rightJustified(2, '0');
        QByteArray expected;
        for (int row = 0; row < height; ++row) {
            QByteArray digits;
            for (int column = 0; column < width; ++column)
                digits += random.bounded(2) ? '1' : '0';
            sprite += digits;
            expected += rowBytes(digits, bytes);
        }
        const QString input = dir_->filePath(QString("%1-wide.spr").arg(width));
        write(input, sprite + "\r\n");

        std::vector<std::string> arguments{"--label", input.toStdString()};
        if (bytes)
            arguments.insert(arguments.begin(), "--bytes");
        const ConverterRun run = runConverter(arguments);
        QCOMPARE(run.status, 0);
        // The label comes first, made an identifier of the file's name.
        QVERIFY(run.standardOutput.rfind(QString("_%1_wide:\r\n").arg(width).toStdString(), 0) ==
                0);
        QCOMPARE(assemble(QByteArray::fromStdString(run.standardOutput)), expected);
    }

    void registerNamesAreNotLabels()
    {
        const QString a = dir_->filePath("a.spr");
        const QString hl = dir_->filePath("HL.spr");
        write(a, "01011\r\n");
        write(hl, "010200\r\n");
        const ConverterRun run =
            runConverter({"--bytes", "--label", a.toStdString(), hl.toStdString()});
        QCOMPARE(run.status, 0);
        QCOMPARE(assemble(QByteArray::fromStdString(run.standardOutput)),
                 QByteArray("\x80\x00", 2));
        QCOMPARE(runConverter({"--label=hl", a.toStdString()}).status, 2);
    }

private:
    // What a row must assemble to: whole bytes from the left, or the row as
    // one binary number.
    static QByteArray rowBytes(const QByteArray& digits, bool padded)
    {
        QByteArray out;
        if (!padded) {
            out += char(digits.toInt(nullptr, 2));
            return out;
        }
        const QByteArray bits = digits.leftJustified((digits.size() + 7) / 8 * 8, '0');
        for (int i = 0; i < bits.size(); i += 8)
            out += char(bits.mid(i, 8).toInt(nullptr, 2));
        return out;
    }

    // The bytes the assembler makes of `source`; any message fails the test.
    QByteArray assemble(const QByteArray& source)
    {
        const QString sourcePath = dir_->filePath("sprite.s");
        const QString object = dir_->filePath("sprite.o");
        const QString binary = dir_->filePath("sprite.bin");
        write(sourcePath, source);
        QByteArray messages = run(assembler_, {"-o", object, sourcePath});
        messages += run(objcopy_, {"-O", "binary", object, binary});
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

    QString assembler_;
    QString objcopy_;
    std::unique_ptr<QTemporaryDir> dir_;
};

QTEST_GUILESS_MAIN(ConvertAssemblerTest)
#include "tst_convertassembler.moc"
