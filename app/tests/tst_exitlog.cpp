#include "exitlog.h"
#include "qtplatform.h"
#include "scriptedplatform.h"
#include "testfiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quillox;

class ExitLogTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        platform_ = std::make_unique<ScriptedPlatform>();
        platform_->logPath = dir_->filePath(QStringLiteral("quillox.ini"));
    }

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

    void unwritableLog_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"missing folder", "folder", "named pipe", "read-only file"})
            QTest::newRow(kind) << kind;
    }

    void unwritableLog()
    {
        QFETCH(QString, kind);
        QString& path = platform_->logPath;
        if (kind == "missing folder")
            path = dir_->filePath(QStringLiteral("gone/quillox.ini"));
        else if (kind == "folder")
            QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("quillox.ini")));
        else if (kind == "named pipe") // opened blocking, it would wait for a reader forever
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (::geteuid() == 0)
            QSKIP("root may write any file");
        else {
            writeFile(path, "kept");
            QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
        }
        const std::optional<QString> failure = appendExitRecord(*platform_, WayOfClosing::Other);
        QVERIFY(failure && failure->startsWith(path + ": "));
        QCOMPARE(QFileInfo::exists(path), kind != "missing folder");
        if (kind == "read-only file")
            QCOMPARE(contents(path), QByteArray("kept"));
    }

    void recordIsWholeOrNothing_data()
    {
        QTest::addColumn<QByteArray>("log");
        QTest::newRow("earlier records") << QByteArray("earlier records");
        QTest::newRow("no log") << QByteArray();
    }

    void recordIsWholeOrNothing()
    {
        QFETCH(QByteArray, log);
        if (!log.isNull())
            writeFile(platform_->logPath, log);
        std::optional<QString> failure;
        {
            const FileSizeLimit limit(40);
            failure = appendExitRecord(*platform_, WayOfClosing::Other);
        }
        QCOMPARE(failure, platform_->logPath + QStringLiteral(": File too large"));
        QCOMPARE(QFileInfo::exists(platform_->logPath), !log.isNull());
        QCOMPARE(contents(platform_->logPath), log);
    }

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
        const QString shown = displayedLogPath(folder + QStringLiteral("/quillox.ini"));
        qputenv("HOME", kept);
        QCOMPARE(path, folder + QStringLiteral("/quillox.ini"));
        QCOMPARE(shown, QStringLiteral("~/quillox.ini"));
        QCOMPARE(displayedLogPath(QStringLiteral("/var/q.ini")), QStringLiteral("/var/q.ini"));
    }

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<ScriptedPlatform> platform_;
};

QTEST_GUILESS_MAIN(ExitLogTest)
#include "tst_exitlog.moc"
