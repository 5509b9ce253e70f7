#include "exitlog.h"
#include "qtplatform.h"
#include "scriptedplatform.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#ifndef Q_OS_WIN
#include <csignal>

#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace quillox;

Q_DECLARE_METATYPE(quillox::WayOfClosing)

class ExitLogTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        platform_ = std::make_unique<ScriptedPlatform>();
        platform_->logPath = dir_->filePath(QStringLiteral("quillox.ini"));
    }

    void recordBytes_data()
    {
        QTest::addColumn<WayOfClosing>("way");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("exit command")
            << WayOfClosing::ExitCommand << QTime(14, 5, 9) << QDate(2001, 3, 3)
            << QByteArray("\r\nQuillox v.1.25 was closed: 14:05:09 "
                          "03-03-2001  With the Exit-button\r\n");
        QTest::newRow("other closing")
            << WayOfClosing::Other << QTime(0, 0, 0) << QDate(2026, 12, 31)
            << QByteArray("\r\nQuillox v.1.25 was closed: 00:00:00 "
                          "12-31-2026  Without using the Exit-button"
                          "\r\n");
        QTest::newRow("last second of a day, short date fields")
            << WayOfClosing::ExitCommand << QTime(23, 59, 59) << QDate(999, 1, 9)
            << QByteArray("\r\nQuillox v.1.25 was closed: "
                          "23:59:59 01-09-0999  With the "
                          "Exit-button\r\n");
    }

    void recordBytes()
    {
        QFETCH(WayOfClosing, way);
        QFETCH(QTime, time);
        QFETCH(QDate, date);
        QFETCH(QByteArray, expected);
        platform_->time = time;
        platform_->date = date;
        QCOMPARE(appendExitRecord(*platform_, way), std::nullopt);
        QCOMPARE(contents(platform_->logPath), expected);
        QCOMPARE(expected.size(), way == WayOfClosing::ExitCommand ? 72 : 81);
    }

    void readsTimeBeforeDate()
    {
        QCOMPARE(appendExitRecord(*platform_, WayOfClosing::Other), std::nullopt);
        QCOMPARE(platform_->clockReadings, QStringList({"time", "date"}));
    }

    void appendsAfterWhatIsThere()
    {
        writeFile(platform_->logPath, "earlier");
        platform_->time = QTime(23, 59, 59);
        QCOMPARE(appendExitRecord(*platform_, WayOfClosing::ExitCommand), std::nullopt);
        platform_->date = platform_->date.addDays(1);
        QCOMPARE(appendExitRecord(*platform_, WayOfClosing::Other), std::nullopt);
        QCOMPARE(contents(platform_->logPath),
                 "earlier" +
                     exitRecord(QTime(23, 59, 59), QDate(2001, 3, 3), WayOfClosing::ExitCommand) +
                     exitRecord(QTime(23, 59, 59), QDate(2001, 3, 4), WayOfClosing::Other));
    }

    void unwritableLog_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing folder") << "missing folder";
        QTest::newRow("a folder") << "folder";
#ifdef Q_OS_WIN
        QTest::newRow("a device name") << "device";
#else
        QTest::newRow("a named pipe") << "fifo";
#endif
        QTest::newRow("read-only file") << "read-only";
    }

    void unwritableLog()
    {
        QFETCH(QString, kind);
        QString& path = platform_->logPath;
        if (kind == "missing folder") {
            path = dir_->filePath(QStringLiteral("gone/quillox.ini"));
        } else if (kind == "folder") {
            QVERIFY(QDir(dir_->path()).mkpath(QStringLiteral("quillox.ini")));
        } else if (kind == "device") {
            path = dir_->filePath(QStringLiteral("NUL"));
        } else if (kind == "fifo") {
#ifndef Q_OS_WIN
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else {
            if (geteuid() == 0)
                QSKIP("root may write any file");
#else
        } else {
#endif
            writeFile(path, "kept");
            QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
        }
        const std::optional<QString> failure = appendExitRecord(*platform_, WayOfClosing::Other);
        QVERIFY(failure.has_value());
        QVERIFY2(failure->contains(QDir::toNativeSeparators(path)), qPrintable(*failure));
        if (kind == "read-only")
            QCOMPARE(contents(path), QByteArray("kept"));
        if (kind == "missing folder")
            QVERIFY(!QFileInfo::exists(path));
    }

    void recordIsWholeOrNothing_data()
    {
        QTest::addColumn<QByteArray>("log");
        QTest::addColumn<bool>("present");
        QTest::newRow("earlier records") << QByteArray("earlier records") << true;
        QTest::newRow("no log") << QByteArray() << false;
    }

    void recordIsWholeOrNothing()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows has no file size limit to cut a write short");
#else
        // A file size limit cuts the record short, as a full disk does.
        QFETCH(QByteArray, log);
        QFETCH(bool, present);
        if (present)
            writeFile(platform_->logPath, log);
        struct rlimit previous;
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &previous) == 0);
        const auto handler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = previous;
        limit.rlim_cur = 40;
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &limit) == 0);
        const std::optional<QString> failure = appendExitRecord(*platform_, WayOfClosing::Other);
        ::setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, handler);
        QCOMPARE(failure, platform_->logPath + QStringLiteral(": File too large"));
        QCOMPARE(QFileInfo::exists(platform_->logPath), present);
        QCOMPARE(contents(platform_->logPath), log);
#endif
    }

#ifdef Q_OS_WIN
    void logOnWindows()
    {
        QCOMPARE(QtPlatform().exitLogPath(), QStringLiteral("C:\\quillox.ini"));
        QCOMPARE(displayedLogPath(QStringLiteral("C:\\quillox.ini")),
                 QStringLiteral("c:\\quillox.ini"));
    }
#else
    void logHome_data()
    {
        QTest::addColumn<QByteArray>("home");
        QTest::addColumn<QString>("folder");
        const QString userHome = QFile::decodeName(::getpwuid(::getuid())->pw_dir);
        QTest::newRow("HOME set") << QByteArray("/some/home") << "/some/home";
        QTest::newRow("HOME empty") << QByteArray("") << userHome;
        QTest::newRow("HOME unset") << QByteArray() << userHome;
    }

    void logHome()
    {
        QFETCH(QByteArray, home);
        QFETCH(QString, folder);
        const QByteArray kept = qgetenv("HOME");
        home.isNull() ? qunsetenv("HOME") : qputenv("HOME", home);
        const QString path = QtPlatform().exitLogPath();
        qputenv("HOME", kept);
        QCOMPARE(path, folder + QStringLiteral("/quillox.ini"));
    }
#endif

    void logSize_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("present");
        QTest::newRow("missing") << QByteArray() << false;
        QTest::newRow("empty") << QByteArray("") << true;
        QTest::newRow("one exit") << exitRecord({14, 5, 9}, {2001, 3, 3}, WayOfClosing::ExitCommand)
                                  << true;
    }

    void logSize()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, present);
        if (present)
            writeFile(platform_->logPath, bytes);
        const LogSize size = exitLogSize(platform_->logPath);
        QCOMPARE(size.state, present ? LogSize::State::Present : LogSize::State::Missing);
        QCOMPARE(size.bytes, qint64(bytes.size()));
    }

    void deleteLog()
    {
        writeFile(platform_->logPath, "log");
        QCOMPARE(deleteExitLog(platform_->logPath), std::nullopt);
        QVERIFY(!QFileInfo::exists(platform_->logPath));
        const std::optional<QString> second = deleteExitLog(platform_->logPath);
        QVERIFY(second.has_value());
        QVERIFY(second->contains(QDir::toNativeSeparators(platform_->logPath)));
    }

    void deleteLeavesAFolderAlone()
    {
        QVERIFY(QDir(dir_->path()).mkpath(QStringLiteral("quillox.ini")));
        QVERIFY(deleteExitLog(platform_->logPath).has_value());
        QVERIFY(QFileInfo(platform_->logPath).isDir());
    }

    void displayedPath()
    {
        QCOMPARE(displayedLogPath(QDir::home().filePath(QStringLiteral("quillox.ini"))),
                 QStringLiteral("~/quillox.ini"));
#ifndef Q_OS_WIN
        QCOMPARE(displayedLogPath(QStringLiteral("/var/log/quillox.ini")),
                 QStringLiteral("/var/log/quillox.ini"));
#endif
    }

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<ScriptedPlatform> platform_;
};

QTEST_GUILESS_MAIN(ExitLogTest)
#include "tst_exitlog.moc"
