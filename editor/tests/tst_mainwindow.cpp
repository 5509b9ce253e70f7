#include "editor/codebox.h"
#include "editor/gridview.h"
#include "editor/mainwindow.h"
#include "platform/fileaccess.h"
#include "platform/scriptedplatform.h"
#include "tests/support/controlplaces.h"
#include "tests/support/spritepatterns.h"
#include "tests/support/testfiles.h"

#include <QtTest>
#include <QtWidgets>

using namespace quillox;

namespace
{

// Records each new value a progress bar paints.
struct PaintedValues : QObject {
    QList<int> values;
    bool eventFilter(QObject* bar, QEvent* event) override
    {
        const int value = static_cast<QProgressBar*>(bar)->value();
        if (event->type() == QEvent::Paint && (values.isEmpty() || values.last() != value))
            values << value;
        return false;
    }
};

QPoint centre(int row, int column)
{
    return GridView::cellRect(SpriteGrid::indexOf(row, column)).center();
}

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { window.reset(); }
    void init()
    {
        window.reset();
        platform = std::make_unique<ScriptedPlatform>();
        platform->time = QTime(14, 5, 9, 250);
        window = std::make_unique<MainWindow>(*platform);
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }

    void controlsHintsAndClock()
    {
        verifyPlaces(window.get(), window->centralWidget(),
                     {{"client", 0, 0, 8040, 5580},
                      {"Label1", 1560, 0, 1935, 375, "8 x 8"},
                      {"Shape1", 240, 360, 3615, 3615},
                      {"Frame1", 4440, 120, 3375, 4215, "   &Code     "},
                      {"source", 4560, 480, 3135, 3135},
                      {"Command6", 4680, 3720, 615, 495, "&Print"},
                      {"Frame2", 240, 4440, 1965, 870, "&Sprite  Options"},
                      {"Command9", 360, 4785, 570, 405, "&Save"},
                      {"ProgressBar1", 4560, 4680, 3135, 255},
                      {"Panel2", 5000, 5325, 3000, 255, "               Time: 14:05:09"}});
        // Buttons inside the captioned frames keep the application's font.
        for (const char* button : {"Command6", "Command9"})
            QCOMPARE(child(button)->font(), QApplication::font());
        const QFont size = child("Label1")->font();
        QCOMPARE(size.family(), QStringLiteral("Arial"));
        QCOMPARE(size.pointSizeF(), 14.25);
        QVERIFY(size.bold());
        QVERIFY(size.underline());
        for (const char* frame : {"Frame1", "Frame2"})
            QCOMPARE(child(frame)->font(), QFont("MS Sans Serif", 12));
        QCOMPARE(child<CodeBox>("source")->backgroundColour(), QColor(0, 192, 192));
        QVERIFY(!(window->windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(window->objectName(), QStringLiteral("progg"));

        // Pointing at a button shows its hint; a frame's bare area clears it;
        // other controls keep it.
        const struct {
            const char* control;
            QPoint at;
            const char* hint;
        } moves[] = {{"Command10", {2, 2}, "Open a saved sprite."},
                     {"Frame2", {3, 40}, ""},
                     {"Command6", {2, 2}, "Print the code."},
                     {"source", {50, 50}, "Print the code."},
                     {"Frame1", {3, 200}, ""},
                     {"Command8", {2, 2}, "Save the code as a z80-file."}};
        for (const auto& move : moves) {
            QTest::mouseMove(child(move.control), move.at);
            QCOMPARE(child<QLabel>("Panel1")->text(), QString::fromLatin1(move.hint));
        }
        // The clock wakes at each second boundary.
        auto* clock = child<QTimer>("Timer1");
        QVERIFY(clock->isActive());
        QVERIFY(clock->isSingleShot());
        QCOMPARE(clock->timerType(), Qt::PreciseTimer);
        QCOMPARE(clock->interval(), 750);
    }

    // The menu bar as a user finds it: each menu's captions in order, "-" for
    // a separator, a shortcut after a tab as the menu shows it.
    void menus_data()
    {
        QTest::addColumn<QStringList>("menu");  // the captions that open it
        QTest::addColumn<QStringList>("names"); // the menu's, then its separators'
        QTest::addColumn<QStringList>("items");
        QTest::newRow("menu bar") << QStringList() << QStringList()
                                  << QStringList{"&File", "&Options", "&Help"};
        QTest::newRow("File")
            << QStringList{"&File"} << QStringList{"sdfgsd", "gg", "fdd"}
            << QStringList{"&Open Sprite...", "&Save Sprite As...", "-", "&Print Code", "-",
                           "&Exit\tCtrl+Q"};
        QTest::newRow("Options") << QStringList{"&Options"} << QStringList{"dfsf"}
                                 << QStringList{"&Clear Sprite", "C&odeText Background color",
                                                "&Effects"};
        QTest::newRow("Effects") << QStringList{"&Options", "&Effects"} << QStringList{"gh"}
                                 << QStringList{"&Invert\tCtrl+I", "&Fill Black\tCtrl+B"};
        QTest::newRow("Help") << QStringList{"&Help"} << QStringList{"asdas"}
                              << QStringList{"&About Sprites", "A&bout"};
    }

    void menus()
    {
        QFETCH(QStringList, menu);
        QFETCH(QStringList, names);
        QFETCH(QStringList, items);
        QStringList seenNames;
        QList<QAction*> entries = window->menuBar()->actions();
        for (const QString& caption : menu) {
            QAction* opener = captioned(entries, caption);
            QVERIFY2(opener, qPrintable(caption));
            QVERIFY2(opener->menu(), qPrintable(caption));
            seenNames = {opener->menu()->objectName()};
            entries = opener->menu()->actions();
        }
        QStringList captions;
        for (QAction* entry : entries) {
            if (entry->isSeparator())
                seenNames << entry->objectName();
            const QString keys = entry->shortcut().toString();
            captions << (entry->isSeparator() ? QStringLiteral("-")
                         : keys.isEmpty()     ? entry->text()
                                              : entry->text() + '\t' + keys);
        }
        QCOMPARE(captions, items);
        QCOMPARE(seenNames, names);
    }

    // Each menu item runs its command, on a 3 x 2 sprite with its top-left
    // cell black. The file dialogs answer a.spr, which holds rows 101 and 010;
    // the printing question is cancelled; the colour dialog answers dark red.
    void menuItemsRunTheirCommands_data()
    {
        QTest::addColumn<QStringList>("item"); // the captions that lead to it
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("effects");
        QTest::newRow("Open Sprite")
            << QStringList{"&File", "&Open Sprite..."} << "open"
            << QStringList{"open dialog \"Open Sprite\"", "sprite 101 010"};
        QTest::newRow("Save Sprite As") << QStringList{"&File", "&Save Sprite As..."} << "saveas"
                                        << QStringList{"save dialog \"Save Sprite as *.spr\"",
                                                       "a.spr holds \"0203100000\r\n\""};
        QTest::newRow("Print Code") << QStringList{"&File", "&Print Code"} << "sada"
                                    << QStringList{"message \"Quillox - Printing...\""};
        QTest::newRow("Exit") << QStringList{"&File", "&Exit"} << "sdfdsf"
                              << QStringList{"program ends by Exit"};
        QTest::newRow("Clear Sprite") << QStringList{"&Options", "&Clear Sprite"} << "dsfdsfsdf"
                                      << QStringList{"sprite 000 000"};
        QTest::newRow("CodeText Background color")
            << QStringList{"&Options", "C&odeText Background color"} << "sdsdsdsd"
            << QStringList{"colour dialog", "code box " + QColor(Qt::darkRed).name()};
        QTest::newRow("Invert") << QStringList{"&Options", "&Effects", "&Invert"} << "sfdsf"
                                << QStringList{"sprite 011 111"};
        QTest::newRow("Fill Black") << QStringList{"&Options", "&Effects", "&Fill Black"} << "erh"
                                    << QStringList{"sprite 111 111"};
        QTest::newRow("About Sprites")
            << QStringList{"&Help", "&About Sprites"} << "ds" << QStringList{"help asked for"};
        QTest::newRow("About") << QStringList{"&Help", "A&bout"} << "sa"
                               << QStringList{"about asked for"};
    }

    void menuItemsRunTheirCommands()
    {
        QFETCH(QStringList, item);
        QFETCH(QString, name);
        QFETCH(QStringList, effects);
        setSize(13, 14);
        window->document().clickCell(SpriteGrid::indexOf(14, 13));
        const QStringList before = block();
        QTemporaryDir dir;
        const QByteArray file("0203101010\r\n");
        platform->fileAnswers = {writeFile(dir.filePath("a.spr"), file)};
        platform->messageAnswers = {MessageResult::Cancel};
        platform->colourAnswers = {QColor(Qt::darkRed)};
        auto* box = child<CodeBox>("source");
        const QColor background = box->backgroundColour();
        QSignalSpy help(window.get(), &MainWindow::helpRequested);
        QSignalSpy about(window.get(), &MainWindow::aboutRequested);
        QSignalSpy ending(window.get(), &MainWindow::programEnding);

        QList<QAction*> entries = window->menuBar()->actions();
        QAction* chosen = nullptr;
        for (const QString& caption : item) {
            chosen = captioned(entries, caption);
            QVERIFY2(chosen, qPrintable(caption));
            if (chosen->menu())
                entries = chosen->menu()->actions();
        }
        QCOMPARE(chosen->objectName(), name);
        chosen->trigger();

        QStringList seen;
        for (const FileDialogRequest& request : platform->openRequests)
            seen << "open dialog \"" + request.title + '"';
        for (const FileDialogRequest& request : platform->saveRequests)
            seen << "save dialog \"" + request.title + '"';
        if (const QByteArray now = contents(dir.filePath("a.spr")); now != file)
            seen << "a.spr holds \"" + QString::fromLatin1(now) + '"';
        for (const ScriptedPlatform::Message& message : platform->messages)
            seen << "message \"" + message.title + '"';
        for (int i = 0; i < platform->printerRequests; ++i)
            seen << "printer";
        for (int i = 0; i < platform->colourRequests; ++i)
            seen << "colour dialog";
        if (box->backgroundColour() != background)
            seen << "code box " + box->backgroundColour().name();
        if (block() != before)
            seen << "sprite " + block().join(' ');
        for (const QList<QVariant>& end : ending)
            seen << (end.value(0).toBool() ? "program ends by Exit" : "program ends");
        for (int i = 0; i < help.count(); ++i)
            seen << "help asked for";
        for (int i = 0; i < about.count(); ++i)
            seen << "about asked for";
        QCOMPARE(seen, effects);
        QCOMPARE(code(), codeOf(block()));
    }

    void commandRoutesAndExit()
    {
        // The buttons and the shortcuts the menus do not show run the menus'
        // commands: open, save the sprite, print, help; and the code's save and copy.
        platform->messageAnswers.assign(2, MessageResult::Cancel);
        QSignalSpy help(window.get(), &MainWindow::helpRequested);
        for (const char* button : {"Command10", "Command9", "Command6", "Command8", "Command7"})
            QTest::mouseClick(child(button), Qt::LeftButton);
        for (const char* keys : {"Ctrl+O", "Ctrl+S", "Ctrl+P", "F1"})
            QTest::keySequence(window.get(), QKeySequence(QString::fromLatin1(keys)));
        QStringList opens;
        for (const FileDialogRequest& request : platform->openRequests)
            opens << request.title;
        QCOMPARE(opens, QStringList({"Open Sprite", "Open Sprite"}));
        QStringList saves;
        for (const FileDialogRequest& request : platform->saveRequests)
            saves << request.title;
        QCOMPARE(saves, QStringList({"Save Sprite as *.spr", "Save code as *.z80",
                                     "Save Sprite as *.spr"}));
        QStringList messages;
        for (const ScriptedPlatform::Message& message : platform->messages)
            messages << message.title;
        QCOMPARE(messages, QStringList(2, QStringLiteral("Quillox - Printing...")));
        QCOMPARE(help.count(), 1);
        QCOMPARE(platform->clipboardTexts, QStringList{code()});

        // Ctrl+Q ends through Exit, closing the window without it, once.
        QSignalSpy exiting(window.get(), &MainWindow::programEnding);
        QTest::keyClick(window.get(), Qt::Key_Q, Qt::ControlModifier);
        window->close();
        init();
        QSignalSpy closing(window.get(), &MainWindow::programEnding);
        window->close();
        QCOMPARE(exiting, QList<QVariantList>({{true}}));
        QCOMPARE(closing, QList<QVariantList>({{false}}));
    }

    void sizesAndRefreshes()
    {
        QCOMPARE(code(), codeOf(QStringList(8, "00000000")));
        auto* bar = child<QProgressBar>("ProgressBar1");
        QCOMPARE(bar->minimum(), 1);
        QCOMPARE(bar->maximum(), 226);
        QCOMPARE(bar->value(), 1);
        window->document().clickCell(SpriteGrid::indexOf(8, 8));
        setSize(13, 6);
        QCOMPARE(label(), QStringLiteral("10 x 3"));
        QCOMPARE(code(), codeOf(QStringList(10, "000")));
        // Colours outside a smaller size come back with it.
        setSize(8, 8);
        QCOMPARE(block().first(), QStringLiteral("10000000"));

        // Each slider position refreshes once, while dragged too; the window's
        // own position or one outside 1..15 none. The row slider's up key grows it.
        QStringList seen;
        connect(window.get(), &MainWindow::sizeRefreshed, this, [&] { seen << label(); });
        setSize(8, 8);
        slider("Slider1")->setSliderDown(true);
        for (int position : {7, 6, 7})
            slider("Slider1")->setSliderPosition(position);
        slider("Slider1")->setSliderDown(false);
        window->document().setColumnSliderPosition(0);
        window->document().setRowSliderPosition(16);
        QTest::keyClick(slider("Slider2"), Qt::Key_Up);
        QCOMPARE(seen, QStringList({"8 x 9", "8 x 10", "8 x 9", "9 x 9"}));
    }

    void commands_data()
    {
        // Each command on a 3 x 2 sprite with one black cell, and cell 1 black
        // outside it; New and the effects show their progress cell by cell.
        QTest::addColumn<QString>("command"); // keys, or the menu item
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<bool>("outsideKept");
        QTest::addColumn<bool>("progress");
        QTest::newRow("New") << "Ctrl+N" << QStringList(8, "00000000") << false << true;
        QTest::newRow("Clear") << "dsfdsfsdf" << QStringList{"000", "000"} << false << false;
        QTest::newRow("Invert") << "Ctrl+I" << QStringList{"011", "111"} << true << true;
        QTest::newRow("Fill Black") << "Ctrl+B" << QStringList{"111", "111"} << true << true;
    }

    void commands()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, after);
        QFETCH(bool, outsideKept);
        QFETCH(bool, progress);
        setSize(13, 14);
        window->document().clickCell(SpriteGrid::indexOf(14, 13));
        window->document().clickCell(1);
        PaintedValues painted;
        child("ProgressBar1")->installEventFilter(&painted);
        if (QAction* item = action(command.toLatin1()))
            item->trigger();
        else
            QTest::keySequence(window.get(), QKeySequence(command));
        QCOMPARE(block(), after);
        QCOMPARE(window->document().grid().colour(1), outsideKept ? Black : White);
        QCOMPARE(label(), QStringLiteral("%1 x %2").arg(after.size()).arg(after[0].size()));
        QCOMPARE(code(), codeOf(after));
        QList<int> expected;
        for (int i = 1; progress && i <= 225; ++i)
            expected << i;
        QCOMPARE(painted.values, progress ? expected << 1 : expected);
    }

    void clicksKeysAndAccessibility()
    {
        QTest::mouseClick(view(), Qt::LeftButton, {}, centre(11, 12));
        QCOMPARE(code().count('1'), 1);
        QCOMPARE(block()[3], QStringLiteral("00001000"));
        QTest::qWait(QApplication::doubleClickInterval() + 50);
        QTest::mouseClick(view(), Qt::LeftButton, {}, centre(11, 12));
        // Hidden cells and the right button change nothing.
        for (QPoint at : {centre(1, 1), centre(15, 7)})
            QTest::mouseClick(view(), Qt::LeftButton, {}, at);
        QTest::mouseClick(view(), Qt::RightButton, {}, centre(15, 15));
        QCOMPARE(stateOf(window->document().grid()), stateOf(SpriteGrid()));
        // The window system turns a quick second press into a double click: on
        // another cell it toggles that cell, on the same cell nothing.
        QTest::qWait(QApplication::doubleClickInterval() + 50);
        QTest::mouseClick(view(), Qt::LeftButton, {}, centre(15, 14));
        for (int twice = 0; twice < 2; ++twice) {
            QTest::mouseDClick(view(), Qt::LeftButton, {}, centre(15, 15));
            QTest::mouseRelease(view(), Qt::LeftButton, {}, centre(15, 15));
        }
        QCOMPARE(block().last(), QStringLiteral("00000011"));

        // The keys move a mark, shown only once they are used, and toggle its cell.
        const auto marked = [this] {
            const QPoint markPixel = GridView::cellRect(225).topLeft() + QPoint(2, 8);
            return view()->grab().toImage().pixelColor(markPixel) ==
                   view()->palette().color(QPalette::Highlight);
        };
        view()->setFocus(Qt::MouseFocusReason);
        QVERIFY(!marked());
        QTest::keyClick(view(), Qt::Key_Right);
        QVERIFY(marked());
        slider("Slider1")->setFocus();
        QVERIFY(!marked());
        for (int i = 0; i < 40; ++i) // to the top left corner and beyond
            QTest::keyClick(view(), i % 2 ? Qt::Key_Up : Qt::Key_Left);
        QTest::keyClick(view(), Qt::Key_Right);
        QTest::keyClick(view(), Qt::Key_Space);
        QCOMPARE(block().first(), QStringLiteral("01000000"));

        // The grid as a table of cells for accessibility tools.
        QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(view());
        QAccessibleInterface* first = grid->child(0);
        QCOMPARE(grid->role(), QAccessible::Table);
        QCOMPARE(first->role(), QAccessible::Cell);
        QCOMPARE(first->text(QAccessible::Name), QStringLiteral("Row 8, column 8"));
        window->document().clickCell(SpriteGrid::indexOf(8, 8));
        QVERIFY(first->state().checked);
        QCOMPARE(first->text(QAccessible::Value), QStringLiteral("black"));
        QAccessibleTableCellInterface* cell = first->tableCellInterface();
        QCOMPARE(cell->rowIndex(), 7);
        QCOMPARE(cell->columnIndex(), 7);
        QCOMPARE(grid->indexOfChild(first), 0);
        QCOMPARE(grid->child(63)->text(QAccessible::Name), QStringLiteral("Row 15, column 15"));
        setSize(13, 14);
        QCOMPARE(grid->childCount(), 6);
        QCOMPARE(grid->child(0)->text(QAccessible::Name), QStringLiteral("Row 14, column 13"));
        QVERIFY(!first->isValid());
    }

    void dragPaintsTheFirstCellsColour()
    {
        window->document().clickCell(SpriteGrid::indexOf(15, 10));
        QTest::mousePress(view(), Qt::LeftButton, {}, centre(15, 8));
        // One move across the row: the cells on the way are visited too.
        QTest::mouseMove(view(), centre(15, 15));
        QTest::mouseRelease(view(), Qt::LeftButton, {}, centre(15, 15));
        QCOMPARE(code().section(QStringLiteral("\r\n"), 7), QStringLiteral("\t.db\t%11111111"));
        // A stroke from a black cell paints white, over shown cells only.
        QTest::mousePress(view(), Qt::LeftButton, {}, centre(15, 9));
        QTest::mouseMove(view(), centre(14, 9));
        QTest::mouseMove(view(), centre(14, 1));
        QTest::mouseRelease(view(), Qt::LeftButton, {}, centre(14, 1));
        QCOMPARE(block().mid(6), QStringList({"00000000", "10111111"}));
        QTest::mouseClick(view(), Qt::LeftButton, {}, centre(8, 8));
        // Each stroke and the click is one step.
        window->document().undo();
        window->document().undo();
        QCOMPARE(block().mid(6), QStringList({"00000000", "11111111"}));
        window->document().undo();
        QCOMPARE(block().last(), QStringLiteral("00100000"));
    }

    void undoAndRedoRetraceEveryKindOfStep()
    {
        QTemporaryDir dir;
        platform->fileAnswers.push_back(writeFile(dir.filePath("a.spr"), "0203101010\r\n"));
        platform->clipboard = QStringLiteral(".db $A0\n.db $0F");
        const std::function<void()> steps[] = {
            [&] { window->document().clickCell(225); },
            [&] { slider("Slider1")->setValue(5); },
            [&] { window->document().Invert(); },
            [&] { window->document().transform(SpriteTransform::ShiftLeft); },
            [&] { window->document().FillBlack(); },
            [&] { window->document().ClearSprite(); },
            [&] { window->openSprite(); },
            [&] { child<QAction>("pasteCode")->trigger(); },
            [&] { window->document().NewSprite(); },
        };
        using Shown = std::tuple<SpriteState, QString, QString>;
        const auto shown = [&] {
            return Shown{stateOf(window->document().grid()), label(), code()};
        };
        QList<Shown> states{shown()};
        for (const auto& step : steps) {
            step();
            QVERIFY(shown() != states.last());
            states << shown();
        }
        for (qsizetype i = states.size() - 2; i >= 0; --i) {
            window->document().undo();
            QVERIFY2(shown() == states[i], qPrintable(QString::number(i)));
        }
        QVERIFY(!action("undo")->isEnabled());
        for (qsizetype i = 1; i < states.size(); ++i) {
            QTest::keyClick(window.get(), Qt::Key_Y, Qt::ControlModifier);
            QVERIFY2(shown() == states[i], qPrintable(QString::number(i)));
        }
        // A command that changes nothing is no step.
        window->document().NewSprite();
        QCOMPARE(window->document().history().undoCount(), std::size(steps));
        // A slider drag is one step, however many positions it passes.
        slider("Slider2")->setSliderDown(true);
        for (int position : {7, 3, 1})
            slider("Slider2")->setSliderPosition(position);
        slider("Slider2")->setSliderDown(false);
        QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(label(), QStringLiteral("8 x 8"));
    }

    void gridMenuPastesAndCopies()
    {
        // Assembler-ready copies from the code box's menu; a selection as the box holds it.
        setSize(4, 14);
        for (int column : {4, 6, 15})
            window->document().clickCell(SpriteGrid::indexOf(14, column));
        auto* box = child<CodeBox>("source");
        std::unique_ptr<QMenu> menu(box->createContextMenu());
        const QList<QAction*> items = menu->actions();
        for (const char* name : {"copyAssemblerBytes", "copyHexBytes", "copyAxeHex", "copyCArray",
                                 "saveAssemblerBytes"})
            QVERIFY(items.contains(action(name)));
        QVERIFY(items.contains(child<QMenu>("byteStyleMenu")->menuAction()));
        // The copies end with one CR LF and follow the directive and radix
        // chosen, as the byte save does, under a label from its file's name.
        QTemporaryDir dir;
        platform->fileAnswers.push_back(dir.filePath("end.z80"));
        for (const char* choice : {"", "defb", "hexC", ".byte", "decimal"}) {
            if (*choice)
                action(choice)->trigger();
            action("copyAssemblerBytes")->trigger();
        }
        action("copyHexBytes")->trigger();
        action("saveAssemblerBytes")->trigger();
        action("copyAxeHex")->trigger();
        action("copyCArray")->trigger();
        QCOMPARE(platform->clipboardTexts,
                 QStringList({"\t.db\t%10100000,%00010000\r\n\t.db\t%00000000,%00000000\r\n",
                              "\tdefb\t%10100000,%00010000\r\n\tdefb\t%00000000,%00000000\r\n",
                              "\tdefb\t0xA0,0x10\r\n\tdefb\t0x00,0x00\r\n",
                              "\t.byte\t0xA0,0x10\r\n\t.byte\t0x00,0x00\r\n",
                              "\t.byte\t160,16\r\n\t.byte\t0,0\r\n",
                              "\t.byte\t$A0,$10\r\n\t.byte\t$00,$00\r\n", "[A0100000]\r\n",
                              "const unsigned char sprite[] = {\r\n    0xA0, 0x10,\r\n"
                              "    0x00, 0x00\r\n};\r\n"}));
        QCOMPARE(contents(dir.filePath("end.z80")), "_end:\r\n\t.byte\t160,16\r\n\t.byte\t0,0\r\n");
        // A selection copies as the code box holds it, with CR LF.
        box->selectAll();
        box->copy();
        QCOMPARE(QApplication::clipboard()->text(), codeOf({"101000000001", "000000000000"}));
        QString texts;
        for (QAction* a : child<QMenu>("gridMenu")->actions())
            texts += (a->isSeparator() ? "-" : a->text().remove('&')) + "|";
        QCOMPARE(texts,
                 QStringLiteral("Undo|Redo|-|Flip Horizontal|Flip Vertical|Rotate 90\u00B0|-|"
                                "Shift Left|Shift Right|Shift Up|Shift Down|-|Paste Code|"
                                "Open Picture or Code...|-|Ink|Invert Grey Levels|"
                                "Save as Picture...|-|Calculator Screen|Sprite Set|"));
        // Within each menu Quillox adds, no two items share an access key.
        for (QMenu* added : {child<QMenu>("gridMenu"), child<QMenu>("byteStyleMenu"),
                             child<QMenu>("inkMenu"), child<QMenu>("maskMenu")}) {
            QStringList keys;
            for (QAction* a : added->actions())
                if (const int amp = a->text().indexOf('&'); amp >= 0)
                    keys << a->text().mid(amp + 1, 1).toLower();
            QCOMPARE(QSet<QString>(keys.begin(), keys.end()).size(), keys.size());
        }
        setSize(13, 14);
        window->document().clickCell(1);
        QVERIFY(!action("rotate")->isEnabled());
        action("flipHorizontal")->trigger();
        QCOMPARE(code(), codeOf({"100", "000"}));
        QCOMPARE(window->document().grid().colour(1), Black);
        setSize(13, 13);
        QVERIFY(action("rotate")->isEnabled());
        action("rotate")->trigger();
        QCOMPARE(block(), QStringList({"010", "000", "000"}));
        // Ctrl+V on the grid pastes too: with no sprite on the clipboard it says so.
        view()->setFocus();
        platform->clipboard = QStringLiteral("ld a,(hl)");
        QTest::keyClick(view(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(platform->messages.size(), 1);
    }

    // The inks from the grid's menu and Ctrl+1 to Ctrl+4: presses, strokes,
    // the pointer, the cells' names; Invert Grey Levels; Save as Picture
    // with its own dialog.
    void inksFromTheMenuAndTheKeys()
    {
        QCOMPARE(view()->ink(), Ink::Black);
        QVERIFY(action("inkBlack")->isChecked());
        const QImage blackPointer = view()->cursor().pixmap().toImage();
        // The pointer's swatch, below and right of its hot spot, is the ink.
        const QPoint swatch = view()->cursor().hotSpot() + QPoint(6, 6);
        QCOMPARE(blackPointer.pixel(swatch) & 0xFFFFFF, 0x000000u);
        QTest::keyClick(window.get(), Qt::Key_2, Qt::ControlModifier);
        QVERIFY(action("inkDarkGrey")->isChecked());
        QVERIFY(view()->cursor().pixmap().toImage() != blackPointer);
        QCOMPARE(view()->cursor().pixmap().toImage().pixel(swatch) & 0xFFFFFF, 0x555555u);
        // A stroke of dark grey over the bottom row, one undo step.
        QTest::mousePress(view(), Qt::LeftButton, {}, centre(15, 8));
        QTest::mouseMove(view(), centre(15, 12));
        QTest::mouseRelease(view(), Qt::LeftButton, {}, centre(15, 12));
        QCOMPARE(inkRowsOf(window->document().pixels()).last(), QStringLiteral("DDDDD..."));
        QCOMPARE(block().last(), QStringLiteral("11111000"));
        action("inkTransparent")->trigger();
        QTest::mouseClick(view(), Qt::LeftButton, {}, centre(15, 9));
        QTest::keyClick(window.get(), Qt::Key_3, Qt::ControlModifier);
        QTest::mouseClick(view(), Qt::LeftButton, {}, centre(15, 15));
        QCOMPARE(inkRowsOf(window->document().pixels()).last(), QStringLiteral("DTDDD..L"));
        QCOMPARE(code().section(QStringLiteral("\r\n"), 7), QStringLiteral("\t.db\t%10111001"));
        QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(view());
        QCOMPARE(grid->child(57)->text(QAccessible::Name),
                 QStringLiteral("Row 15, column 9, transparent"));
        QCOMPARE(grid->child(56)->text(QAccessible::Value), QStringLiteral("dark grey"));
        QCOMPARE(grid->child(58)->text(QAccessible::Name),
                 QStringLiteral("Row 15, column 10, dark grey"));
        QCOMPARE(grid->child(0)->text(QAccessible::Name), QStringLiteral("Row 8, column 8"));
        action("invertGreyLevels")->trigger();
        QCOMPARE(inkRowsOf(window->document().pixels()).last(), QStringLiteral("LTLLLBBD"));
        QCOMPARE(inkRowsOf(window->document().pixels()).first(), QStringLiteral("BBBBBBBB"));
        QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(inkRowsOf(window->document().pixels()).last(), QStringLiteral("DTDDD..L"));
        // Back to black: the press is the click again.
        QTest::keyClick(window.get(), Qt::Key_1, Qt::ControlModifier);
        QTest::mouseClick(view(), Qt::LeftButton, {}, centre(15, 8));
        QCOMPARE(inkRowsOf(window->document().pixels()).last(), QStringLiteral(".TDDD..L"));

        // Save as Picture: its own dialog, the sprite's inks in a PNG.
        QTemporaryDir dir;
        const QString path = dir.filePath("grey.png");
        platform->fileAnswers.push_back(path);
        action("savePicture")->trigger();
        QCOMPARE(platform->saveRequests.value(0).defaultSuffix, QStringLiteral("png"));
        QCOMPARE(window->commonDialog1().fileName, QString());
        const QImage saved(path);
        QCOMPARE(saved.size(), QSize(8, 8));
        QCOMPARE(saved.pixel(0, 7), qRgb(0xFF, 0xFF, 0xFF));
        QCOMPARE(qAlpha(saved.pixel(1, 7)), 0);
        QCOMPARE(saved.pixel(2, 7), qRgb(0x55, 0x55, 0x55));
        QCOMPARE(saved.pixel(7, 7), qRgb(0xAA, 0xAA, 0xAA));
        // ...which opens as the same cells.
        window->document().NewSprite();
        window->openFile(path);
        QCOMPARE(inkRowsOf(window->document().pixels()).last(), QStringLiteral(".TDDD..L"));
    }

    // Each ink as the grid draws it: the greys in their colours, transparency
    // as a checkerboard of two tones that no white cell shows, at a device
    // pixel ratio of 1 and of 2.
    void inksAsTheGridDrawsThem()
    {
        window->document().takeSprite(inkedPixelsOf({"BDLT."}));
        const QImage grid = view()->grab().toImage();
        const auto colourAt = [&grid](int column) {
            return grid.pixel(GridView::cellRect(SpriteGrid::indexOf(15, column)).center()) &
                   0xFFFFFF;
        };
        QCOMPARE(colourAt(11), 0x000000u);
        QCOMPARE(colourAt(12), 0x555555u);
        QCOMPARE(colourAt(13), 0xAAAAAAu);
        QCOMPARE(colourAt(15), 0xFFFFFFu);
        // The grid's last lines close the field on the right and at the bottom.
        const QRgb line = view()->palette().color(QPalette::Active, QPalette::WindowText).rgb();
        QCOMPARE(grid.pixel(240, 120), line);
        QCOMPARE(grid.pixel(120, 240), line);
        // Every cell is a focusable, checkable table cell.
        QAccessibleInterface* cells = QAccessible::queryAccessibleInterface(view());
        QVERIFY(cells->child(0)->state().focusable);
        QVERIFY(cells->child(0)->state().checkable);
        for (const qreal ratio : {1.0, 2.0}) {
            QImage cell(QSize(17, 17) * ratio, QImage::Format_RGB32);
            cell.setDevicePixelRatio(ratio);
            QPainter painter(&cell);
            GridView::paintInk(painter, QRect(0, 0, 17, 17), Ink::Transparent, White);
            painter.end();
            QSet<QRgb> tones;
            for (int y = 0; y < cell.height(); ++y)
                for (int x = 0; x < cell.width(); ++x)
                    tones << (cell.pixel(x, y) & 0xFFFFFF);
            QCOMPARE(tones.size(), 2);
            QVERIFY(!tones.contains(0xFFFFFF));
            QVERIFY(!tones.contains(0xAAAAAA));
        }
    }

    // A picture cut short is refused with the decoder's reason, the grid kept.
    void truncatedPictureIsRefused()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("cut.png");
        QImage image(12, 12, QImage::Format_RGB32);
        image.fill(Qt::black);
        QVERIFY(image.save(path));
        const QByteArray whole = contents(path);
        writeFile(path, whole.left(whole.size() - 20));
        const QStringList before = block();
        window->openFile(path);
        QCOMPARE(platform->messages.size(), 1);
        QVERIFY2(platform->messages[0].text.contains("the picture cannot be decoded"),
                 qPrintable(platform->messages[0].text));
        QCOMPARE(block(), before);
    }

    // A picture of at most four greys is read by their levels, any other by
    // the threshold; pixels of alpha below 128 are transparent cells.
    void picturesOfGreyKeepTheirLevels_data()
    {
        QTest::addColumn<QList<QRgb>>("colours");
        QTest::addColumn<QString>("cells");
        const QRgb clear = qRgba(0, 0, 0, 0);
        QTest::newRow("four greys") << QList<QRgb>{qRgb(0, 0, 0), qRgb(100, 100, 100),
                                                   qRgb(150, 150, 150), qRgb(255, 255, 255)}
                                    << "BDL.";
        QTest::newRow("greys at the edges of the levels")
            << QList<QRgb>{qRgb(42, 42, 42), qRgb(43, 43, 43), qRgb(212, 212, 212),
                           qRgb(213, 213, 213)}
            << "BDL.";
        QTest::newRow("grey and transparent")
            << QList<QRgb>{qRgb(170, 170, 170), clear, qRgba(9, 9, 9, 127), qRgb(0, 0, 0)}
            << "LTTB";
        QTest::newRow("five greys, by the threshold")
            << QList<QRgb>{qRgb(0, 0, 0), qRgb(100, 100, 100), qRgb(150, 150, 150),
                           qRgb(255, 255, 255), qRgb(127, 127, 127)}
            << "BB..B";
        QTest::newRow("a colour, by the threshold")
            << QList<QRgb>{qRgb(0, 0, 0), qRgb(100, 100, 100), qRgb(150, 150, 150), qRgb(200, 0, 0)}
            << "BB.B";
    }

    void picturesOfGreyKeepTheirLevels()
    {
        QFETCH(QList<QRgb>, colours);
        QFETCH(QString, cells);
        QImage image(int(colours.size()), 1, QImage::Format_ARGB32);
        for (int x = 0; x < colours.size(); ++x)
            image.setPixel(x, 0, colours[x]);
        QTemporaryDir dir;
        const QString path = dir.filePath("row.png");
        QVERIFY(image.save(path));
        window->openFile(path);
        QCOMPARE(platform->messages.size(), 0);
        QCOMPARE(inkRowsOf(window->document().pixels()), QStringList{cells});
    }

    void failingBuildKeepsPartialTextAndReports()
    {
        window->document().setCodeBuilder([](std::string& out, const SpriteGrid&) {
            out += "\t.db\t%01";
            throw std::runtime_error("cell colour unreadable");
        });
        window->document().GenerateSpriteCode();
        QCOMPARE(code(), QStringLiteral("\t.db\t%01"));
        const ScriptedPlatform::Message& message = platform->messages.value(0);
        QCOMPARE(message.text, QStringLiteral("Oh no! something is wrong,\nplease report the "
                                              "problem.\nError(s):\ncell colour unreadable"));
        QCOMPARE(message.title, QStringLiteral("Quillox"));
        QCOMPARE(message.icon, MessageIcon::Stop);
        QCOMPARE(message.buttons, MessageButtons::Ok);
    }

    void opensDroppedSpritesAndPictures()
    {
        QTemporaryDir dir;
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(writeFile(dir.filePath("s.spr"), "010210\r\n"))});
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        // Straight to the window: the application drops a drop that no drag began.
        static_cast<QObject*>(window.get())->event(&drop);
        QVERIFY(drop.isAccepted());
        QCOMPARE(code(), codeOf({"10"}));
        QCOMPARE(window->document().text2(), std::string("010210\r\n"));
        // A sprite file by its first digit, whatever its name, opened once.
        const std::size_t opened = fileaccess::filesOpenedForReading();
        window->openFile(writeFile(dir.filePath("sprite"), "0103010\r\n"));
        QCOMPARE(code(), codeOf({"010"}));
        QCOMPARE(fileaccess::filesOpenedForReading(), opened + 1);
        const QString png = writeFile(dir.filePath("p.png"), picture(3, 1, {qRgb(0, 0, 0)}));
        window->openFile(png);
        QCOMPARE(code(), codeOf({"100"}));
        // A wider canvas gives what is drawn on it, in one step.
        const auto steps = window->document().history().undoCount();
        QVector<QRgb> wide(32, 0);
        wide[2] = qRgb(0, 0, 0);
        wide[19] = qRgb(9, 9, 9);
        writeFile(png, picture(16, 2, wide));
        window->openFile(png);
        QCOMPARE(code(), codeOf({"10", "01"}));
        QCOMPARE(window->document().history().undoCount(), steps + 1);
        QVERIFY(platform->messages.isEmpty());
        QVector<QRgb> tooWide(16, 0);
        tooWide[0] = tooWide[15] = qRgb(0, 0, 0);
        writeFile(png, picture(16, 1, tooWide));
        window->openFile(png);
        QCOMPARE(code(), codeOf({"10", "01"}));
        const QString refusal = platform->messages.value(0).text;
        QVERIFY2(refusal.contains(png), qPrintable(refusal));
        QVERIFY2(refusal.contains("16 x 1"), qPrintable(refusal));
    }

    // A new user's first files open as the converter reads them.
    void opensFirstInputs_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("sprite");
        QTest::addColumn<QString>("message");
        const QStringList smiley{"00111100", "01000010", "10100101", "10000001",
                                 "10100101", "10011001", "01000010", "00111100"};
        QTest::newRow("transparent PNG") << "smiley-transparent.png" << smiley << "";
        // Code as the editor writes it, and as other tools do.
        QTest::newRow("code") << "smiley.z80" << smiley << "";
        QTest::newRow("code of spaces") << "smiley-spaces.asm" << smiley << "";
        QTest::newRow("the example") << "../../../examples/ship.z80"
                                     << QString("00011000 00111100 00100100 01111110 11111111 "
                                                "11011011 10011001 00011000")
                                            .split(' ')
                                     << "";
        QTest::newRow("hex line, a digit first") << "smiley-hex.txt" << smiley << "";
        QTest::newRow("Axe") << "axe-pic1.txt"
                             << QStringList{"00111100", "01000010", "10000001", "10100101",
                                            "10000001", "10100101", "01000010", "00111100"}
                             << "";
        QTest::newRow("a stray word") << "stray-word.z80" << QStringList{"0"}
                                      << "could not be read:\nline 3 is not a .db line";
    }

    void opensFirstInputs()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, sprite);
        QFETCH(QString, message);
        setSize(15, 15); // 1 x 1, which a refusal keeps
        window->openFile(QFINDTESTDATA("../../tests/data/inputs/" + file));
        QCOMPARE(code(), codeOf(sprite));
        QCOMPARE(platform->messages.size(), message.isEmpty() ? 0 : 1);
        QVERIFY2(platform->messages.value(0).text.contains(message),
                 qPrintable(platform->messages.value(0).text));
    }

    // The picture and code dialog is its own; the sprite dialogs keep theirs.
    void openPictureOrCodeKeepsTheSpriteDialog()
    {
        QTemporaryDir dir;
        platform->fileAnswers = {writeFile(dir.filePath("b.spr"), "010210\r\n"),
                                 writeFile(dir.filePath("p.png"), picture(2, 1, {qRgb(0, 0, 0)}))};
        action("open")->trigger();
        QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(code(), codeOf({"10"}));
        QCOMPARE(platform->openRequests.value(1).title, QStringLiteral("Open Picture or Code"));
        QCOMPARE(platform->openRequests.value(1).filter.section('|', 2),
                 QStringLiteral("All files|*"));
        QCOMPARE(window->commonDialog1().fileName, dir.filePath("b.spr"));
        platform->fileAnswers = {std::nullopt};
        action("saveas")->trigger();
        QCOMPARE(platform->saveRequests.value(0).fileName, dir.filePath("b.spr"));
        QVERIFY(platform->messages.isEmpty());
    }

    // Ctrl+V in the code box pastes into the grid; a picture on the clipboard
    // is read when no code is, and code wins over a picture.
    void pasteInTheCodeBoxAndPictures()
    {
        auto* box = child<CodeBox>("source");
        box->setFocus();
        platform->clipboard = QStringLiteral("db $3C\r db $42");
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(code(), codeOf({"00111100", "01000010"}));
        QImage image(16, 16, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        image.setPixel(7, 7, qRgb(0, 0, 0));
        image.setPixel(8, 9, qRgb(0, 0, 0));
        platform->clipboardPicture = image;
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(code(), codeOf({"00111100", "01000010"}));
        platform->clipboard = QStringLiteral("a picture");
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(code(), codeOf({"10", "00", "01"}));
        QVERIFY(platform->messages.isEmpty());
        QVERIFY(box->toPlainText().startsWith("\t.db"));
    }

private:
    template <typename T = QWidget> T* child(const char* n) { return window->findChild<T*>(n); }
    QAction* action(const char* name) { return child<QAction>(name); }
    // The entry a user finds by its caption, or none.
    static QAction* captioned(const QList<QAction*>& entries, const QString& caption)
    {
        for (QAction* entry : entries)
            if (entry->text() == caption)
                return entry;
        return nullptr;
    }
    QSlider* slider(const char* name) { return child<QSlider>(name); }
    QString label() { return child<QLabel>("Label1")->text(); }
    QString code() { return window->codeText(); }
    QStringList block() { return blockOf(window->document().grid()); }
    GridView* view() { return child<GridView>("Shape1"); }
    void setSize(int column, int row)
    {
        slider("Slider1")->setValue(column);
        slider("Slider2")->setValue(row);
    }

    std::unique_ptr<ScriptedPlatform> platform;
    std::unique_ptr<MainWindow> window;
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
