#include "aboutwindow.h"
#include "applicationshell.h"
#include "commandline.h"
#include "exitlog.h"
#include "helpwindow.h"
#include "mainwindow.h"
#include "module1.h"
#include "qtplatform.h"
#include "scriptedplatform.h"
#include "splashwindow.h"
#include "testfiles.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <csignal>

using namespace quillox;

namespace
{

QRect twipRect(int left, int top, int width, int height)
{
    return {left / 15, top / 15, width / 15, height / 15};
}

void deleteClosedWindows()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class ApplicationShellTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        platform_ = std::make_unique<ScriptedPlatform>();
        // The log lives in a home folder of the test's own.
        qputenv("HOME", QFile::encodeName(dir_->path()));
        platform_->logPath = dir_->filePath(QStringLiteral("quillox.ini"));
        shell_ = std::make_unique<ApplicationShell>(*platform_);
        shell_->start();
    }

    void cleanup()
    {
        shell_.reset();
        deleteClosedWindows();
    }

    void startShowsOnlyTheSplash()
    {
        QVERIFY(shell_->splash()->isVisible());
        QVERIFY(!shell_->mainWindow());
        QVERIFY(!findMainWindow());
    }

    void okHidesTheSplashAndOpensTheMainWindow()
    {
        pressOk();
        QVERIFY(shell_->splash());
        QVERIFY(!shell_->splash()->isVisible());
        MainWindow* main = shell_->mainWindow();
        QVERIFY(main && main->isVisible());
        QVERIFY(!main->parentWidget());
        QCOMPARE(main->codeText().count(QStringLiteral(".db")), 8);
    }

    void closingTheSplashEndsWithoutARecord()
    {
        QVERIFY(shell_->splash()->close());
        QCOMPARE(platform_->endRequests, 1);
        QVERIFY(!shell_->mainWindow());
        QVERIFY(!QFileInfo::exists(platform_->logPath));
    }

    void ending_data()
    {
        QTest::addColumn<bool>("byExitCommand");
        QTest::addColumn<bool>("withSecondaryWindows");
        QTest::newRow("Exit") << true << false;
        QTest::newRow("Exit, About and help open") << true << true;
        QTest::newRow("closed") << false << false;
        QTest::newRow("closed, About and help open") << false << true;
    }

    void ending()
    {
        QFETCH(bool, byExitCommand);
        QFETCH(bool, withSecondaryWindows);
        platform_->time = QTime(9, 8, 7);
        platform_->date = QDate(2000, 11, 30);
        pressOk();
        if (withSecondaryWindows) {
            trigger("sa");
            trigger("ds");
        }
        if (byExitCommand)
            trigger("sdfdsf");
        // The window system closes the window the Exit command left open.
        QVERIFY(shell_->mainWindow()->close());
        const WayOfClosing way = byExitCommand ? WayOfClosing::ExitCommand : WayOfClosing::Other;
        QCOMPARE(contents(platform_->logPath),
                 exitRecord(QTime(9, 8, 7), QDate(2000, 11, 30), way));
        QCOMPARE(platform_->endRequests, 1);
    }

    void anUnwritableLogIsReportedAndStillEnds()
    {
        platform_->logPath = dir_->filePath(QStringLiteral("missing/quillox.ini"));
        pressOk();
        trigger("sdfdsf");
        QCOMPARE(platform_->messages.size(), 1);
        QVERIFY(platform_->messages[0].text.contains(QDir::toNativeSeparators(platform_->logPath)));
        QCOMPARE(platform_->messages[0].title, QStringLiteral("Quillox"));
        QCOMPARE(platform_->endRequests, 1);
    }

    void desktopEndClosesEveryWindow()
    {
        // The real platform's end, run inside an event loop as the program does.
        QtPlatform desktop;
        pressOk();
        trigger("sa");
        trigger("ds");
        QTimer::singleShot(0, [&desktop] { desktop.endProgram(); });
        QCOMPARE(QApplication::exec(), 0);
        for (QWidget* window : QApplication::topLevelWidgets())
            QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
    }

    void systemAsksToEnd_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("okPressed");
        // Signal 0 stands for the session's end quitting the application.
        QTest::newRow("session end on the splash") << 0 << false;
        QTest::newRow("session end") << 0 << true;
#ifndef Q_OS_WIN
        QTest::newRow("SIGTERM on the splash") << SIGTERM << false;
        QTest::newRow("SIGTERM") << SIGTERM << true;
        QTest::newRow("SIGHUP") << SIGHUP << true;
        QTest::newRow("SIGINT") << SIGINT << true;
#endif
    }

    void systemAsksToEnd()
    {
        // The desktop platform, whose log lives in the test's home folder.
        QFETCH(int, signal);
        QFETCH(bool, okPressed);
        if (signal)
            std::signal(signal, SIG_DFL);
        QtPlatform desktop;
        // On Windows the desktop log is C:\quillox.ini: only what is added counts.
        const QByteArray before = contents(desktop.exitLogPath());
        ApplicationShell shell(desktop);
        shell.start();
        if (okPressed)
            QTest::mouseClick(shell.splash()->findChild<QPushButton*>("Command1"), Qt::LeftButton);
        if (signal)
            std::raise(signal);
        else
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        QTimer hang;
        QObject::connect(&hang, &QTimer::timeout, [] { QCoreApplication::exit(1); });
        hang.start(60000);
        QCOMPARE(QApplication::exec(), 0);
        const QByteArray log = contents(desktop.exitLogPath()).mid(before.size());
        QCOMPARE(log.size(), okPressed ? 81 : 0);
        QCOMPARE(log.count("Without using the Exit-button"), okPressed ? 1 : 0);
    }

    void layout_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("family");
        const QString dialogFont = QApplication::font().family();
        auto row = [](const char* window, const char* control) -> QTestData& {
            return QTest::addRow("%s %s", window, control)
                   << QString::fromLatin1(window) << QString::fromLatin1(control);
        };
        row("Form1", "Picture1") << twipRect(495, 90, 3945, 1245) << QString() << dialogFont;
        row("Form1", "Label1") << twipRect(300, 1395, 4320, 540)
                               << QStringLiteral("Quillox\u2122 for Windows\u00AE") << "Arial";
        row("Form1", "Label2") << twipRect(285, 1800, 1620, 270) << "Version 1.25 (11-2000)"
                               << dialogFont;
        row("Form1", "Command1") << twipRect(4065, 2490, 945, 270) << "&OK" << dialogFont;
        row("Form2", "Label3") << twipRect(600, 0, 2895, 735) << " Quillox"
                               << "Impact";
        row("Form2", "Label8") << twipRect(3255, 90, 600, 240) << "1.25"
                               << "Small Fonts";
        row("Form2", "Label4") << twipRect(360, 600, 3975, 255) << "Made by the Quillox developers"
                               << "MS Sans Serif";
        row("Form2", "Picture1") << twipRect(0, 960, 975, 975) << QString() << dialogFont;
        row("Form2", "Label1") << twipRect(1080, 960, 3015, 255) << makersWebAddress()
                               << "MS Sans Serif";
        row("Form2", "Label2") << twipRect(1080, 1440, 3135, 255) << makersMailAddress()
                               << "MS Sans Serif";
        row("Form2", "Label5") << twipRect(120, 1920, 2655, 255)
                               << "All exits are logged into ~/quillox.ini" << dialogFont;
        row("Form2", "Label6") << twipRect(120, 2160, 495, 255) << "Size:" << dialogFont;
        row("Form2", "Label7") << twipRect(600, 2160, 2175, 255) << "File doesn\u00B4t exist."
                               << dialogFont;
        row("Form2", "Command2") << twipRect(120, 2400, 1095, 255) << "Clear quillox.ini"
                                 << "Small Fonts";
        row("Form2", "Command1") << twipRect(3480, 2280, 735, 375) << "Thanks" << dialogFont;
        row("Form3", "Text1") << twipRect(120, 120, 6615, 4575) << QString() << dialogFont;
        row("Form3", "Command1") << twipRect(5865, 4755, 975, 315) << "Close" << dialogFont;
    }

    void layout()
    {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(QRect, rect);
        QFETCH(QString, text);
        QFETCH(QString, family);
        QWidget* widget = windowNamed(window)->findChild<QWidget*>(control);
        QVERIFY(widget);
        QCOMPARE(widget->geometry(), rect);
        QCOMPARE(widget->font().family(), family);
        if (auto* label = qobject_cast<QLabel*>(widget); label && !text.isEmpty()) {
            QCOMPARE(label->text(), text);
            QVERIFY2(QFontMetricsF(label->font()).horizontalAdvance(text) <=
                         label->contentsRect().width(),
                     "the text is clipped");
        }
        if (auto* button = qobject_cast<QPushButton*>(widget))
            QCOMPARE(button->text(), text);
    }

    void windows_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QSize>("clientSize");
        QTest::addColumn<QString>("title");
        QTest::newRow("splash") << "Form1" << QSize(333, 183) << "Quillox";
        QTest::newRow("About") << "Form2" << QSize(286, 180) << "About";
        QTest::newRow("help") << "Form3" << QSize(460, 340)
                              << "Thanks to the Quillox developers for this tutorial";
    }

    void windows()
    {
        QFETCH(QString, window);
        QFETCH(QSize, clientSize);
        QFETCH(QString, title);
        QWidget* widget = windowNamed(window);
        QCOMPARE(widget->size(), clientSize);
        QCOMPARE(widget->minimumSize(), clientSize);
        QCOMPARE(widget->maximumSize(), clientSize);
        QCOMPARE(widget->windowTitle(), title);
        const Qt::WindowFlags flags = widget->windowFlags();
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(!widget->parentWidget());
    }

    void aboutColours()
    {
        QWidget* about = windowNamed("Form2");
        QCOMPARE(about->palette().color(QPalette::Window), QColor(134, 125, 134));
        const auto colour = [about](const char* name) {
            return about->findChild<QLabel*>(name)->palette().color(QPalette::WindowText);
        };
        QCOMPARE(colour("Label8"), QColor(255, 0, 0));
        QCOMPARE(colour("Label4"), QColor(255, 255, 0));
        QCOMPARE(colour("Label1"), QColor(0, 0, 128));
        QCOMPARE(colour("Label7"), QColor(255, 255, 0));
        QVERIFY(about->findChild<QLabel*>("Label1")->font().underline());
        QCOMPARE(about->findChild<QLabel*>("Label2")->cursor().shape(), Qt::UpArrowCursor);
        QCOMPARE(windowNamed("Form3")->palette().color(QPalette::Window), QColor(Qt::black));
    }

    void banner()
    {
        auto* picture = windowNamed("Form1")->findChild<QLabel*>("Picture1");
        const QImage image = picture->pixmap().toImage();
        QCOMPARE(image.size(), QSize(259, 87));
        QVERIFY(!picture->hasScaledContents());
        QCOMPARE(contents(QStringLiteral(":/quillox/banner.bmp")).size(), 67914);
    }

    void secondaryWindowsAreSingleAndKeptWhenHidden()
    {
        pressOk();
        trigger("sa");
        trigger("ds");
        AboutWindow* about = shell_->aboutWindow();
        HelpWindow* help = shell_->helpWindow();
        QVERIFY(about->isVisible() && help->isVisible());
        auto* text = help->findChild<QPlainTextEdit*>("Text1");
        text->verticalScrollBar()->setValue(40);
        QCoreApplication::processEvents();
        const int scrolled = text->verticalScrollBar()->value();
        QVERIFY(scrolled > 0);
        trigger("sa");
        QCOMPARE(shell_->aboutWindow(), about);
        about->findChild<QPushButton*>("Command1")->click();
        help->findChild<QPushButton*>("Command1")->click();
        deleteClosedWindows();
        QVERIFY(!about->isVisible() && !help->isVisible());
        trigger("sa");
        trigger("ds");
        QCOMPARE(shell_->aboutWindow(), about);
        QCOMPARE(shell_->helpWindow(), help);
        QCOMPARE(text->verticalScrollBar()->value(), scrolled);
        QVERIFY(shell_->mainWindow()->isVisible());
    }

    void closedSecondaryWindowsAreMadeAfresh()
    {
        pressOk();
        trigger("sa");
        trigger("ds");
        QPointer<AboutWindow> about = shell_->aboutWindow();
        QPointer<HelpWindow> help = shell_->helpWindow();
        QVERIFY(about->close() && help->close());
        deleteClosedWindows();
        QVERIFY(!about && !help);
        trigger("sa");
        trigger("ds");
        QVERIFY(shell_->aboutWindow() && shell_->aboutWindow()->isVisible());
        QVERIFY(shell_->helpWindow() && shell_->helpWindow()->isVisible());
        QCOMPARE(platform_->endRequests, 0);
    }

    void logSizeFollowsActivation_data()
    {
        QTest::addColumn<QByteArray>("log");
        QTest::addColumn<QString>("label");
        QTest::newRow("empty") << QByteArray("") << "0 b";
        QTest::newRow("one exit") << exitRecord({1, 2, 3}, {2001, 3, 3}, WayOfClosing::ExitCommand)
                                  << "72 b";
        QTest::newRow("two exits")
            << exitRecord({1, 2, 3}, {2001, 3, 3}, WayOfClosing::ExitCommand) +
                   exitRecord({1, 2, 3}, {2001, 3, 3}, WayOfClosing::Other)
            << "153 b";
    }

    void logSizeFollowsActivation()
    {
        QFETCH(QByteArray, log);
        QFETCH(QString, label);
        AboutWindow* about = aboutWindow();
        QCOMPARE(sizeLabel(about), QStringLiteral("File doesn\u00B4t exist."));
        writeFile(platform_->logPath, log);
        QCOMPARE(sizeLabel(about), QStringLiteral("File doesn\u00B4t exist."));
        activate(about);
        QCOMPARE(sizeLabel(about), label);
    }

    void logSizeFailureIsReportedOnce()
    {
        QVERIFY(QDir(dir_->path()).mkpath(QStringLiteral("quillox.ini")));
        AboutWindow* about = aboutWindow();
        activate(about);
        activate(about);
        QCOMPARE(platform_->messages.size(), 1);
        QVERIFY(platform_->messages[0].text.contains(QDir::toNativeSeparators(platform_->logPath)));
        QCOMPARE(sizeLabel(about), QString());
    }

    void clear_data()
    {
        QTest::addColumn<bool>("logPresent");
        QTest::newRow("log present") << true;
        QTest::newRow("no log") << false;
    }

    void clear()
    {
        QFETCH(bool, logPresent);
        if (logPresent)
            writeFile(platform_->logPath, exitRecord({1, 2, 3}, {4, 5, 6}, WayOfClosing::Other));
        AboutWindow* about = aboutWindow();
        const QString before = sizeLabel(about);
        about->findChild<QPushButton*>("Command2")->click();
        QVERIFY(!QFileInfo::exists(platform_->logPath));
        QCOMPARE(platform_->messages.size(), logPresent ? 0 : 1);
        QCOMPARE(sizeLabel(about), before);
        activate(about);
        QCOMPARE(sizeLabel(about), QStringLiteral("File doesn\u00B4t exist."));
    }

    void links()
    {
        AboutWindow* about = aboutWindow();
        QTest::mouseClick(about->findChild<QLabel*>("Label1"), Qt::LeftButton);
        QTest::mouseClick(about->findChild<QLabel*>("Label2"), Qt::LeftButton);
        QTest::mouseClick(about->findChild<QLabel*>("Label2"), Qt::RightButton);
        QCOMPARE(platform_->openedUrls,
                 QList<QUrl>({QUrl(makersWebAddress()), QUrl("mailto:" + makersMailAddress())}));
        QCOMPARE(QUrl(makersWebAddress()).scheme(), QStringLiteral("https"));
    }

    void focus()
    {
        QWidget* about = windowNamed("Form2");
        QCOMPARE(about->focusWidget(), about->findChild<QWidget*>("Command1"));
        QWidget* help = windowNamed("Form3");
        QCOMPARE(help->focusWidget(), help->findChild<QWidget*>("Text1"));
    }

    void tutorial()
    {
        const QByteArray text = tutorialText();
        QCOMPARE(text.size(), 6073);
        QCOMPARE(text.count("\r\n"), 185);
        QVERIFY(text.endsWith("\r\n"));
        QCOMPARE(text.count('\n'), 185);
        QCOMPARE(text.count('\r'), 185);
        qsizetype longest = 0;
        for (const QByteArray& line : text.split('\n'))
            longest = std::max(longest, line.size() - 1);
        QCOMPARE(longest, qsizetype(102));
        for (const char c : text)
            QVERIFY(static_cast<unsigned char>(c) < 0x80);
        auto* box = windowNamed("Form3")->findChild<QPlainTextEdit*>("Text1");
        QVERIFY(box->isReadOnly());
        QCOMPARE(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(box->toPlainText().toLatin1(), QByteArray(text).replace("\r\n", "\n"));
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("file");
        using Action = CommandLine::Action;
        QTest::newRow("nothing") << QStringList() << int(Action::Run) << "";
        QTest::newRow("a file") << QStringList{"a.spr"} << int(Action::Run) << "a.spr";
        QTest::newRow("help wins") << QStringList{"-x", "--help"} << int(Action::Help) << "";
        QTest::newRow("version") << QStringList{"--version", "a"} << int(Action::Version) << "";
        QTest::newRow("unknown option") << QStringList{"--bytes"} << int(Action::UsageError) << "";
        QTest::newRow("two files") << QStringList{"a", "b"} << int(Action::UsageError) << "a";
        QTest::newRow("a file named like an option")
            << QStringList{"--", "-a.spr"} << int(Action::Run) << "-a.spr";
    }

    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, action);
        QFETCH(QString, file);
        const CommandLine line = parseCommandLine(QStringList{"quillox"} + arguments);
        QCOMPARE(int(line.action), action);
        QCOMPARE(line.file, file);
        QCOMPARE(line.error.isEmpty(), action != int(CommandLine::Action::UsageError));
    }

    void fileOfTheCommandLineOpensAfterOk()
    {
        const QString path = dir_->filePath(QStringLiteral("s.spr"));
        writeFile(path, "0102"
                        "01\r\n");
        shell_ = std::make_unique<ApplicationShell>(*platform_);
        shell_->start(path);
        QVERIFY(!shell_->mainWindow());
        pressOk();
        QCOMPARE(shell_->mainWindow()->codeText(), QStringLiteral("\t.db\t%01"));
        QCOMPARE(shell_->mainWindow()->commonDialog1().fileName, path);
    }

private:
    void pressOk()
    {
        QTest::mouseClick(shell_->splash()->findChild<QPushButton*>("Command1"), Qt::LeftButton);
    }

    void trigger(const char* action)
    {
        QAction* item = shell_->mainWindow()->findChild<QAction*>(QString::fromLatin1(action));
        QVERIFY2(item, action);
        item->trigger();
    }

    AboutWindow* aboutWindow()
    {
        pressOk();
        trigger("sa");
        return shell_->aboutWindow();
    }

    static void activate(QWidget* window)
    {
        QEvent activation(QEvent::WindowActivate);
        QCoreApplication::sendEvent(window, &activation);
    }

    static QString sizeLabel(QWidget* about)
    {
        return about->findChild<QLabel*>("Label7")->text();
    }

    QWidget* windowNamed(const QString& name)
    {
        if (name == QLatin1String("Form1"))
            return shell_->splash();
        if (!shell_->mainWindow())
            pressOk();
        trigger(name == QLatin1String("Form2") ? "sa" : "ds");
        return name == QLatin1String("Form2") ? static_cast<QWidget*>(shell_->aboutWindow())
                                              : shell_->helpWindow();
    }

    static QWidget* findMainWindow()
    {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->objectName() == QLatin1String("progg"))
                return window;
        return nullptr;
    }

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<ScriptedPlatform> platform_;
    std::unique_ptr<ApplicationShell> shell_;
};

QTEST_MAIN(ApplicationShellTest)
#include "tst_applicationshell.moc"
