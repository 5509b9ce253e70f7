#include "editor/codebox.h"
#include "platform/filewrite.h"
#include "editor/mainwindow.h"
#include "platform/scriptedplatform.h"
#include "code/spritecode.h"
#include "files/spritefile.h"
#include "tests/support/testfiles.h"

#include <QLabel>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace quillox;

namespace
{

#ifdef Q_OS_WIN
bool setFolderLocked(const QString&, bool)
{
    return false;
}
#else
// Makes a folder unwritable; the superuser, whom permissions do not bind,
// gets an immutable folder instead.
bool setFolderLocked(const QString& path, bool locked)
{
    const QByteArray name = QFile::encodeName(path);
    if (::geteuid() != 0)
        return ::chmod(name.constData(), locked ? 0555 : 0755) == 0;
    const int folder = ::open(name.constData(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    const bool done =
        ::ioctl(folder, FS_IOC_GETFLAGS, &flags) == 0 &&
        ::ioctl(folder, FS_IOC_SETFLAGS,
                &(flags = locked ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL)) == 0;
    ::close(folder);
    return done;
}
#endif

} // namespace

class SpriteFileTest : public QObject
{
    Q_OBJECT

    auto state() const
    {
        return std::make_tuple(window->document().grid().colours(), window->codeText(), window->document().text2(),
                               window->findChild<QLabel*>(QStringLiteral("Label1"))->text());
    }
    void run(void (MainWindow::*command)(), const std::optional<QString>& answer)
    {
        platform->fileAnswers.push_back(answer);
        (window.get()->*command)();
    }
    QStringList files() const
    {
        return QDir(dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
    QString path(const char* name) const { return dir->filePath(QString::fromUtf8(name)); }

private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        platform = std::make_unique<ScriptedPlatform>();
        window = std::make_unique<MainWindow>(*platform);
        for (int index = 1; index <= SpriteGrid::CellCount; index += 7)
            window->document().clickCell(index);
    }

    void cleanup() { setFolderLocked(path("locked"), false); }

    void writer()
    {
        // Hidden cells are not written; any colour but white is written as 1.
        SpriteGrid grid;
        grid.setColumnPosition(16 - 9);
        grid.setRowPosition(16 - 10);
        grid.updateShownFlags();
        for (int index = 1; index <= SpriteGrid::CellCount; ++index)
            grid.setColour(index, grid.isShown(index) ? White : Black);
        grid.setColour(225, 0xFEFEFE);
        QCOMPARE(spriteFileBytes(spriteFileText(grid)), "1009" + std::string(89, '0') + "1\r\n");
    }

    void sizeField_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<int>("size");
        for (int size = 1; size <= 15; ++size)
            QTest::addRow("%02d", size) << QByteArray::number(size).rightJustified(2, '0') << size;
        for (const char* bad : {" 1", "1 ", "1", "00", "16", "99", "ab", "", "+1", "-1", "0x"})
            QTest::addRow("'%s'", bad) << QByteArray(bad) << 0;
    }

    void sizeField()
    {
        QFETCH(QByteArray, field);
        QFETCH(int, size);
        QCOMPARE(spriteSizeField(field.toStdString(), 0), size);
        QCOMPARE(spriteSizeField(("xx" + field).toStdString(), 2), size);
    }

    void saveAndOpenShareTheDialog()
    {
        window->document().NewSprite();
        window->document().setColumnSliderPosition(13);
        window->document().setRowSliderPosition(14);
        for (int index : {208, 210, 224, 1, 100})
            window->document().clickCell(index);
        // Any Unicode name.
        const QString example = path("example-\u00ff\u20ac\u4e2d\U0001F600.spr");
        run(&MainWindow::SaveSprite, example);
        QCOMPARE(contents(example), QByteArray("0203101010\r\n"));
        run(&MainWindow::OpenSprite, example);
        const FileDialogRequest& open = platform->openRequests[0];
        QCOMPARE(QStringList({open.title, open.fileName, open.filter}),
                 QStringList({"Open Sprite", example, "Quillox (*.spr)|*.spr"}));
        run(&MainWindow::SaveSprite, path("other.spr"));
        QCOMPARE(platform->saveRequests[1].fileName, example);
    }

    void open_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("code"); // none: the cells are kept
        QTest::newRow("worked example") << QByteArray("0203101010\r\n") << "2 x 3"
                                        << "\t.db\t%101\r\n\t.db\t%010";
        QTest::newRow("CR LF and past the end are black") << QByteArray("0203\r\n") << "2 x 3"
                                                          << "\t.db\t%111\r\n\t.db\t%111";
        QTest::newRow("any other character is black") << QByteArray("01040a 2") << "1 x 4"
                                                      << "\t.db\t%0111";
        QTest::newRow("bad height, width applied") << QByteArray(" 10301") << "8 x 3" << QString();
        // An empty file empties the buffer and changes no size and no cell.
        QTest::newRow("empty") << QByteArray() << "8 x 8" << QString();
    }

    void open()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, label);
        QFETCH(QString, code);
        const auto before = window->document().grid().colours();
        writeFile(path("input.spr"), file);
        run(&MainWindow::OpenSprite, path("input.spr"));
        QCOMPARE(window->findChild<QLabel*>(QStringLiteral("Label1"))->text(), label);
        QCOMPARE(window->document().text2(), file.toStdString());
        QCOMPARE(window->codeText(),
                 code.isNull() ? QString::fromStdString(spriteCode(window->document().grid())) : code);
        QVERIFY(!code.isNull() || window->document().grid().colours() == before);
    }

    void hugeFileIsReadBounded()
    {
        writeFile(path("huge.spr"), "0203101010\r\n");
        QVERIFY(QFile::resize(path("huge.spr"), qint64(3) << 30));
        run(&MainWindow::OpenSprite, path("huge.spr"));
        QCOMPARE(window->document().text2().size(), MaxSpriteFileRead);
    }

    void cancelDoesNothing()
    {
        auto* box = window->findChild<CodeBox*>(QStringLiteral("source"));
        const auto before = std::make_tuple(state(), box->backgroundColour());
        for (auto command :
             {&MainWindow::OpenSprite, &MainWindow::SaveCodeFile, &MainWindow::SetCodeBackColour})
            run(command, std::nullopt);
        QVERIFY(std::make_tuple(state(), box->backgroundColour()) == before);
        // The sprite save builds its buffer before it asks for the name.
        run(&MainWindow::SaveSprite, std::nullopt);
        QCOMPARE(window->codeText(), std::get<1>(std::get<0>(before)));
        QVERIFY(files().isEmpty() && platform->messages.isEmpty());
    }

    void failuresAreReportedAndChangeNothing()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows has no file size limit to stand for a full disk, nor named pipes");
#else
        // The save fails while its last bytes are flushed, before the temporary would replace
        // the file; the pipe, opened blocking, would wait for a writer forever.
        writeFile(path("kept.spr"), "01011\r\n");
        QCOMPARE(::mkfifo(QFile::encodeName(path("pipe.spr")).constData(), 0600), 0);
        underFileSizeLimit(8, [this] { return run(&MainWindow::SaveSprite, path("kept.spr")), 0; });
        const auto before = state();
        run(&MainWindow::OpenSprite, path("pipe.spr"));
        QVERIFY(state() == before);
        QCOMPARE(files(), QStringList({"kept.spr", "pipe.spr"}));
        QCOMPARE(contents(path("kept.spr")), QByteArray("01011\r\n"));
        QCOMPARE(platform->messages.size(), 2);
        QCOMPARE(platform->messages[0].text,
                 QStringLiteral("The sprite could not be saved as \"%1\":\nFile too large")
                     .arg(path("kept.spr")));
        QCOMPARE(platform->messages[1].text,
                 QStringLiteral("The sprite file \"%1\" could not be opened:\nNot a regular file")
                     .arg(path("pipe.spr")));
        QCOMPARE(platform->messages[1].title, QStringLiteral("Quillox"));
#endif
    }

    void failuresNameTheReason_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("readReason");
        QTest::addColumn<QString>("writeReason");
        // No write reason: the read's.
        const QString missing = "No such file or directory", none;
        QTest::newRow("folder") << "folder" << QString("Is a directory") << none;
        QTest::newRow("no name") << "" << QString("No file name was given.") << none;
#ifdef Q_OS_WIN
        QTest::newRow("device name") << "NUL" << QString("Not a regular file") << none;
#else
        // Windows words its reasons in the system's language.
        QTest::newRow("missing folder") << "missing/s.spr" << missing << none;
        QTest::newRow("new name in a locked folder")
            << "locked/new.spr" << missing
            << (::geteuid() ? "Permission denied" : "Operation not permitted");
        QTest::newRow("named pipe") << "pipe.spr" << QString("Not a regular file") << none;
        QTest::newRow("device") << "/dev/full" << QString("Not a regular file")
                                << QString("No space left on device");
        QTest::newRow("name too long")
            << QString(300, 'n') << QString("File name too long") << none;
        QTest::newRow("link loop")
            << "loop.spr" << QString("Too many levels of symbolic links") << none;
#endif
    }

    void failuresNameTheReason()
    {
        QFETCH(QString, name);
        QFETCH(QString, readReason);
        QFETCH(QString, writeReason);
        QVERIFY(QDir(dir->path()).mkdir("folder") && QDir(dir->path()).mkdir("locked"));
#ifdef Q_OS_WIN
        const QStringList special;
#else
        const QStringList special{"loop.spr", "pipe.spr"};
        QCOMPARE(::mkfifo(QFile::encodeName(path("pipe.spr")).constData(), 0600), 0);
        QCOMPARE(::symlink("loop.spr", QFile::encodeName(path("loop.spr")).constData()), 0);
#endif
        if (name.startsWith("locked") && !setFolderLocked(path("locked"), true))
            QSKIP("this file system cannot lock a folder");
        const QString file = name.isEmpty() || name.startsWith('/') ? name : dir->filePath(name);
        std::string read;
        WriteFailure failure;
        QVERIFY(!readRegularFile(file, 64, read, failure));
        QCOMPARE(failure.reason, readReason);
        QVERIFY(!writeWholeFile(file, "01011\r\n", failure));
        QCOMPARE(failure.reason, writeReason.isEmpty() ? readReason : writeReason);
        QCOMPARE(files(), special);
    }

    void inPlaceWhenOnlyTheFileIsWritable()
    {
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("locked")));
        writeFile(path("locked/sprite.spr"), "01011\r\n, longer than the new file");
        if (!setFolderLocked(path("locked"), true))
            QSKIP("this file system cannot lock a folder");
        WriteFailure failure;
        QVERIFY(writeWholeFile(path("locked/sprite.spr"), "01010\r\n", failure));
        QCOMPARE(contents(path("locked/sprite.spr")), QByteArray("01010\r\n"));
    }

    void temporariesAreHiddenAndStaleOnesRemoved()
    {
#ifdef Q_OS_WIN
        QSKIP("needs fork to kill a save half way");
#else
        writeFile(path(".other.spr.quillox-abcdef"), "another file's");
        // A save killed after writing, before its rename.
        if (const pid_t child = ::fork(); child == 0) {
            WriteFailure failure;
            auto* killed = new FileReplacement(path("sprite.spr"));
            ::_exit(killed->open(failure) && killed->write("0101", 4, failure) ? 0 : 1);
        } else {
            int status = 0;
            QVERIFY(::waitpid(child, &status, 0) == child && status == 0);
        }
        QVERIFY(files().size() == 2 && files().last().startsWith(".sprite.spr.quillox-"));
        WriteFailure failure;
        QVERIFY(writeWholeFile(path("sprite.spr"), "01011\r\n", failure));
        const QStringList saved{".other.spr.quillox-abcdef", "sprite.spr"};
        QCOMPARE(files(), saved);
        // A save still running keeps its temporary.
        FileReplacement running(path("sprite.spr"));
        QVERIFY(running.open(failure) && writeWholeFile(path("sprite.spr"), "01011\r\n", failure));
        QCOMPARE(files().size(), 3);
        QVERIFY(running.write("0101", 4, failure) && running.commit(failure));
        QCOMPARE(files(), saved);
        QCOMPARE(contents(path("sprite.spr")), QByteArray("0101"));
#endif
    }

private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<ScriptedPlatform> platform;
    std::unique_ptr<MainWindow> window;
};

QTEST_MAIN(SpriteFileTest)
#include "tst_spritefile.moc"
