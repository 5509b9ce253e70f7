#include "editor/spritedocument.h"
#include "tests/support/spritepatterns.h"
#include "tests/support/testfiles.h"

#include <QtTest>

using namespace quillox;

namespace
{

using Command = std::function<void(SpriteDocument&)>;

// How often a command runs the size refresh and builds the code, and what
// the sprite is afterwards; each on an 8 x 8 sprite with its top-left cell set.
struct Counted {
    int refreshes = 0;
    int codes = 0;
};

} // namespace

Q_DECLARE_METATYPE(Command)

class SpriteDocumentTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        document = std::make_unique<SpriteDocument>();
        document->load();
        document->clickCell(SpriteGrid::indexOf(8, 8));
    }

    void loadStepShowsEightEmptyRows()
    {
        SpriteDocument fresh;
        QSignalSpy refreshed(&fresh, &SpriteDocument::sizeRefreshed);
        fresh.load();
        QCOMPARE(refreshed.count(), 1);
        QCOMPARE(QString::fromStdString(fresh.codeText()), codeOf(QStringList(8, "00000000")));
    }

    void refreshesAsTheCommandsRunThem_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<int>("refreshes");
        QTest::addColumn<int>("codes");
        QTest::addColumn<QStringList>("after");
        const QStringList eight(8, "00000000");
        QStringList marked = eight;
        marked[0] = "10000000";
        QTest::newRow("click") << Command([](SpriteDocument& d) { d.clickCell(225); }) << 0 << 1
                               << QStringList(marked.mid(0, 7)) + QStringList{"00000001"};
        QTest::newRow("clear") << Command([](SpriteDocument& d) { d.ClearSprite(); }) << 0 << 1
                               << eight;
        QTest::newRow("new, same size")
            << Command([](SpriteDocument& d) { d.NewSprite(); }) << 1 << 1 << eight;
        QTest::newRow("new from 3 x 2") << Command([](SpriteDocument& d) {
            d.setColumnSliderPosition(13);
            d.setRowSliderPosition(14);
            d.NewSprite();
        }) << 5 << 5 << eight;
        QTest::newRow("invert") << Command([](SpriteDocument& d) { d.Invert(); }) << 1 << 1
                                << QStringList{"01111111"} + QStringList(7, "11111111");
        QTest::newRow("fill black") << Command([](SpriteDocument& d) { d.FillBlack(); }) << 1 << 1
                                    << QStringList(8, "11111111");
        QTest::newRow("slider") << Command([](SpriteDocument& d) { d.moveColumnSlider(9); }) << 1
                                << 1 << QStringList(8, "0000000");
        QTest::newRow("slider to its own place")
            << Command([](SpriteDocument& d) { d.moveRowSlider(8); }) << 0 << 0 << marked;
        QTest::newRow("slider outside 1..15")
            << Command([](SpriteDocument& d) { d.setColumnSliderPosition(16); }) << 0 << 0
            << marked;
        // A load sets the row slider, then the column slider, each refreshing
        // when it moves, then rebuilds the code once more.
        QTest::newRow("load, new sizes")
            << Command([](SpriteDocument& d) { d.loadSpriteFileBytes("0203101010\r\n"); }) << 2 << 3
            << QStringList{"101", "010"};
        QTest::newRow("load, same sizes") << Command([](SpriteDocument& d) {
            d.loadSpriteFileBytes("0808" + std::string(64, '1'));
        }) << 0 << 1 << QStringList(8, "11111111");
        QTest::newRow("load, unrecognised height")
            << Command([](SpriteDocument& d) { d.loadSpriteFileBytes("xx03"); }) << 1 << 2
            << QStringList(8, "000");
        QTest::newRow("picture or paste") << Command([](SpriteDocument& d) {
            d.takeSprite(spriteOf({"1", "0", "1"}));
        }) << 2 << 3 << QStringList{"1", "0", "1"};
    }

    void refreshesAsTheCommandsRunThem()
    {
        QFETCH(Command, command);
        QFETCH(int, refreshes);
        QFETCH(int, codes);
        QFETCH(QStringList, after);
        QSignalSpy refreshed(document.get(), &SpriteDocument::sizeRefreshed);
        QSignalSpy built(document.get(), &SpriteDocument::codeChanged);
        command(*document);
        QCOMPARE(refreshed.count(), refreshes);
        QCOMPARE(built.count(), codes);
        QCOMPARE(blockOf(document->grid()), after);
        QCOMPARE(QString::fromStdString(document->codeText()), codeOf(after));
    }

    // Clear Sprite whitens all 225 cells, those the size hides too, and the
    // last cell as well as the first; each row's cells are black before it.
    void clearWhitensEveryCell_data()
    {
        QTest::addColumn<QList<int>>("black");
        QTest::addColumn<int>("side"); // the sprite's width and height
        QList<int> every;
        for (int index = 1; index <= SpriteGrid::CellCount; ++index)
            every << index;
        QTest::newRow("the last cell") << QList<int>{SpriteGrid::CellCount} << 8;
        QTest::newRow("the last cell, 1 x 1") << QList<int>{SpriteGrid::CellCount} << 1;
        QTest::newRow("hidden cells")
            << QList<int>{1, SpriteGrid::indexOf(8, 7), SpriteGrid::indexOf(7, 15),
                          SpriteGrid::indexOf(15, 1)}
            << 8;
        QTest::newRow("every cell, 15 x 15") << every << 15;
        QTest::newRow("every cell, 1 x 1") << every << 1;
    }

    void clearWhitensEveryCell()
    {
        QFETCH(QList<int>, black);
        QFETCH(int, side);
        const int position = SpriteGrid::Side + 1 - side;
        document->setColumnSliderPosition(position);
        document->setRowSliderPosition(position);
        for (int index : black)
            document->paintCell(index, Black);
        for (int index : black)
            QCOMPARE(document->grid().colour(index), Black);
        document->ClearSprite();
        QStringList stillBlack;
        for (int index = 1; index <= SpriteGrid::CellCount; ++index)
            if (document->grid().colour(index) != White)
                stillBlack << QString::number(index);
        QCOMPARE(stillBlack.join(' '), QString());
        QCOMPARE(blockOf(document->grid()), QStringList(side, QString(side, '0')));
    }

    // Undo and redo of each kind of step: tst_mainwindow, through the window.
    void nestedStepsAreOneAndEmptyStepsNone()
    {
        // Nested steps are one; a step that changes nothing is none; no undo
        // while a step is open.
        const std::size_t count = document->history().undoCount();
        document->beginStep();
        document->clickCell(225);
        document->moveRowSlider(3);
        document->undo();
        document->endStep();
        QCOMPARE(document->grid().rowPosition(), 3);
        QVERIFY(!document->grid().isClear(225));
        QCOMPARE(document->history().undoCount(), count + 1);
        document->NewSprite();
        document->NewSprite();
        QCOMPARE(document->history().undoCount(), count + 2);
    }

    void loadingKeepsTheFileInText2()
    {
        QTemporaryDir dir;
        const QString path = writeFile(dir.filePath("s.spr"), "010210\r\n");
        QVERIFY(!document->loadSpriteFile(path));
        QCOMPARE(document->text2(), std::string("010210\r\n"));
        // A file that cannot be read changes nothing and is no step.
        const std::size_t count = document->history().undoCount();
        QVERIFY(document->loadSpriteFile(dir.filePath("missing.spr")));
        QCOMPARE(document->text2(), std::string("010210\r\n"));
        QCOMPARE(document->history().undoCount(), count);
        // Saving builds Text2 from the active block alone.
        document->takeSprite(spriteOf({"011"}));
        QCOMPARE(document->buildSpriteFileText(), std::string("0103011"));
    }

    // A press on a cell of each ink with each ink there is to choose.
    void pressesFollowTheInk_data()
    {
        QTest::addColumn<QString>("ink");
        QTest::addColumn<QString>("cells"); // the row before and after a press on each
        QTest::addColumn<QString>("pressed");
        // Black is the click: white and transparent turn black, the rest white.
        QTest::newRow("black") << "B"
                               << "BDL.T"
                               << "...BB";
        QTest::newRow("dark grey") << "D"
                                   << "BDL.T"
                                   << "D.DDD";
        QTest::newRow("light grey") << "L"
                                    << "BDL.T"
                                    << "LL.LL";
        QTest::newRow("transparent") << "T"
                                     << "BDL.T"
                                     << "TTTT.";
    }

    void pressesFollowTheInk()
    {
        QFETCH(QString, ink);
        QFETCH(QString, cells);
        QFETCH(QString, pressed);
        const Ink chosen = inkOfLevel(QStringLiteral(".LDB").indexOf(ink), ink == "T");
        for (int cell = 0; cell < cells.size(); ++cell) {
            document->takeSprite(inkedPixelsOf({cells}));
            QSignalSpy built(document.get(), &SpriteDocument::codeChanged);
            const std::size_t steps = document->history().undoCount();
            document->pressCell(SpriteGrid::indexOf(15, 11 + cell), chosen);
            QString expected = cells;
            expected[cell] = pressed[cell];
            QCOMPARE(inkRowsOf(document->pixels()), QStringList{expected});
            QCOMPARE(built.count(), 1);
            QCOMPARE(document->history().undoCount(), steps + 1);
            // The code sees grey as black and transparent as white.
            QCOMPARE(QString::fromStdString(document->codeText()),
                     codeOf({QString(expected)
                                 .replace(QRegularExpression("[BDL]"), "1")
                                 .replace(QRegularExpression("[.T]"), "0")}));
            document->undo();
            QCOMPARE(inkRowsOf(document->pixels()), QStringList{cells});
        }
    }

    // The commands that set a colour leave opaque cells of that colour; the
    // moves and Invert Grey Levels carry or swap the inks.
    void commandsAndInks_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<Command>("command");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<int>("codes");
        using Rows = QStringList;
        QTest::newRow("invert") << Rows{"BDL.T", "T.DLB"}
                                << Command([](SpriteDocument& d) { d.Invert(); })
                                << QStringList{"...BB", "BB..."} << 1;
        QTest::newRow("fill black")
            << Rows{"BDL.T", "T.DLB"} << Command([](SpriteDocument& d) { d.FillBlack(); })
            << QStringList(2, "BBBBB") << 1;
        QTest::newRow("clear") << Rows{"BDL.T", "T.DLB"}
                               << Command([](SpriteDocument& d) { d.ClearSprite(); })
                               << QStringList(2, ".....") << 1;
        QTest::newRow("new") << Rows{"BDL.T", "T.DLB"}
                             << Command([](SpriteDocument& d) { d.NewSprite(); })
                             << QStringList(8, "........") << 3;
        QTest::newRow("sprite file")
            << Rows{"BDL.T", "T.DLB"}
            << Command([](SpriteDocument& d) { d.loadSpriteFileBytes("02051010101010"); })
            << QStringList{"B.B.B", ".B.B."} << 1;
        QTest::newRow("invert grey levels")
            << Rows{"BDL.T", "T.DLB"} << Command([](SpriteDocument& d) { d.invertGreyLevels(); })
            << QStringList{".LDBT", "TBLD."} << 1;
        QTest::newRow("flip") << Rows{"BDL.T", "T.DLB"} << Command([](SpriteDocument& d) {
            d.transform(SpriteTransform::FlipHorizontal);
        }) << QStringList{"T.LDB", "BLD.T"}
                              << 1;
        QTest::newRow("shift down")
            << Rows{"BDL.T", "T.DLB"}
            << Command([](SpriteDocument& d) { d.transform(SpriteTransform::ShiftDown); })
            << QStringList{"T.DLB", "BDL.T"} << 1;
        QTest::newRow("rotate") << Rows{"BDL", ".TB", "DDT"} << Command([](SpriteDocument& d) {
            d.transform(SpriteTransform::RotateClockwise);
        }) << Rows{"D.B", "DTD", "TBL"}
                                << 1;
    }

    void commandsAndInks()
    {
        QFETCH(QStringList, before);
        QFETCH(Command, command);
        QFETCH(QStringList, after);
        QFETCH(int, codes);
        document->takeSprite(inkedPixelsOf(before));
        QSignalSpy built(document.get(), &SpriteDocument::codeChanged);
        command(*document);
        QCOMPARE(inkRowsOf(document->pixels()), after);
        QCOMPARE(built.count(), codes);
        // Hidden cells are white: the size never uncovers a stale ink.
        for (int index = 1; index <= SpriteGrid::CellCount; ++index)
            if (!document->grid().isShown(index))
                QCOMPARE(int(document->ink(index)), int(Ink::White));
        // One step back gives every ink again.
        document->undo();
        QCOMPARE(inkRowsOf(document->pixels()), before);
        document->redo();
        QCOMPARE(inkRowsOf(document->pixels()), after);
    }

    // Invert Grey Levels goes through no progress bar, unlike Invert.
    void invertGreyLevelsShowsNoProgress()
    {
        document->takeSprite(inkedPixelsOf({"BDLT"}));
        QSignalSpy progress(document.get(), &SpriteDocument::progressed);
        QSignalSpy refreshed(document.get(), &SpriteDocument::sizeRefreshed);
        document->invertGreyLevels();
        QCOMPARE(progress.count(), 0);
        QCOMPARE(refreshed.count(), 0);
        document->Invert();
        QCOMPARE(progress.count(), SpriteGrid::CellCount + 1);
    }

    void strokeOfInkIsOneStep()
    {
        document->takeSprite(inkedPixelsOf({"BBBB"}));
        const std::size_t steps = document->history().undoCount();
        document->beginStep();
        document->pressCell(SpriteGrid::indexOf(15, 12), Ink::LightGrey);
        for (int column : {13, 14, 15})
            document->paintInk(SpriteGrid::indexOf(15, column), Ink::LightGrey);
        document->endStep();
        QCOMPARE(inkRowsOf(document->pixels()), QStringList{"LLLL"});
        QCOMPARE(document->history().undoCount(), steps + 1);
        document->undo();
        QCOMPARE(inkRowsOf(document->pixels()), QStringList{"BBBB"});
    }

private:
    std::unique_ptr<SpriteDocument> document;
};

QTEST_GUILESS_MAIN(SpriteDocumentTest)
#include "tst_spritedocument.moc"
