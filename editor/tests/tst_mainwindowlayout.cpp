#include "mainwindow.h"
#include "scriptedplatform.h"
#include "twips.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace quillox;

class MainWindowLayoutTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void clientArea();
    void controls_data();
    void controls();
    void menuTree_data();
    void menuTree();
    void menuItemAndButtonRunSameCommand_data();
    void menuItemAndButtonRunSameCommand();
    void exitShortcutEndsByExitCommand();
    void closingEndsWithoutExitCommand();
    void hints_data();
    void hints();
    void clockShowsTimeAndWakesAtSecondBoundary();

private:
    QWidget* client() { return window->centralWidget(); }
    QWidget* widget(const QString& name)
    {
        auto* found = window->findChild<QWidget*>(name);
        if (!found)
            qFatal("no widget %s", qPrintable(name));
        return found;
    }
    QAction* action(const QString& name) { return window->findChild<QAction*>(name); }
    QString hint() { return window->findChild<QLabel*>(QStringLiteral("Panel1"))->text(); }
    void pointAt(const QString& name, QPoint offset = {2, 2})
    {
        QTest::mouseMove(widget(name), offset);
    }

    std::unique_ptr<ScriptedPlatform> platform;
    std::unique_ptr<MainWindow> window;
};

void MainWindowLayoutTest::init()
{
    platform = std::make_unique<ScriptedPlatform>();
    platform->time = QTime(14, 5, 9, 250);
    window = std::make_unique<MainWindow>(*platform);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
}

void MainWindowLayoutTest::cleanup()
{
    window.reset();
    platform.reset();
}

void MainWindowLayoutTest::clientArea()
{
    QCOMPARE(client()->size(), QSize(536, 372));
    QVERIFY(!(window->windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(window->objectName(), QStringLiteral("progg"));
}

void MainWindowLayoutTest::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("family");
    const QString anyFont;
    QTest::newRow("rule") << "rule" << QRect(0, 0, 536, 1) << QString() << anyFont;
    QTest::newRow("size label") << "Label1" << twipRect(1560, 0, 1935, 375) << "8 x 8"
                                << "Arial";
    QTest::newRow("grid") << "Shape1" << twipRect(240, 360, 3615, 3615) << QString() << anyFont;
    QTest::newRow("column slider")
        << "Slider1" << twipRect(120, 4080, 3855, 375) << QString() << anyFont;
    QTest::newRow("row slider") << "Slider2" << twipRect(3960, 315, 375, 3750) << QString()
                                << anyFont;
    QTest::newRow("code frame") << "Frame1" << twipRect(4440, 120, 3375, 4215) << "   &Code     "
                                << "MS Sans Serif";
    QTest::newRow("code box") << "source" << twipRect(4560, 480, 3135, 3135) << QString()
                              << anyFont;
    QTest::newRow("print") << "Command6" << twipRect(4680, 3720, 615, 495) << "&Print" << anyFont;
    QTest::newRow("code save") << "Command8" << twipRect(5400, 3720, 615, 495) << "&Save"
                               << anyFont;
    QTest::newRow("copy") << "Command7" << twipRect(6120, 3720, 615, 495) << "&Copy" << anyFont;
    QTest::newRow("sprite frame") << "Frame2" << twipRect(240, 4440, 1965, 870)
                                  << "&Sprite  Options"
                                  << "MS Sans Serif";
    QTest::newRow("sprite save") << "Command9" << twipRect(360, 4785, 570, 405) << "&Save"
                                 << anyFont;
    QTest::newRow("open") << "Command10" << twipRect(975, 4785, 555, 405) << "&Open" << anyFont;
    QTest::newRow("new") << "Command11" << twipRect(1560, 4785, 555, 405) << "&New" << anyFont;
    QTest::newRow("progress frame")
        << "Frame3" << twipRect(4440, 4440, 3375, 615) << "&Progress" << anyFont;
    QTest::newRow("progress bar") << "ProgressBar1" << twipRect(4560, 4680, 3135, 255) << QString()
                                  << anyFont;
    QTest::newRow("status bar") << "StatusBar1" << twipRect(0, 5325, 8040, 255) << QString()
                                << anyFont;
    QTest::newRow("hint panel") << "Panel1" << twipRect(0, 5325, 5000, 255) << "" << anyFont;
    QTest::newRow("clock panel") << "Panel2" << twipRect(5000, 5325, 3000, 255)
                                 << "               Time: 14:05:09" << anyFont;
}

void MainWindowLayoutTest::controls()
{
    QFETCH(QString, name);
    QFETCH(QRect, rect);
    QFETCH(QString, text);
    QFETCH(QString, family);
    QWidget* control = widget(name);
    QVERIFY(control->isVisible());
    QCOMPARE(QRect(control->mapTo(client(), QPoint(0, 0)), control->size()), rect);
    if (!text.isNull()) {
        QString shown;
        if (auto* label = qobject_cast<QLabel*>(control))
            shown = label->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(control))
            shown = button->text();
        else if (auto* frame = qobject_cast<QGroupBox*>(control))
            shown = frame->title();
        QCOMPARE(shown, text);
    }
    if (!family.isEmpty())
        QCOMPARE(control->font().family(), family);
    if (name == QLatin1String("Label1")) {
        QCOMPARE(control->font().pointSizeF(), 14.25);
        QVERIFY(control->font().bold());
        QVERIFY(control->font().underline());
    }
    if (name.startsWith(QLatin1String("Frame")) && name != QLatin1String("Frame3"))
        QCOMPARE(control->font().pointSize(), 12);
    if (name.startsWith(QLatin1String("Command")))
        QVERIFY(control->font().family() != QStringLiteral("MS Sans Serif"));
}

void MainWindowLayoutTest::menuTree_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("items"); // "name=text=shortcut", separators "name=-"
    QTest::newRow("File") << "sdfgsd"
                          << "&File" << QStringList{"open=&Open Sprite...=",
                                                    "saveas=&Save Sprite As...=",
                                                    "gg=-",
                                                    "sada=&Print Code=",
                                                    "fdd=-",
                                                    "sdfdsf=&Exit=Ctrl+Q"};
    QTest::newRow("Options") << "dfsf"
                             << "&Options"
                             << QStringList{"dsfdsfsdf=&Clear Sprite=",
                                            "sdsdsdsd=C&odeText Background color=", "gh=&Effects="};
    QTest::newRow("Effects") << "gh"
                             << "&Effects"
                             << QStringList{"sfdsf=&Invert=Ctrl+I", "erh=&Fill Black=Ctrl+B"};
    QTest::newRow("Help") << "asdas"
                          << "&Help" << QStringList{"ds=&About Sprites=", "sa=A&bout="};
}

void MainWindowLayoutTest::menuTree()
{
    QFETCH(QString, menu);
    QFETCH(QString, title);
    QFETCH(QStringList, items);
    auto* found = window->findChild<QMenu*>(menu);
    QVERIFY(found);
    QCOMPARE(found->title(), title);
    QStringList seen;
    for (QAction* item : found->actions()) {
        const QString name = item->menu() ? item->menu()->objectName() : item->objectName();
        seen << (item->isSeparator()
                     ? name + "=-"
                     : name + "=" + item->text() + "=" + item->shortcut().toString());
    }
    QCOMPARE(seen, items);
    if (menu != QLatin1String("gh")) {
        QStringList bar;
        for (QAction* top : window->menuBar()->actions())
            bar << top->menu()->objectName();
        QCOMPARE(bar, QStringList({"sdfgsd", "dfsf", "asdas"}));
    }
}

void MainWindowLayoutTest::menuItemAndButtonRunSameCommand_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("button");
    QTest::newRow("open") << "open"
                          << "Command10";
    QTest::newRow("sprite save") << "saveas"
                                 << "Command9";
    QTest::newRow("print") << "sada"
                           << "Command6";
}

void MainWindowLayoutTest::menuItemAndButtonRunSameCommand()
{
    QFETCH(QString, item);
    QFETCH(QString, button);
    platform->messageAnswers = {MessageResult::Cancel, MessageResult::Cancel};
    action(item)->trigger();
    const int opens = platform->openRequests.size();
    const int saves = platform->saveRequests.size();
    const int messages = platform->messages.size();
    QVERIFY(opens + saves + messages == 1);
    QTest::mouseClick(widget(button), Qt::LeftButton);
    QCOMPARE(platform->openRequests.size(), 2 * opens);
    QCOMPARE(platform->saveRequests.size(), 2 * saves);
    QCOMPARE(platform->messages.size(), 2 * messages);
    if (saves)
        QCOMPARE(platform->saveRequests[1].title, QStringLiteral("Save Sprite as *.spr"));
    if (messages)
        QCOMPARE(platform->messages[1].title, QStringLiteral("Quillox - Printing..."));
}

void MainWindowLayoutTest::exitShortcutEndsByExitCommand()
{
    QSignalSpy ending(window.get(), &MainWindow::programEnding);
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_Q, Qt::ControlModifier);
    QCOMPARE(ending.count(), 1);
    QCOMPARE(ending[0][0].toBool(), true);
    window->close();
    QCOMPARE(ending.count(), 1);
}

void MainWindowLayoutTest::closingEndsWithoutExitCommand()
{
    QSignalSpy ending(window.get(), &MainWindow::programEnding);
    window->close();
    QCOMPARE(ending.count(), 1);
    QCOMPARE(ending[0][0].toBool(), false);
}

void MainWindowLayoutTest::hints_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QPoint>("firstAt");
    QTest::addColumn<QString>("then");
    QTest::addColumn<QPoint>("thenAt");
    QTest::addColumn<QString>("expected");
    const QPoint corner(2, 2);
    QTest::newRow("open") << "Frame1" << corner << "Command10" << corner << "Open a saved sprite.";
    QTest::newRow("new") << "Frame1" << corner << "Command11" << corner
                         << "Create a empty 8x8 sprite.";
    QTest::newRow("sprite save") << "Command8" << corner << "Command9" << corner
                                 << "Save the sprite as a spr-file.";
    QTest::newRow("print") << "Frame1" << corner << "Command6" << corner << "Print the code.";
    QTest::newRow("copy") << "Frame1" << corner << "Command7" << corner
                          << "Copy the code into the clipboard.";
    QTest::newRow("code save") << "Command9" << corner << "Command8" << corner
                               << "Save the code as a z80-file.";
    QTest::newRow("code frame clears") << "Command7" << corner << "Frame1" << QPoint(3, 200) << "";
    QTest::newRow("sprite frame clears")
        << "Command11" << corner << "Frame2" << QPoint(3, 40) << "";
    QTest::newRow("grid keeps") << "Command7" << corner << "Shape1" << QPoint(120, 120)
                                << "Copy the code into the clipboard.";
    QTest::newRow("slider keeps") << "Command10" << corner << "Slider1" << QPoint(100, 10)
                                  << "Open a saved sprite.";
    QTest::newRow("code box keeps")
        << "Command6" << corner << "source" << QPoint(50, 50) << "Print the code.";
    QTest::newRow("progress frame keeps")
        << "Command6" << corner << "Frame3" << QPoint(3, 3) << "Print the code.";
}

void MainWindowLayoutTest::hints()
{
    QFETCH(QString, first);
    QFETCH(QPoint, firstAt);
    QFETCH(QString, then);
    QFETCH(QPoint, thenAt);
    QFETCH(QString, expected);
    pointAt(first, firstAt);
    pointAt(then, thenAt);
    QCOMPARE(hint(), expected);
}

void MainWindowLayoutTest::clockShowsTimeAndWakesAtSecondBoundary()
{
    auto* clock = window->findChild<QTimer*>(QStringLiteral("Timer1"));
    auto* panel = window->findChild<QLabel*>(QStringLiteral("Panel2"));
    QVERIFY(clock->isActive());
    QVERIFY(clock->isSingleShot());
    QCOMPARE(clock->timerType(), Qt::PreciseTimer);
    QCOMPARE(clock->interval(), 750);
    QCOMPARE(panel->text().size(), 29);

    platform->time = QTime(23, 59, 59, 990);
    clock->start(1);
    QTRY_COMPARE(panel->text(), QStringLiteral("               Time: 23:59:59"));
    QCOMPARE(clock->interval(), 10);
    platform->time = QTime(0, 0, 0, 3);
    QTRY_COMPARE(panel->text(), QStringLiteral("               Time: 00:00:00"));
    QCOMPARE(clock->interval(), 997);
}

QTEST_MAIN(MainWindowLayoutTest)
#include "tst_mainwindowlayout.moc"
