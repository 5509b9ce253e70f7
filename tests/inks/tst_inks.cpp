// Grey and transparent cells through both programs. For each sprite, mask
// order and polarity: every byte copy and save of the window equals what
// quillox-convert writes for the picture the window saves of the same
// sprite, and pasting each of them back gives the same cells.
#include "code/labels.h"
#include "convert/converter.h"
#include "editor/mainwindow.h"
#include "platform/scriptedplatform.h"
#include "tests/support/spritepatterns.h"
#include "tests/support/testfiles.h"

#include <QPainter>
#include <QtTest>

using namespace quillox;

namespace
{

// A sprite of every ink in turn, its last column black so that no reader has
// to guess its width.
QStringList everyInk(int width, int height)
{
    QStringList rows;
    for (int y = 0; y < height; ++y) {
        QString row;
        for (int x = 0; x < width; ++x)
            row += x == width - 1 ? QLatin1Char('B') : QStringLiteral("BDL.T").at((x + 2 * y) % 5);
        rows << row;
    }
    return rows;
}

bool hasLetter(const QStringList& rows, char letter)
{
    return rows.join(QString()).contains(QLatin1Char(letter));
}

struct Directive {
    const char* editorName; // the Directive and Radix menu's items
    const char* radixName;
    QStringList converterOptions;
};

const Directive Directives[] = {
    {".db", "binary", {"--directive=.db", "--radix=bin"}},
    {"defb", "hex", {"--directive=defb", "--radix=hex"}},
    {".byte", "decimal", {"--directive=.byte", "--radix=dec"}},
};

} // namespace

class InksTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        platform_ = std::make_unique<ScriptedPlatform>();
        window_ = std::make_unique<MainWindow>(*platform_);
    }

    void outputsMatchTheConverterAndReadBack_data()
    {
        QTest::addColumn<QStringList>("sprite");
        QTest::addColumn<QString>("order");
        QTest::addColumn<QString>("polarity");
        const std::pair<const char*, QStringList> sprites[] = {
            {"1 x 1 transparent", {"T"}},
            {"1 x 1 dark grey", {"D"}},
            {"1 x 1 light grey", {"L"}},
            {"8 x 8 every ink", everyInk(8, 8)},
            {"8 x 8 without light grey",
             {"..BBBB.B", ".BDDDDBB", "BDTDDTDB", "BDDDDDDB", "BDTTTTDB", "BDDTTDDB", ".BDDDDBB",
              "..BBBBTB"}},
            {"8 x 8 grey, opaque",
             {"BDL.BDLB", "DL.BDL.B", "L.BDL.BB", ".BDL.BDB", "BDL.BDLB", "DL.BDL.B", "L.BDL.BB",
              ".BDL.BDB"}},
            {"8 x 8 masked black and white",
             {"TTBBBBTB", "TB....BB", "B..BB..B", "TB....BB", "TTBBBBTB", "TB....BB", "B..BB..B",
              "TB....BB"}},
            {"8 x 4 grey, opaque", {"BDL.BDLB", "DL.BDL.B", "L.BDL.BB", ".BDL.BDB"}},
            {"15 x 15 every ink", everyInk(15, 15)},
            {"9 wide every ink", everyInk(9, 5)},
        };
        for (const auto& [name, rows] : sprites)
            for (const char* order : {"Before", "After", "Interleaved"})
                for (const char* polarity : {"And", "Or"})
                    QTest::addRow("%s, %s, %s", name, order, polarity)
                        << rows << QString(order) << QString(polarity);
    }

    void outputsMatchTheConverterAndReadBack()
    {
        QFETCH(QStringList, sprite);
        QFETCH(QString, order);
        QFETCH(QString, polarity);
        const bool grey = hasLetter(sprite, 'D') || hasLetter(sprite, 'L');
        const bool masked = hasLetter(sprite, 'T');
        window_->document().takeSprite(inkedPixelsOf(sprite));
        QCOMPARE(inkRowsOf(window_->document().pixels()), sprite);
        action(("mask" + order).toLatin1())->trigger();
        action(("mask" + polarity).toLatin1())->trigger();

        // The picture the window saves, which the converter reads.
        QTemporaryDir dir;
        const QString picture = dir.filePath("sprite.png");
        platform_->fileAnswers.push_back(picture);
        action("savePicture")->trigger();
        QStringList inks;
        if (grey)
            inks << "--shades=4";
        if (masked)
            inks << "--mask"
                 << "--mask-order=" + order.toLower() << "--mask-polarity=" + polarity.toLower();
        const auto converted = [&](const QStringList& options) {
            std::vector<std::string> arguments;
            for (const QString& option : options + inks + QStringList{picture})
                arguments.push_back(option.toStdString());
            const ConverterRun run = runConverter(arguments);
            if (run.status != 0)
                return QString::fromStdString("failed: " + run.standardError);
            return QString::fromStdString(run.standardOutput);
        };
        const QStringList spriteLabel = grey ? QStringList{"--label=sprite"} : QStringList{};

        // Each output, and what the converter writes for it.
        QList<std::pair<QString, QString>> outputs;
        for (const Directive& directive : Directives) {
            action(directive.editorName)->trigger();
            action(directive.radixName)->trigger();
            action("copyAssemblerBytes")->trigger();
            outputs.append(
                {platform_->clipboardTexts.last(),
                 converted(QStringList{"--bytes"} + directive.converterOptions + spriteLabel)});
            const QString saved = dir.filePath(QStringLiteral("hero.z80"));
            platform_->fileAnswers.push_back(saved);
            action("saveAssemblerBytes")->trigger();
            outputs.append(
                {QString::fromLatin1(contents(saved)),
                 converted(QStringList{"--bytes", "--label=hero"} + directive.converterOptions)});
        }
        action("copyHexBytes")->trigger();
        outputs.append(
            {platform_->clipboardTexts.last(),
             converted(QStringList{"--bytes", "--radix=hex", "--directive=.byte"} + spriteLabel)});
        action("copyCArray")->trigger();
        outputs.append({platform_->clipboardTexts.last(), converted({"--to=c", "--label=sprite"})});
        for (const auto& [editor, converter] : outputs)
            QCOMPARE(editor, converter);

        // Every one reads back to the same cells, from a grid all black.
        for (const auto& output : outputs) {
            window_->document().FillBlack();
            platform_->clipboard = output.first;
            action("pasteCode")->trigger();
            QCOMPARE(platform_->messages.size(), 0);
            QCOMPARE(inkRowsOf(window_->document().pixels()), sprite);
        }
        window_->document().FillBlack();
        window_->openFile(picture);
        QCOMPARE(inkRowsOf(window_->document().pixels()), sprite);

        // Axe: Pt-Mask( data for an 8 x 8 sprite with grey or transparency,
        // which reads back with its one grey as dark grey; else the planes.
        action("copyAxeHex")->trigger();
        const QString axe = platform_->clipboardTexts.last();
        const bool ptMask = sprite.size() == 8 && sprite[0].size() == 8 && (grey || masked);
        if (!ptMask) {
            QCOMPARE(axe, converted({"--to=axe"}));
            return;
        }
        inks = QStringList{"--pt-mask"};
        QCOMPARE(axe, converted({"--to=axe"}));
        QVERIFY(axe.startsWith(".PT-MASK\r\n["));
        window_->document().FillBlack();
        platform_->clipboard = axe;
        action("pasteCode")->trigger();
        QCOMPARE(inkRowsOf(window_->document().pixels()),
                 sprite.join('|').replace('L', 'D').split('|'));
    }

    // --pt-mask from the command line: pictures only, 8 x 8 or a sheet of
    // 8 x 8 tiles; grey as --shades=3 reads it, transparency as --mask.
    void ptMaskFromTheCommandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output"); // standard output, or what standard error says
        const QString ship = "[183C7EE7E77E3C181824429999422418]";
        QTest::newRow("8 x 8") << QStringList{"--pt-mask", "ship.png"} << 0
                               << ".PT-MASK\r\n" + ship + "\r\n";
        QTest::newRow("named, --to=axe")
            << QStringList{"--to=axe", "--pt-mask", "--label=Pic1", "ship.png"} << 0
            << ".PT-MASK\r\n" + ship + "\u2192Pic1\r\n";
        QTest::newRow("a sheet of two tiles")
            << QStringList{"--pt-mask", "--tile=8x8", "sheet.png"} << 0
            << ".PT-MASK\r\n" + ship + "\r\n.PT-MASK\r\n[00000000000000000000000000000000]\r\n";
        QTest::newRow("16 x 8 without --tile")
            << QStringList{"--pt-mask", "sheet.png"} << 1
            << "sheet.png: the picture is 16 x 8 pixels; --pt-mask draws 8 x 8";
        QTest::newRow("a sprite file")
            << QStringList{"--pt-mask", "ship.spr"} << 2 << "ship.spr: a sprite file is no picture";
        QTest::newRow("code") << QStringList{"--pt-mask", "ship.z80"} << 2
                              << "ship.z80: sprite code is no picture";
        QTest::newRow("a calculator Pic, whole")
            << QStringList{"--pt-mask", "ship.8xi"} << 1
            << "ship.8xi: the picture is 96 x 63 pixels; --pt-mask draws 8 x 8";
    }

    void ptMaskFromTheCommandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, output);
        // The ship of the docs: black, dark and light grey, white, transparent.
        const QStringList ship{"TTTBBTTT", "TTBDDBTT", "TBDLLDBT", "BDL..LDB",
                               "BDL..LDB", "TBDLLDBT", "TTBDDBTT", "TTTBBTTT"};
        QTemporaryDir dir;
        QDir::setCurrent(dir.path());
        window_->document().takeSprite(inkedPixelsOf(ship));
        platform_->fileAnswers.push_back(dir.filePath("ship.png"));
        action("savePicture")->trigger();
        QImage sheet(16, 8, QImage::Format_ARGB32);
        sheet.fill(Qt::transparent);
        QPainter(&sheet).drawImage(0, 0, QImage(dir.filePath("ship.png")));
        QVERIFY(sheet.save(dir.filePath("sheet.png")));
        writeFile(dir.filePath("ship.spr"), "0808" + QByteArray(64, '1'));
        writeFile(dir.filePath("ship.z80"), "\t.db\t%1\r\n");
        QCOMPARE(runConverter({"--to=8xi", "--name=Pic1", "-o", "ship.8xi", "ship.png"}).status, 0);
        std::vector<std::string> argv;
        for (const QString& argument : arguments)
            argv.push_back(argument.toStdString());
        const ConverterRun run = runConverter(argv);
        QDir::setCurrent(QCoreApplication::applicationDirPath());
        QCOMPARE(run.status, status);
        if (status == 0)
            QCOMPARE(QString::fromStdString(run.standardOutput), output);
        else
            QVERIFY2(QString::fromStdString(run.standardError).contains(output),
                     run.standardError.c_str());
    }

private:
    QAction* action(const char* name) const
    {
        auto* found = window_->findChild<QAction*>(QString::fromLatin1(name));
        if (!found)
            qFatal("no action %s", name);
        return found;
    }

    std::unique_ptr<ScriptedPlatform> platform_;
    std::unique_ptr<MainWindow> window_;
};

QTEST_MAIN(InksTest)
#include "tst_inks.moc"
