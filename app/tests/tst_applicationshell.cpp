#include "aboutwindow.h"
#include "applicationshell.h"
#include "commandline.h"
#include "exitlog.h"
#include "helpwindow.h"
#include "mainwindow.h"
#include "module1.h"
#include "picturebox.h"
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

const QString NoLog = QStringLiteral("File doesn\u00B4t exist.");

void deleteClosedWindows()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void activate(QWidget* window)
{
    QEvent activation(QEvent::WindowActivate);
    QCoreApplication::sendEvent(window, &activation);
}

QString sizeLabel(QWidget* about)
{
    return about->findChild<QLabel*>("Label7")->text();
}

} // namespace

class ApplicationShellTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
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

    void okOpensTheMainWindow()
    {
        QVERIFY(shell_->splash()->isVisible() && !shell_->mainWindow());
        pressOk();
        QVERIFY(!shell_->splash()->isVisible());
        QVERIFY(shell_->mainWindow()->isVisible() && !shell_->mainWindow()->parentWidget());
        QCOMPARE(shell_->mainWindow()->codeText().count(QStringLiteral(".db")), 8);
    }

    void closingTheSplashEndsWithoutARecord()
    {
        QVERIFY(shell_->splash()->close());
        QCOMPARE(platform_->endRequests, 1);
        QVERIFY(!shell_->mainWindow() && !QFileInfo::exists(platform_->logPath));
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
        pressOk();
        if (withSecondaryWindows)
            openSecondaryWindows();
        if (byExitCommand)
            trigger("sdfdsf");
        // The window system closes the window the Exit command left open.
        QVERIFY(shell_->mainWindow()->close());
        QCOMPARE(contents(platform_->logPath),
                 exitRecord(platform_->time, platform_->date,
                            byExitCommand ? WayOfClosing::ExitCommand : WayOfClosing::Other));
        QCOMPARE(platform_->endRequests, 1);
    }

    void anUnwritableLogIsReportedAndStillEnds()
    {
        platform_->logPath = dir_->filePath(QStringLiteral("missing/quillox.ini"));
        pressOk();
        trigger("sdfdsf");
        QCOMPARE(platform_->messages.size(), 1);
        QVERIFY(platform_->messages[0].text.startsWith(platform_->logPath + ": "));
        QCOMPARE(platform_->messages[0].title, QStringLiteral("Quillox"));
        QCOMPARE(platform_->endRequests, 1);
    }

    void desktopEndClosesEveryWindow()
    {
        QtPlatform desktop;
        pressOk();
        openSecondaryWindows();
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
        QTest::newRow("SIGTERM on the splash") << SIGTERM << false;
        QTest::newRow("session end on the splash") << 0 << false;
        QTest::newRow("SIGTERM") << SIGTERM << true;
        QTest::newRow("SIGHUP") << SIGHUP << true;
        QTest::newRow("SIGINT") << SIGINT << true;
        QTest::newRow("session end") << 0 << true;
    }

    void systemAsksToEnd()
    {
        // The desktop platform, whose log lives in the test's home folder.
        QFETCH(int, signal);
        QFETCH(bool, okPressed);
        if (signal)
            std::signal(signal, SIG_DFL);
        QtPlatform desktop;
        ApplicationShell shell(desktop);
        shell.start();
        if (okPressed)
            QTest::mouseClick(shell.splash()->findChild<QPushButton*>("Command1"), Qt::LeftButton);
        if (signal)
            std::raise(signal);
        else
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        QTimer::singleShot(60000, [] { QCoreApplication::exit(1); });
        QCOMPARE(QApplication::exec(), 0);
        const QByteArray log = contents(desktop.exitLogPath());
        QCOMPARE(log.size(), okPressed ? 81 : 0);
        QCOMPARE(log.count("Without using the Exit-button"), okPressed ? 1 : 0);
    }

    void layout()
    {
        struct Control {
            const char* window;
            const char* name;
            QRect twips;
            QString text;
        };
        const Control controls[] = {
            {"Form1", "Picture1", {495, 90, 3945, 1245}, {}},
            {"Form1", "Label1", {300, 1395, 4320, 540}, "Quillox\u2122 for Windows\u00AE"},
            {"Form1", "Label2", {285, 1800, 1620, 270}, "Version 1.25 (11-2000)"},
            {"Form1", "Command1", {4065, 2490, 945, 270}, "&OK"},
            {"Form2", "Label3", {600, 0, 2895, 735}, " Quillox"},
            {"Form2", "Label8", {3255, 90, 600, 240}, "1.25"},
            {"Form2", "Label4", {360, 600, 3975, 255}, "Made by the Quillox developers"},
            {"Form2", "Picture1", {0, 960, 975, 975}, {}},
            {"Form2", "Label1", {1080, 960, 3015, 255}, makersWebAddress()},
            {"Form2", "Label2", {1080, 1440, 3135, 255}, makersMailAddress()},
            {"Form2", "Label5", {120, 1920, 2655, 255}, "All exits are logged into ~/quillox.ini"},
            {"Form2", "Label6", {120, 2160, 495, 255}, "Size:"},
            {"Form2", "Label7", {600, 2160, 2175, 255}, NoLog},
            {"Form2", "Command2", {120, 2400, 1095, 255}, "Clear quillox.ini"},
            {"Form2", "Command1", {3480, 2280, 735, 375}, "Thanks"},
            {"Form3", "Text1", {120, 120, 6615, 4575}, {}},
            {"Form3", "Command1", {5865, 4755, 975, 315}, "Close"},
        };
        for (const Control& control : controls) {
            QWidget* widget = windowNamed(control.window)->findChild<QWidget*>(control.name);
            const QRect& twips = control.twips;
            QCOMPARE(widget->geometry(), QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15,
                                               twips.height() / 15));
            if (auto* label = qobject_cast<QLabel*>(widget); label && !control.text.isEmpty()) {
                QCOMPARE(label->text(), control.text);
                QVERIFY2(QFontMetricsF(label->font()).horizontalAdvance(control.text) <=
                             label->contentsRect().width(),
                         control.name);
            }
            if (auto* button = qobject_cast<QPushButton*>(widget))
                QCOMPARE(button->text(), control.text);
        }
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
        QCOMPARE(widget->minimumSize(), clientSize);
        QCOMPARE(widget->maximumSize(), clientSize);
        QCOMPARE(widget->windowTitle(), title);
        const Qt::WindowFlags flags = widget->windowFlags();
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(!widget->parentWidget());
    }

    void aboutLooks()
    {
        QWidget* about = windowNamed("Form2");
        const auto label = [about](const char* name) { return about->findChild<QLabel*>(name); };
        const auto colour = [&label](const char* name) {
            return label(name)->palette().color(QPalette::WindowText);
        };
        QCOMPARE(about->palette().color(QPalette::Window), QColor(134, 125, 134));
        QCOMPARE(colour("Label8"), QColor(255, 0, 0));
        QCOMPARE(colour("Label4"), QColor(255, 255, 0));
        QCOMPARE(colour("Label1"), QColor(0, 0, 128));
        QCOMPARE(colour("Label7"), QColor(255, 255, 0));
        QVERIFY(label("Label1")->font().underline());
        QCOMPARE(label("Label2")->cursor().shape(), Qt::UpArrowCursor);
        QCOMPARE(about->focusWidget(), about->findChild<QWidget*>("Command1"));
        QCOMPARE(windowNamed("Form3")->palette().color(QPalette::Window), QColor(Qt::black));
    }

    void pictures()
    {
        // The banner's box shows its top rows only; below them lies nothing but texture.
        auto* picture = windowNamed("Form1")->findChild<QLabel*>("Picture1");
        const QImage image = picture->pixmap().toImage();
        QCOMPARE(image.size(), QSize(259, 87));
        const QList<QRgb> texture = {qRgb(212, 208, 200), qRgb(222, 219, 212), qRgb(204, 200, 191)};
        for (int y = picture->contentsRect().height(); y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                QVERIFY2(texture.contains(image.pixel(x, y)), qPrintable(QString::number(y)));
        // Scaled screens get the pictures drawn at twice the size.
        for (const char* name : {"banner.bmp", "logo-60.png", "quillox-32.png", "about-32.png"}) {
            const QString path = QStringLiteral(":/quillox/") + QLatin1String(name);
            const QPixmap plain = resourcePicture(path, 1), sharp = resourcePicture(path, 1.5);
            QCOMPARE(plain.devicePixelRatio(), 1.0);
            QCOMPARE(sharp.devicePixelRatio(), 2.0);
            QCOMPARE(sharp.size(), plain.size() * 2);
        }
    }

    void secondaryWindows()
    {
        pressOk();
        openSecondaryWindows();
        QPointer<AboutWindow> about = shell_->aboutWindow();
        QPointer<HelpWindow> help = shell_->helpWindow();
        QScrollBar* scroll = help->findChild<QPlainTextEdit*>("Text1")->verticalScrollBar();
        scroll->setValue(40);
        const int scrolled = scroll->value();
        // Their own buttons hide them; opened again they are the same windows.
        about->findChild<QPushButton*>("Command1")->click();
        help->findChild<QPushButton*>("Command1")->click();
        deleteClosedWindows();
        QVERIFY(!about->isVisible() && !help->isVisible());
        openSecondaryWindows();
        QCOMPARE(shell_->aboutWindow(), about.data());
        QCOMPARE(shell_->helpWindow(), help.data());
        QCOMPARE(scroll->value(), scrolled);
        // Closed, they are made afresh.
        QVERIFY(about->close() && help->close());
        deleteClosedWindows();
        QVERIFY(!about && !help);
        openSecondaryWindows();
        QVERIFY(shell_->aboutWindow()->isVisible() && shell_->helpWindow()->isVisible());
        QVERIFY(shell_->mainWindow()->isVisible());
        QCOMPARE(platform_->endRequests, 0);
    }

    void aboutShowsAndClearsTheLog()
    {
        pressOk();
        trigger("sa");
        AboutWindow* about = shell_->aboutWindow();
        QCOMPARE(sizeLabel(about), NoLog);
        writeFile(platform_->logPath, exitRecord({1, 2, 3}, {2001, 3, 3}, WayOfClosing::Other));
        QCOMPARE(sizeLabel(about), NoLog);
        activate(about);
        QCOMPARE(sizeLabel(about), QStringLiteral("81 b"));
        about->findChild<QPushButton*>("Command2")->click();
        QVERIFY(!QFileInfo::exists(platform_->logPath));
        activate(about);
        QCOMPARE(sizeLabel(about), NoLog);
        QVERIFY(platform_->messages.isEmpty());
        // A log that cannot be deleted or measured is reported, the size once.
        about->findChild<QPushButton*>("Command2")->click();
        QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("quillox.ini")));
        activate(about);
        activate(about);
        QCOMPARE(platform_->messages.size(), 2);
        for (const auto& message : std::as_const(platform_->messages))
            QVERIFY(message.text.startsWith(platform_->logPath + ": "));
    }

    void links()
    {
        QWidget* about = windowNamed("Form2");
        QTest::mouseClick(about->findChild<QLabel*>("Label1"), Qt::LeftButton);
        QTest::mouseClick(about->findChild<QLabel*>("Label2"), Qt::LeftButton);
        QTest::mouseClick(about->findChild<QLabel*>("Label2"), Qt::RightButton);
        QCOMPARE(platform_->openedUrls,
                 QList<QUrl>({QUrl(makersWebAddress()), QUrl("mailto:" + makersMailAddress())}));
        QCOMPARE(QUrl(makersWebAddress()).scheme(), QStringLiteral("https"));
    }

    void tutorial()
    {
        const QByteArray text = tutorialText();
        QCOMPARE(text.size(), 6073);
        QCOMPARE(text.count("\r\n"), 185);
        QCOMPARE(text.count('\n') + text.count('\r'), 2 * 185);
        QVERIFY(text.endsWith("\r\n"));
        // Drawings are made of 0 and 1, which are equally wide in any font.
        QVERIFY(!text.contains('#'));
        auto* box = windowNamed("Form3")->findChild<QPlainTextEdit*>("Text1");
        QCOMPARE(box, box->window()->focusWidget());
        QVERIFY(box->isReadOnly());
        QCOMPARE(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(box->toPlainText().toLatin1(), QByteArray(text).replace("\r\n", "\n"));
        qsizetype longest = 0;
        for (const QByteArray& line : text.split('\n')) {
            longest = std::max(longest, line.size() - 1);
            QVERIFY(std::all_of(line.begin(), line.end(), [](char c) { return c > 0; }));
            // Headings' underlines fit on one line of the box.
            if (line.startsWith("--") || line.startsWith("=="))
                QVERIFY2(box->fontMetrics().horizontalAdvance(QString::fromLatin1(line.trimmed())) <
                             box->viewport()->width(),
                         line.constData());
        }
        QCOMPARE(longest, qsizetype(102));
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
        writeFile(path, "010201\r\n");
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

    void openSecondaryWindows()
    {
        trigger("sa");
        trigger("ds");
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

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<ScriptedPlatform> platform_;
    std::unique_ptr<ApplicationShell> shell_;
};

QTEST_MAIN(ApplicationShellTest)
#include "tst_applicationshell.moc"
