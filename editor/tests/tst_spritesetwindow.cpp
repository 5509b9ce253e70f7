// The Sprite Set window through the scripted seam: a game's source opened
// from the main window, its sprites chosen onto the grid with their own
// histories, written back in place, guarded against changes on disk, grown,
// copied, cut and played on the calculator screen.
#include "editor/mainwindow.h"
#include "editor/screenwindow.h"
#include "editor/spritedocument.h"
#include "editor/spritesetwindow.h"
#include "platform/scriptedplatform.h"
#include "tests/support/spritepatterns.h"

#include <QtTest>
#include <QtWidgets>

using namespace quillox;

class SpriteSetWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(dir_.isValid());
        platform_ = std::make_unique<ScriptedPlatform>();
        window_ = std::make_unique<MainWindow>(*platform_);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }
    void cleanup() { window_.reset(); }

    void opensAsASetAndShowsItsSprites()
    {
        const QString path = copy("hero-walk.inc");
        window_->openFile(path);
        SpriteSetWindow* set = window_->spriteSetWindow();
        QVERIFY(set->isVisible());
        QVERIFY(!set->isModal());
        QCOMPARE(set->windowTitle(), QStringLiteral("hero-walk.inc[*] - Sprite Set"));
        QVERIFY(!set->isWindowModified());
        QCOMPARE(platform_->messages.size(), 0);
        QCOMPARE(set->spriteList()->count(), 3);
        QCOMPARE(set->spriteList()->item(1)->text(), QStringLiteral("hero_walk_1\n8 x 8, line 13"));
        QCOMPARE(set->spriteList()->item(0)->icon().availableSizes().value(0), QSize(16, 16));
        // The first sprite on the grid, as a load puts it; no undo step.
        QCOMPARE(set->chosen(), 0);
        QCOMPARE(inkRowsOf(document().pixels()), inkRowsOf(*set->pixelsOf(0)));
        QVERIFY(!document().history().canUndo());
        // Never the sprite file's buffer or dialog.
        QCOMPARE(document().text2(), std::string());
        // Esc hides it; the menu's item and F6 show the same one again.
        QTest::keyClick(set, Qt::Key_Escape);
        QVERIFY(!set->isVisible());
        QTest::keyClick(window_.get(), Qt::Key_F6);
        QVERIFY(set->isVisible());
        set->hide();
        window_->findChild<QAction*>(QStringLiteral("spriteSet"))->trigger();
        QVERIFY(set->isVisible());
        QCOMPARE(window_->findChildren<SpriteSetWindow*>().size(), 1);
    }

    // Each sprite keeps its edits and its undo history; choosing is no step.
    void eachSpriteKeepsItsEditsAndHistory()
    {
        window_->openFile(copy("hero-walk.inc"));
        SpriteSetWindow* set = window_->spriteSetWindow();
        const QStringList first = inkRowsOf(document().pixels());
        document().clickCell(cellOf(0, 0));
        QVERIFY(set->isWindowModified());
        QCOMPARE(inkRowsOf(*set->pixelsOf(0)), inkRowsOf(document().pixels()));
        set->spriteList()->setCurrentRow(2);
        QCOMPARE(set->chosen(), 2);
        QCOMPARE(inkRowsOf(document().pixels()), inkRowsOf(*set->pixelsOf(2)));
        QVERIFY(!document().history().canUndo());
        set->choose(0);
        QVERIFY(document().history().canUndo());
        QVERIFY(inkRowsOf(document().pixels()) != first);
        document().undo();
        QCOMPARE(inkRowsOf(document().pixels()), first);
        // The described commands edit the chosen sprite too.
        document().FillBlack();
        QCOMPARE(inkRowsOf(*set->pixelsOf(0)), QStringList(8, "BBBBBBBB"));
    }

    // Saved in place: without an edit byte for byte, one pixel its row's line.
    void savesInPlace()
    {
        const QString path = copy("enemies-crlf.z80");
        const QByteArray original = contents(path);
        window_->openFile(path);
        SpriteSetWindow* set = window_->spriteSetWindow();
        QVERIFY(set->save());
        QCOMPARE(contents(path), original);
        set->choose(1);
        document().clickCell(cellOf(1, 1));
        activate(set);
        QTest::keyClick(set, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!set->isWindowModified());
        const QByteArray saved = contents(path);
        QCOMPARE(saved, QByteArray(original).replace("\t.db %11011011\r\n", "\t.db %10011011\r\n"));
        QCOMPARE(platform_->messages.size(), 0);
    }

    // Another program's change is never overwritten unasked.
    void asksBeforeOverwritingAChangeOnDisk()
    {
        const QString path = copy("hero-walk.inc");
        window_->openFile(path);
        SpriteSetWindow* set = window_->spriteSetWindow();
        document().clickCell(cellOf(0, 0));
        const QByteArray theirs = contents(path) + "; added by another program\n";
        write(path, theirs);
        QVERIFY(!set->save()); // unscripted: Cancel
        QCOMPARE(platform_->questions.size(), 1);
        QVERIFY(platform_->questions[0].text.contains("changed on disk"));
        QCOMPARE(contents(path), theirs);
        platform_->choiceAnswers.push_back(0); // Overwrite
        QVERIFY(set->save());
        QVERIFY(!contents(path).contains("another program"));
    }

    void refusesWhatTheFormCannotHold()
    {
        const QString path = copy("hero-walk.inc");
        const QByteArray original = contents(path);
        window_->openFile(path);
        SpriteSetWindow* set = window_->spriteSetWindow();
        document().pressCell(cellOf(0, 0), Ink::DarkGrey);
        QVERIFY(!set->save());
        QCOMPARE(platform_->messages.size(), 1);
        QVERIFY2(platform_->messages[0].text.contains("hero_walk_0 cannot be written back"),
                 qPrintable(platform_->messages[0].text));
        QCOMPARE(contents(path), original);
        QVERIFY(set->isWindowModified());
    }

    void newDuplicateAndDeleteUndone()
    {
        const QString path = copy("hero-walk.inc");
        window_->openFile(path);
        SpriteSetWindow* set = window_->spriteSetWindow();
        platform_->textAnswers.push_back(QStringLiteral("hero_jump"));
        set->findChild<QPushButton*>(QStringLiteral("newSprite"))->click();
        QCOMPARE(set->set().size(), std::size_t(4));
        QCOMPARE(set->chosen(), 1);
        QCOMPARE(inkRowsOf(document().pixels()), QStringList(8, "........"));
        QVERIFY(set->isWindowModified());
        // A label the file has is refused with the reason.
        platform_->textAnswers.push_back(QStringLiteral("hero_walk_2"));
        set->duplicateSprite();
        QCOMPARE(set->set().size(), std::size_t(4));
        QVERIFY(platform_->messages.value(0).text.contains("is already in the file"));
        // Delete (the Delete key in the list) asks first.
        set->deleteSprite();
        QCOMPARE(set->set().size(), std::size_t(4));
        QCOMPARE(platform_->questions.size(), 1);
        platform_->choiceAnswers.push_back(0);
        activate(set);
        set->spriteList()->setFocus();
        QTest::keyClick(set->spriteList(), Qt::Key_Delete);
        QCOMPARE(set->set().size(), std::size_t(3));
        activate(set);
        QTest::keyClick(set, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(set->set().size(), std::size_t(4));
        QTest::keyClick(set, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(set->set().size(), std::size_t(3));
        QVERIFY(!set->isWindowModified());
        QTest::keyClick(set, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(set->set().size(), std::size_t(4));
        QVERIFY(set->save());
        QVERIFY(contents(path).contains("hero_jump:\n\t.db\t%00000000\t; head\n"));
    }

    // Undo of a set change never loses an edit nor hands one to a new sprite.
    void setUndoKeepsEachSpritesEdits()
    {
        const QString path = copy("hero-walk.inc");
        window_->openFile(path);
        SpriteSetWindow* set = window_->spriteSetWindow();
        document().clickCell(cellOf(0, 0)); // hero_walk_0's first row: %10111100
        platform_->textAnswers.push_back(QStringLiteral("hero_copy"));
        set->duplicateSprite();
        QVERIFY(set->save());
        QVERIFY(contents(path).contains("hero_walk_0:\n\t.db\t%10111100\t; head"));
        set->undoSetChange();
        QVERIFY(set->isWindowModified()); // the file has the copy; the set has not
        QVERIFY(set->save());
        const QByteArray saved = contents(path);
        QVERIFY(!saved.contains("hero_copy"));
        QVERIFY(saved.contains("hero_walk_0:\n\t.db\t%10111100\t; head"));

        // A copy drawn on, then taken back: a new sprite is blank.
        platform_->textAnswers.push_back(QStringLiteral("hero_copy"));
        set->duplicateSprite();
        document().FillBlack();
        set->undoSetChange();
        QVERIFY(!set->isWindowModified());
        platform_->textAnswers.push_back(QStringLiteral("hero_new"));
        set->newSprite();
        QCOMPARE(inkRowsOf(document().pixels()), QStringList(8, "........"));
        QCOMPARE(inkRowsOf(*set->pixelsOf(set->chosen())), QStringList(8, "........"));
    }

    void revertAndOpenAskFirst()
    {
        const QString path = copy("hero-walk.inc");
        window_->openFile(path);
        SpriteSetWindow* set = window_->spriteSetWindow();
        const QStringList first = inkRowsOf(document().pixels());
        document().clickCell(cellOf(0, 0));
        set->revert(); // Cancel
        QCOMPARE(platform_->questions.size(), 1);
        QVERIFY(set->isWindowModified());
        platform_->choiceAnswers.push_back(1); // Discard
        set->revert();
        QVERIFY(!set->isWindowModified());
        QCOMPARE(inkRowsOf(document().pixels()), first);
        // Another set: asked again; Cancel keeps the open one.
        document().clickCell(cellOf(0, 0));
        window_->openFile(copy("castle-tiles.asm"));
        QCOMPARE(set->path(), path);
        platform_->choiceAnswers.push_back(0); // Save
        window_->openFile(copy("castle-tiles.asm"));
        QVERIFY(set->path().endsWith("castle-tiles.asm"));
        QVERIFY(contents(path) != contents(QFINDTESTDATA("../../tests/data/sets/hero-walk.inc")));
    }

    void aSpriteWiderThanTheGridIsListedOnly()
    {
        window_->openFile(copy("boss-wide.asm"));
        SpriteSetWindow* set = window_->spriteSetWindow();
        QCOMPARE(set->spriteList()->item(2)->text(),
                 QStringLiteral("banner\n16 x 4: wider than the grid, line 20"));
        // 16 wide with its last column clear: on the grid at 15.
        QCOMPARE(document().grid().width(), 15);
        const QStringList shown = inkRowsOf(document().pixels());
        set->choose(2);
        QCOMPARE(inkRowsOf(document().pixels()), shown);
        document().clickCell(cellOf(0, 0));
        QVERIFY(!set->isWindowModified());
    }

    void playsFramesOnTheScreen()
    {
        window_->openFile(copy("hero-walk.inc"));
        SpriteSetWindow* set = window_->spriteSetWindow();
        set->spriteList()->item(0)->setSelected(true);
        set->spriteList()->item(2)->setSelected(true);
        set->setFramesPerSecond(30);
        set->findChild<QPushButton*>(QStringLiteral("playSprites"))->click();
        QVERIFY(set->isPlaying());
        QCOMPARE(set->playedSprites(), (std::vector<int>{0, 2}));
        ScreenWindow* screen = window_->screenWindow();
        QVERIFY(screen && screen->isVisible());
        QVERIFY(screen->shownFrame());
        QCOMPARE(inkRowsOf(*screen->shownFrame()), inkRowsOf(*set->pixelsOf(0)));
        QTRY_COMPARE(inkRowsOf(*screen->shownFrame()), inkRowsOf(*set->pixelsOf(2)));
        set->stop();
        QVERIFY(!set->isPlaying());
        QVERIFY(!screen->shownFrame());
    }

private:
    static void activate(QWidget* window)
    {
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
    }

    SpriteDocument& document() { return window_->document(); }

    // The grid's index of a cell of the active block, from its top left.
    int cellOf(int column, int row)
    {
        const SpriteGrid& grid = document().grid();
        return SpriteGrid::indexOf(grid.rowPosition() + row, grid.columnPosition() + column);
    }

    QString copy(const QString& name)
    {
        const QString path = dir_.filePath(name);
        QFile::remove(path);
        write(path, contents(QFINDTESTDATA("../../tests/data/sets/" + name)));
        return path;
    }
    static QByteArray contents(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static void write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    QTemporaryDir dir_;
    std::unique_ptr<ScriptedPlatform> platform_;
    std::unique_ptr<MainWindow> window_;
};

QTEST_MAIN(SpriteSetWindowTest)
#include "tst_spritesetwindow.moc"
