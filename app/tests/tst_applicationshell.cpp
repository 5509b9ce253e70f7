#include "app/aboutwindow.h"
#include "app/applicationshell.h"
#include "app/commandline.h"
#include "app/exitlog.h"
#include "app/helpwindow.h"
#include "app/module1.h"
#include "app/splashwindow.h"
#include "editor/mainwindow.h"
#include "platform/qtplatform.h"
#include "platform/scriptedplatform.h"
#include "tests/support/controlplaces.h"
#include "tests/support/testfiles.h"

#include <QtWidgets>

#include <csignal>

#ifndef Q_OS_WIN
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace quillox;

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

    void cleanup() { shell_.reset(); }

    void recordsAreAppended()
    {
        writeFile(platform_->logPath, "earlier");
        platform_->time = QTime(14, 5, 9);
        QCOMPARE(appendExitRecord(*platform_, WayOfClosing::ExitCommand), std::nullopt);
        QCOMPARE(platform_->clockReadings, QStringList({"time", "date"}));
        platform_->time = QTime(0, 0, 0);
        platform_->date = QDate(999, 1, 9);
        QCOMPARE(appendExitRecord(*platform_, WayOfClosing::Other), std::nullopt);
        QCOMPARE(contents(platform_->logPath),
                 "earlier\r\nQuillox v.1.25 was closed: 14:05:09 03-03-2001  With the Exit-button"
                 "\r\n\r\nQuillox v.1.25 was closed: 00:00:00 01-09-0999  Without using the "
                 "Exit-button\r\n");
    }

    void badLogsChangeNothing()
    {
#ifdef Q_OS_WIN
        // A device name is no file: the record is refused, never written to the device.
        platform_->logPath = dir_->filePath(QStringLiteral("NUL"));
        QCOMPARE(appendExitRecord(*platform_, WayOfClosing::Other),
                 QDir::toNativeSeparators(platform_->logPath) + ": Not a regular file");
#else
        // A record cut short by a file size limit, as by a full disk, is taken back.
        for (const QByteArray& log : {QByteArray(), QByteArray("earlier records")}) {
            if (!log.isNull())
                writeFile(platform_->logPath, log);
            QCOMPARE(underFileSizeLimit(
                         40, [this] { return appendExitRecord(*platform_, WayOfClosing::Other); }),
                     platform_->logPath + QStringLiteral(": File too large"));
            QCOMPARE(QFileInfo::exists(platform_->logPath), !log.isNull());
            QCOMPARE(contents(platform_->logPath), log);
        }
        // The pipe, opened blocking, would wait for a reader forever.
        QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("folder")));
        QCOMPARE(::mkfifo(QFile::encodeName(dir_->filePath("pipe")).constData(), 0600), 0);
        for (const char* name : {"folder: Is a directory", "pipe: Not a regular file"}) {
            platform_->logPath = dir_->filePath(QString::fromLatin1(name).section(':', 0, 0));
            QCOMPARE(appendExitRecord(*platform_, WayOfClosing::Other), dir_->filePath(name));
        }
#endif
    }

    void logHome()
    {
#ifdef Q_OS_WIN
        QCOMPARE(QtPlatform().exitLogPath(), QStringLiteral("C:\\quillox.ini"));
        QCOMPARE(displayedLogPath(QStringLiteral("C:\\quillox.ini")),
                 QStringLiteral("c:\\quillox.ini"));
#else
        const QByteArray kept = qgetenv("HOME");
        const QString user = QFile::decodeName(::getpwuid(::getuid())->pw_dir);
        for (const auto& [home, folder] :
             {std::pair{QByteArray("/some/home"), QString("/some/home")},
              {QByteArray(""), user},
              {QByteArray(), user}}) {
            home.isNull() ? qunsetenv("HOME") : qputenv("HOME", home);
            const QString path = QtPlatform().exitLogPath(), shown = displayedLogPath(path);
            qputenv("HOME", kept);
            QCOMPARE(path, folder + QStringLiteral("/quillox.ini"));
            QCOMPARE(shown, QStringLiteral("~/quillox.ini"));
        }
        QCOMPARE(displayedLogPath(QStringLiteral("/var/q.ini")), QStringLiteral("/var/q.ini"));
#endif
    }

    void okOpensTheMainWindowWithTheCommandLinesFile()
    {
        const QString path = dir_->filePath(QStringLiteral("s.spr"));
        writeFile(path, "010201\r\n");
        shell_ = std::make_unique<ApplicationShell>(*platform_);
        shell_->start(path);
        QVERIFY(shell_->splash()->isVisible());
        QVERIFY(!shell_->mainWindow());
        pressOk();
        QVERIFY(!shell_->splash()->isVisible());
        QVERIFY(shell_->mainWindow());
        QVERIFY(shell_->mainWindow()->isVisible());
        QVERIFY(!shell_->mainWindow()->parentWidget());
        QCOMPARE(shell_->mainWindow()->codeText(), QStringLiteral("\t.db\t%01"));
        QCOMPARE(shell_->mainWindow()->commonDialog1().fileName, path);
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
        QTest::addColumn<bool>("logWritable");
        QTest::newRow("Exit") << true << true;
        QTest::newRow("closed") << false << true;
        QTest::newRow("Exit, the log's folder missing") << true << false;
    }

    void ending()
    {
        QFETCH(bool, byExitCommand);
        QFETCH(bool, logWritable);
        if (!logWritable)
            platform_->logPath = dir_->filePath(QStringLiteral("missing/quillox.ini"));
        openSecondaryWindows();
        if (byExitCommand)
            trigger("sdfdsf");
        // The window system closes the window the Exit command left open.
        QVERIFY(shell_->mainWindow()->close());
        const WayOfClosing way = byExitCommand ? WayOfClosing::ExitCommand : WayOfClosing::Other;
        QCOMPARE(contents(platform_->logPath),
                 logWritable ? exitRecord(platform_->time, platform_->date, way) : "");
        QCOMPARE(platform_->messages.size(), logWritable ? 0 : 1);
        QVERIFY(logWritable || platform_->messages[0].text.startsWith(
                                   QDir::toNativeSeparators(platform_->logPath) + ": "));
        QCOMPARE(platform_->endRequests, 1);
    }

    void systemAsksToEnd_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("okPressed");
        // Signal 0 stands for the session's end quitting the application.
        QTest::newRow("session end on the splash") << 0 << false;
        QTest::newRow("session end") << 0 << true;
#ifndef Q_OS_WIN
        QTest::newRow("SIGTERM") << SIGTERM << true;
        QTest::newRow("SIGHUP") << SIGHUP << true;
        QTest::newRow("SIGINT") << SIGINT << true;
#endif
    }

    void systemAsksToEnd()
    {
        QFETCH(int, signal);
        QFETCH(bool, okPressed);
        if (signal)
            std::signal(signal, SIG_DFL);
        QtPlatform desktop;
        // The Windows log, C:\quillox.ini, is shared: only what the run adds counts.
        const qsizetype before = contents(desktop.exitLogPath()).size();
        shell_ = std::make_unique<ApplicationShell>(desktop);
        shell_->start();
        if (okPressed)
            openSecondaryWindows();
        if (signal)
            std::raise(signal);
        else
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        QCOMPARE(QApplication::exec(), 0);
        // 81 bytes: one record of an end without the Exit command.
        QCOMPARE(contents(desktop.exitLogPath()).size() - before, okPressed ? 81 : 0);
        for (QWidget* window : QApplication::topLevelWidgets())
            QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
        shell_.reset();
    }

    void windowsShowTheirWholeContent()
    {
        openSecondaryWindows();
        for (QWidget* window : std::initializer_list<QWidget*>{
                 shell_->splash(), shell_->aboutWindow(), shell_->helpWindow()}) {
            QCOMPARE(window->minimumSize(), window->maximumSize());
            QVERIFY(!window->parentWidget());
            for (QLabel* label : window->findChildren<QLabel*>())
                QVERIFY2(QFontMetricsF(label->font()).horizontalAdvance(label->text()) <=
                             label->contentsRect().width(),
                         qPrintable(label->text()));
        }
        // The banner's box shows its top rows only; below them lies nothing but texture.
        auto* picture = shell_->splash()->findChild<QLabel*>("Picture1");
        const QImage image = picture->pixmap().toImage();
        QCOMPARE(image.size(), QSize(259, 87));
        const QList<QRgb> texture = {qRgb(212, 208, 200), qRgb(222, 219, 212), qRgb(204, 200, 191)};
        for (int y = picture->contentsRect().height(); y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                QVERIFY2(texture.contains(image.pixel(x, y)), qPrintable(QString::number(y)));
        // The tutorial's drawings are made of 0 and 1, which are equally wide in any font, and
        // its headings' underlines fit on one line of the box.
        const QByteArray text = tutorialText();
        QVERIFY(!text.contains('#'));
        auto* box = shell_->helpWindow()->findChild<QPlainTextEdit*>("Text1");
        QCOMPARE(box->toPlainText().toLatin1(), QByteArray(text).replace("\r\n", "\n"));
        for (const QByteArray& line : text.split('\n'))
            if (line.startsWith("--") || line.startsWith("=="))
                QVERIFY2(box->fontMetrics().horizontalAdvance(QString::fromLatin1(line.trimmed())) <
                             box->viewport()->width(),
                         line.constData());
    }

    void describedLayout()
    {
        openSecondaryWindows();
        verifyPlaces(shell_->splash(), shell_->splash(),
                     {{"Picture1", 495, 90, 3945, 1245},
                      {"Label1", 300, 1395, 4320, 540, "Quillox\u2122 for Windows\u00AE", "Arial"},
                      {"Label2", 285, 1800, 1620, 270, "Version 1.25 (11-2000)"},
                      {"Command1", 4065, 2490, 945, 270, "&OK"}});
        verifyPlaces(
            shell_->aboutWindow(), shell_->aboutWindow(),
            {{"Label3", 600, 0, 2895, 735, " Quillox", "Impact"},
             {"Label8", 3255, 90, 600, 240, "1.25", "Small Fonts"},
             {"Label4", 360, 600, 3975, 255, "Made by the Quillox developers", "MS Sans Serif"},
             {"Picture1", 0, 960, 975, 975},
             {"Label1", 1080, 960, 3015, 255, makersWebAddress(), "MS Sans Serif"},
             {"Label2", 1080, 1440, 3135, 255, makersMailAddress(), "MS Sans Serif"},
             {"Label5", 120, 1920, 2655, 255, "All exits are logged into ~/quillox.ini"},
             {"Label6", 120, 2160, 495, 255, "Size:"},
             {"Label7", 600, 2160, 2175, 255, "File doesn\u00B4t exist."},
             {"Command2", 120, 2400, 1095, 255, "Clear quillox.ini", "Small Fonts"},
             {"Command1", 3480, 2280, 735, 375, "Thanks"}});
        verifyPlaces(
            shell_->helpWindow(), shell_->helpWindow(),
            {{"Text1", 120, 120, 6615, 4575}, {"Command1", 5865, 4755, 975, 315, "Close"}});
        const QList<std::tuple<QWidget*, QSize, QString>> sizes = {
            {shell_->splash(), {333, 183}, "Quillox"},
            {shell_->aboutWindow(), {286, 180}, "About"},
            {shell_->helpWindow(),
             {460, 340},
             "Thanks to the Quillox developers for this tutorial"}};
        for (const auto& [window, size, title] : sizes) {
            QCOMPARE(window->maximumSize(), size);
            QCOMPARE(window->windowTitle(), title);
            QCOMPARE(window->windowFlags() & Qt::WindowType_Mask, Qt::Tool);
        }
    }

    // Closed, the secondary windows are made afresh.
    void secondaryWindowsClosedAreMadeAfresh()
    {
        openSecondaryWindows();
        QPointer<QWidget> about = shell_->aboutWindow(), help = shell_->helpWindow();
        QVERIFY(about->close());
        QVERIFY(help->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!about);
        QVERIFY(!help);
        openSecondaryWindows();
        QVERIFY(shell_->aboutWindow()->isVisible());
        QVERIFY(shell_->helpWindow()->isVisible());
        QCOMPARE(platform_->endRequests, 0);
    }

    // Esc does what the window's button does: it hides the window, and shown
    // again it is the same window as it was.
    void escapeDoesWhatTheButtonDoes_data()
    {
        QTest::addColumn<bool>("inAbout");
        QTest::addColumn<QString>("focused");
        QTest::addColumn<bool>("clicked"); // the button clicked instead of Esc
        QTest::newRow("About, Thanks clicked") << true << "Command1" << true;
        QTest::newRow("About, on Thanks") << true << "Command1" << false;
        QTest::newRow("About, on Clear quillox.ini") << true << "Command2" << false;
        QTest::newRow("help, Close clicked") << false << "Command1" << true;
        QTest::newRow("help, in the tutorial") << false << "Text1" << false;
        QTest::newRow("help, on Close") << false << "Command1" << false;
    }

    void escapeDoesWhatTheButtonDoes()
    {
        QFETCH(bool, inAbout);
        QFETCH(QString, focused);
        QFETCH(bool, clicked);
        writeFile(platform_->logPath, "earlier");
        openSecondaryWindows();
        const auto window = [this, inAbout] {
            return inAbout ? static_cast<QWidget*>(shell_->aboutWindow()) : shell_->helpWindow();
        };
        QPointer<QWidget> pressed = window();
        QPointer<QWidget> other =
            inAbout ? static_cast<QWidget*>(shell_->helpWindow()) : shell_->aboutWindow();
        auto* tutorial = shell_->helpWindow()->findChild<QPlainTextEdit*>("Text1");
        QTextCursor cursor = tutorial->textCursor();
        cursor.setPosition(40);
        tutorial->setTextCursor(cursor);
        pressed->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(pressed));
        auto* child = pressed->findChild<QWidget*>(focused);
        child->setFocus();
        if (clicked)
            static_cast<QPushButton*>(child)->click();
        else
            QTest::keyClick(child, Qt::Key_Escape);
        QVERIFY(!pressed->isVisible());
        QVERIFY(other->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        openSecondaryWindows();
        QCOMPARE(window(), pressed.data());
        QVERIFY(pressed->isVisible());
        QCOMPARE(tutorial->textCursor().position(), 40);
        // Neither Esc nor the button is Clear quillox.ini.
        QCOMPARE(contents(platform_->logPath), "earlier");
        QVERIFY(platform_->messages.isEmpty());
    }

    void aboutWindow()
    {
        openSecondaryWindows();
        QWidget* about = shell_->aboutWindow();
        const auto size = [about] { return about->findChild<QLabel*>("Label7")->text(); };
        const auto activate = [about] {
            QEvent activation(QEvent::WindowActivate);
            QCoreApplication::sendEvent(about, &activation);
        };
        const QString noLog = QStringLiteral("File doesn\u00B4t exist.");
        QCOMPARE(size(), noLog);
        writeFile(platform_->logPath, exitRecord({1, 2, 3}, {2001, 3, 3}, WayOfClosing::Other));
        QCOMPARE(size(), noLog);
        activate();
        QCOMPARE(size(), QStringLiteral("81 b"));
        about->findChild<QPushButton*>("Command2")->click();
        QVERIFY(!QFileInfo::exists(platform_->logPath));
        QVERIFY(platform_->messages.isEmpty());
        activate();
        QCOMPARE(size(), noLog);
        // A log that cannot be deleted or measured is reported, the size once.
        QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("quillox.ini")));
        about->findChild<QPushButton*>("Command2")->click();
        activate();
        activate();
        QCOMPARE(platform_->messages.size(), 2);
        for (const auto& message : std::as_const(platform_->messages))
            QVERIFY(message.text.startsWith(QDir::toNativeSeparators(platform_->logPath) + ": "));
        // The makers' links.
        QTest::mouseClick(about->findChild<QLabel*>("Label1"), Qt::LeftButton);
        QTest::mouseClick(about->findChild<QLabel*>("Label2"), Qt::LeftButton);
        QTest::mouseClick(about->findChild<QLabel*>("Label2"), Qt::RightButton);
        QCOMPARE(platform_->openedUrls,
                 QList<QUrl>({QUrl(makersWebAddress()), QUrl("mailto:" + makersMailAddress())}));
    }

    void commandLine_data()
    {
        // Parsed: the action (run, help, version, usage error), then the file.
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("parsed");
        QTest::newRow("nothing") << QStringList() << "0 ";
        QTest::newRow("a file") << QStringList{"a.spr"} << "0 a.spr";
        QTest::newRow("help wins") << QStringList{"-x", "--help"} << "1 ";
        QTest::newRow("version") << QStringList{"--version", "a"} << "2 ";
        QTest::newRow("unknown option") << QStringList{"--bytes"} << "3 ";
        QTest::newRow("two files") << QStringList{"a", "b"} << "3 a";
        QTest::newRow("a file named like an option") << QStringList{"--", "-a.spr"} << "0 -a.spr";
    }

    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, parsed);
        const CommandLine line = parseCommandLine(QStringList{"quillox"} + arguments);
        QCOMPARE(QStringLiteral("%1 %2").arg(int(line.action)).arg(line.file), parsed);
        QCOMPARE(line.error.isEmpty(), line.action != CommandLine::Action::UsageError);
    }

private:
    void pressOk()
    {
        QTest::mouseClick(shell_->splash()->findChild<QPushButton*>("Command1"), Qt::LeftButton);
    }

    void trigger(const char* action)
    {
        shell_->mainWindow()->findChild<QAction*>(QString::fromLatin1(action))->trigger();
    }

    void openSecondaryWindows()
    {
        if (!shell_->mainWindow())
            pressOk();
        trigger("sa");
        trigger("ds");
    }

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<ScriptedPlatform> platform_;
    std::unique_ptr<ApplicationShell> shell_;
};

QTEST_MAIN(ApplicationShellTest)
#include "tst_applicationshell.moc"
