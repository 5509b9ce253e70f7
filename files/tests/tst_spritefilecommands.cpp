#include "codebox.h"
#include "filewrite.h"
#include "mainwindow.h"
#include "scriptedplatform.h"
#include "spritecode.h"
#include "spritefile.h"
#include "testfiles.h"

#include <QLabel>
#include <QtTest>

#include <random>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace quillox;

namespace
{

// Makes a folder unwritable; the superuser, whom permissions do not bind,
// gets an immutable folder instead.
bool setFolderLocked(const QString& path, bool locked)
{
    const QByteArray name = QFile::encodeName(path);
    if (::geteuid() != 0)
        return ::chmod(name.constData(), locked ? 0555 : 0755) == 0;
    const int folder = ::open(name.constData(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    bool done = folder >= 0 && ::ioctl(folder, FS_IOC_GETFLAGS, &flags) == 0;
    flags = locked ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    done = done && ::ioctl(folder, FS_IOC_SETFLAGS, &flags) == 0;
    if (folder >= 0)
        ::close(folder);
    return done;
}

} // namespace

class SpriteFileCommandsTest : public QObject
{
    Q_OBJECT
private:
    // Everything an open may change.
    auto state() const
    {
        return std::make_tuple(window->grid().colours(), window->codeText(),
                               window->findChild<QLabel*>(QStringLiteral("Label1"))->text());
    }
    void open(const QString& path)
    {
        platform->fileAnswers.push_back(path);
        window->OpenSprite();
    }
    void save(const QString& path)
    {
        platform->fileAnswers.push_back(path);
        window->SaveSprite();
    }
    QStringList files() const
    {
        return QDir(dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
    void drawRandomly()
    {
        std::mt19937 random(3);
        for (int index = 1; index <= SpriteGrid::CellCount; ++index)
            if (random() % 2)
                window->clickCell(index);
    }

private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        platform = std::make_unique<ScriptedPlatform>();
        window = std::make_unique<MainWindow>(*platform);
    }

    void cleanup() { setFolderLocked(dir->filePath(QStringLiteral("locked")), false); }

    void saveAndOpenShareTheDialog()
    {
        window->setColumnSliderPosition(13);
        window->setRowSliderPosition(14);
        for (int index : {208, 210, 224, 1, 100})
            window->clickCell(index);
        const QString path = dir->filePath(QStringLiteral("example.spr"));
        save(path);
        QCOMPARE(contents(path), QByteArray("0203101010\r\n"));
        QCOMPARE(platform->saveRequests[0].title, QStringLiteral("Save Sprite as *.spr"));
        QCOMPARE(platform->saveRequests[0].filter, QStringLiteral("Quillox (*.spr)|*.spr"));
        open(path);
        QCOMPARE(platform->openRequests[0].title, QStringLiteral("Open Sprite"));
        QCOMPARE(platform->openRequests[0].fileName, path);
        QCOMPARE(platform->openRequests[0].filter, platform->saveRequests[0].filter);
        // The colour dialog leaves the file dialog's state alone.
        platform->colourAnswers.push_back(QColor(Qt::red));
        window->SetCodeBackColour();
        save(dir->filePath(QStringLiteral("other.spr")));
        QCOMPARE(platform->saveRequests[1].fileName, path);
        QVERIFY(platform->messages.isEmpty());
    }

    void open_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("code"); // empty: the cells are kept
        QTest::newRow("worked example") << QByteArray("0203101010\r\n") << "2 x 3"
                                        << "\t.db\t%101\r\n\t.db\t%010";
        QTest::newRow("bad height, width applied") << QByteArray(" 10301") << "8 x 3"
                                                   << "";
        QTest::newRow("valid height, bad width") << QByteArray("0216") << "2 x 8"
                                                 << "";
        // An empty file empties the buffer and changes no size and no cell.
        QTest::newRow("empty") << QByteArray() << "8 x 8"
                               << "";
    }

    void open()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, label);
        QFETCH(QString, code);
        drawRandomly();
        const auto before = window->grid().colours();
        writeFile(dir->filePath(QStringLiteral("input.spr")), file);
        open(dir->filePath(QStringLiteral("input.spr")));
        QCOMPARE(window->findChild<QLabel*>(QStringLiteral("Label1"))->text(), label);
        QCOMPARE(window->text2(), file.toStdString());
        QCOMPARE(window->codeText(),
                 code.isEmpty() ? QString::fromStdString(spriteCode(window->grid())) : code);
        QVERIFY(!code.isEmpty() || window->grid().colours() == before);
    }

    void hugeFileIsReadBounded()
    {
        const QString path = dir->filePath(QStringLiteral("huge.spr"));
        writeFile(path, "0203101010\r\n");
        QVERIFY(QFile::resize(path, qint64(3) << 30));
        open(path);
        QCOMPARE(window->text2().size(), MaxSpriteFileRead);
        QCOMPARE(window->codeText(), QStringLiteral("\t.db\t%101\r\n\t.db\t%010"));
    }

    void cancelDoesNothing_data()
    {
        QTest::addColumn<QString>("command");
        for (const char* command : {"sprite save", "sprite open", "code save", "colour"})
            QTest::newRow(command) << command;
    }

    void cancelDoesNothing()
    {
        QFETCH(QString, command);
        writeFile(dir->filePath(QStringLiteral("previous.spr")), "0303111111111\r\n");
        open(dir->filePath(QStringLiteral("previous.spr")));
        drawRandomly();
        auto* box = window->findChild<CodeBox*>(QStringLiteral("source"));
        const auto before = std::make_tuple(state(), box->backgroundColour(), window->text2());
        platform->fileAnswers.push_back(std::nullopt);
        if (command == "sprite save")
            window->SaveSprite(); // builds its buffer before it asks for the name
        else if (command == "sprite open")
            window->OpenSprite();
        else if (command == "code save")
            window->SaveCodeFile();
        else
            window->SetCodeBackColour();
        QCOMPARE(files(), QStringList{"previous.spr"});
        QCOMPARE(contents(dir->filePath(QStringLiteral("previous.spr"))),
                 QByteArray("0303111111111\r\n"));
        QVERIFY(platform->messages.isEmpty());
        QVERIFY(std::make_tuple(state(), box->backgroundColour(),
                                command == "sprite save" ? std::get<2>(before) : window->text2()) ==
                before);
    }

    void windowReportsFailures_data()
    {
        QTest::addColumn<bool>("saving");
        QTest::addColumn<QString>("message");
        QTest::newRow("save") << true << "The sprite could not be saved as \"%1\":\nFile too large";
        QTest::newRow("open") << false
                              << "The sprite file \"%1\" could not be opened:\nNot a regular file";
    }

    void windowReportsFailures()
    {
        QFETCH(bool, saving);
        QFETCH(QString, message);
        const QString path = dir->filePath(QStringLiteral("kept.spr"));
        if (saving)
            writeFile(path, "01011\r\n");
        else
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        drawRandomly();
        const auto before = state();
        if (saving) {
            // The write fails while the last bytes are flushed, before the temporary
            // would replace the file.
            const FileSizeLimit limit(8);
            save(path);
        } else {
            open(path); // opened blocking, the pipe would wait for a writer forever
        }
        QCOMPARE(platform->messages.size(), 1);
        QCOMPARE(platform->messages[0].text, message.arg(path));
        QCOMPARE(platform->messages[0].title, QStringLiteral("Quillox"));
        QVERIFY(state() == before);
        QCOMPARE(files(), QStringList{"kept.spr"});
        QVERIFY(!saving || contents(path) == "01011\r\n");
    }

    void failuresNameTheReason_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("readReason");
        QTest::addColumn<QString>("writeReason");
        const QString missing = "No such file or directory", folder = "Is a directory";
        const QString special = "Not a regular file", loop = "Too many levels of symbolic links";
        const QString tooLong = "File name too long", noName = "No file name was given.";
        QTest::newRow("missing folder") << "missing/s.spr" << missing << missing;
        QTest::newRow("folder") << "folder" << folder << folder;
        QTest::newRow("new name in a locked folder")
            << "locked/new.spr" << missing
            << (::geteuid() ? "Permission denied" : "Operation not permitted");
        QTest::newRow("named pipe") << "pipe.spr" << special << special;
        QTest::newRow("device") << "/dev/full" << special << "No space left on device";
        QTest::newRow("name too long") << QString(300, 'n') << tooLong << tooLong;
        QTest::newRow("link loop") << "loop.spr" << loop << loop;
        QTest::newRow("no name") << "" << noName << noName;
    }

    void failuresNameTheReason()
    {
        QFETCH(QString, name);
        QFETCH(QString, readReason);
        QFETCH(QString, writeReason);
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("folder")));
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("locked")));
        QCOMPARE(::mkfifo(QFile::encodeName(dir->filePath("pipe.spr")).constData(), 0600), 0);
        QCOMPARE(::symlink("loop.spr", QFile::encodeName(dir->filePath("loop.spr")).constData()),
                 0);
        if (name.startsWith("locked") && !setFolderLocked(dir->filePath("locked"), true))
            QSKIP("this file system cannot lock a folder");
        const QString path = name.isEmpty() || name.startsWith('/') ? name : dir->filePath(name);
        std::string read;
        WriteFailure failure;
        QVERIFY(!readRegularFile(path, 64, read, failure));
        QCOMPARE(failure.reason, readReason);
        QVERIFY(!writeWholeFile(path, "01011\r\n", failure));
        QCOMPARE(failure.reason, writeReason);
        QCOMPARE(files(), QStringList({"loop.spr", "pipe.spr"}));
    }

    void inPlaceWhenOnlyTheFileIsWritable()
    {
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("locked")));
        const QString path = dir->filePath(QStringLiteral("locked/sprite.spr"));
        writeFile(path, "01011\r\n, longer than the new file");
        if (!setFolderLocked(dir->filePath(QStringLiteral("locked")), true))
            QSKIP("this file system cannot lock a folder");
        WriteFailure failure;
        QVERIFY(writeWholeFile(path, "01010\r\n", failure));
        QCOMPARE(contents(path), QByteArray("01010\r\n"));
    }

    void temporariesAreHiddenAndStaleOnesRemoved()
    {
        const QString path = dir->filePath(QStringLiteral("sprite.spr"));
        writeFile(dir->filePath(QStringLiteral(".other.spr.quillox-abcdef")), "another file's");
        // A save killed after writing, before its rename.
        if (const pid_t child = ::fork(); child == 0) {
            WriteFailure failure;
            auto* killed = new FileReplacement(path);
            ::_exit(killed->open(failure) && killed->write("0101", 4, failure) ? 0 : 1);
        } else {
            int status = 0;
            QCOMPARE(::waitpid(child, &status, 0), child);
            QCOMPARE(status, 0);
        }
        QVERIFY(files().size() == 2 && files().last().startsWith(".sprite.spr.quillox-"));
        WriteFailure failure;
        QVERIFY(writeWholeFile(path, "01011\r\n", failure));
        const QStringList saved{".other.spr.quillox-abcdef", "sprite.spr"};
        QCOMPARE(files(), saved);
        // A save still running keeps its temporary.
        FileReplacement running(path);
        QVERIFY(running.open(failure) && writeWholeFile(path, "01011\r\n", failure));
        QCOMPARE(files().size(), 3);
        QVERIFY(running.write("0101", 4, failure) && running.commit(failure));
        QCOMPARE(files(), saved);
        QCOMPARE(contents(path), QByteArray("0101"));
    }

private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<ScriptedPlatform> platform;
    std::unique_ptr<MainWindow> window;
};

QTEST_MAIN(SpriteFileCommandsTest)
#include "tst_spritefilecommands.moc"
