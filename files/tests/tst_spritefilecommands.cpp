#include "codebox.h"
#include "filewrite.h"
#include "mainwindow.h"
#include "scriptedplatform.h"
#include "spritecode.h"
#include "spritefile.h"

#include <QLabel>
#include <QtTest>

#include <memory>
#include <random>

#ifndef Q_OS_WIN
#include <csignal>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace quillox;

namespace
{

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

#ifdef Q_OS_WIN
bool setFolderLocked(const QString&, bool)
{
    return false;
}

// Windows has no named pipes or links among files; its device names stand
// for them. Returns how many files were made.
int makeSpecialFiles(const QString&)
{
    return 0;
}
#else
// A named pipe and a link that loops. Returns how many files were made.
int makeSpecialFiles(const QString& folder)
{
    const QDir dir(folder);
    if (::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("pipe.spr"))).constData(), 0600) ||
        ::symlink("loop.spr", QFile::encodeName(dir.filePath("loop.spr")).constData()))
        return -1;
    return 2;
}

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
#endif

// Everything an open may change, to check that a failed one changed nothing.
struct Snapshot {
    std::array<Rgb, SpriteGrid::CellCount> colours;
    int width;
    int height;
    QString code;
    std::string buffer;
    bool operator==(const Snapshot& other) const
    {
        return colours == other.colours && width == other.width && height == other.height &&
               code == other.code && buffer == other.buffer;
    }
};

} // namespace

class SpriteFileCommandsTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void saveWritesActiveBlock();
    void saveTwiceReplaces();
    void open_data();
    void open();
    void openWithCurrentSizesRunsNoRefresh();
    void roundTripThroughWindowEverySize();
    void dialogStateIsShared();
    void cancelDoesNothing_data();
    void cancelDoesNothing();
    void saveFailureIsReportedAndKeepsOldFile_data();
    void saveFailureIsReportedAndKeepsOldFile();
    void saveFailureOnFullDiskKeepsOldFile();
    void saveInPlaceWhenOnlyTheFileIsWritable();
    void saveLeavesNoVisibleTemporary();
    void unreadableOpenChangesNothing_data();
    void unreadableOpenChangesNothing();
    void hugeFileIsReadBounded();

private:
    Snapshot snapshot() const
    {
        return {window->grid().colours(), window->grid().width(), window->grid().height(),
                window->codeText(), window->text2()};
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
    void drawRandomly(unsigned seed)
    {
        std::mt19937 random(seed);
        for (int index = 1; index <= SpriteGrid::CellCount; ++index)
            if (random() % 2)
                window->clickCell(index);
    }

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<ScriptedPlatform> platform;
    std::unique_ptr<MainWindow> window;
};

void SpriteFileCommandsTest::init()
{
    dir = std::make_unique<QTemporaryDir>();
    platform = std::make_unique<ScriptedPlatform>();
    window = std::make_unique<MainWindow>(*platform);
}

void SpriteFileCommandsTest::cleanup()
{
    setFolderLocked(dir->filePath(QStringLiteral("locked")), false);
    window.reset();
    platform.reset();
    dir.reset();
}

void SpriteFileCommandsTest::saveWritesActiveBlock()
{
    window->setColumnSliderPosition(13);
    window->setRowSliderPosition(14);
    for (int index : {208, 210, 224, 1, 100})
        window->clickCell(index);
    const QString path = dir->filePath(QStringLiteral("example.spr"));
    save(path);
    QCOMPARE(readAll(path), QByteArray("0203101010\r\n"));
    QCOMPARE(window->text2(), std::string("0203101010"));
    QVERIFY(platform->messages.isEmpty());
    QCOMPARE(platform->saveRequests.size(), 1);
    QCOMPARE(platform->saveRequests[0].title, QStringLiteral("Save Sprite as *.spr"));
    QCOMPARE(platform->saveRequests[0].filter, QStringLiteral("Quillox (*.spr)|*.spr"));
}

void SpriteFileCommandsTest::saveTwiceReplaces()
{
    // Any Unicode name, replaced atomically.
    const QString path = dir->filePath(QStringLiteral("twice-\u00ff\u20ac\u4e2d\U0001F600.spr"));
    save(path);
    window->clickCell(225);
    save(path);
    const QByteArray bytes = readAll(path);
    QCOMPARE(bytes.count("\r\n"), 1);
    QCOMPARE(bytes, QByteArray("0808" + QByteArray(63, '0') + "1\r\n"));
}

void SpriteFileCommandsTest::open_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("cellsKept");
    const QString prefix = QStringLiteral("\t.db\t%");
    QTest::newRow("worked example")
        << QByteArray("0203101010\r\n") << "2 x 3" << prefix + "101\r\n" + prefix + "010" << false;
    QTest::newRow("sizes only give black cells")
        << QByteArray("0203\r\n") << "2 x 3" << prefix + "111\r\n" + prefix + "111" << false;
    QTest::newRow("bad height, width applied")
        << QByteArray(" 10301") << "8 x 3" << QString() << true;
    QTest::newRow("valid height, bad width") << QByteArray("0216") << "2 x 8" << QString() << true;
    QTest::newRow("both sizes bad") << QByteArray("1 99") << "8 x 8" << QString() << true;
    QTest::newRow("too short") << QByteArray("0") << "8 x 8" << QString() << true;
    // An empty file empties the buffer and changes no size and no cell.
    QTest::newRow("empty") << QByteArray() << "8 x 8" << QString() << true;
    QTest::newRow("rows broken by hand") << QByteArray("0202"
                                                       "10\r\n01\r\n")
                                         << "2 x 2" << prefix + "10\r\n" + prefix + "11" << false;
}

void SpriteFileCommandsTest::open()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, label);
    QFETCH(QString, code);
    QFETCH(bool, cellsKept);
    drawRandomly(3);
    const auto before = window->grid().colours();
    const QString path = dir->filePath(QStringLiteral("input.spr"));
    writeBytes(path, file);
    open(path);
    QCOMPARE(window->findChild<QLabel*>(QStringLiteral("Label1"))->text(), label);
    QCOMPARE(window->text2(), file.toStdString());
    if (cellsKept)
        QCOMPARE(window->grid().colours(), before);
    if (!code.isEmpty())
        QCOMPARE(window->codeText(), code);
    QCOMPARE(window->codeText(), QString::fromStdString(spriteCode(window->grid())));
    QVERIFY(platform->messages.isEmpty());
}

void SpriteFileCommandsTest::openWithCurrentSizesRunsNoRefresh()
{
    const QString path = dir->filePath(QStringLiteral("same.spr"));
    writeBytes(path, "0808" + QByteArray(64, '1') + "\r\n");
    QSignalSpy refreshes(window.get(), &MainWindow::sizeRefreshed);
    open(path);
    QCOMPARE(refreshes.count(), 0);
    QCOMPARE(window->codeText().count(QLatin1Char('1')), 64);
}

void SpriteFileCommandsTest::roundTripThroughWindowEverySize()
{
    std::mt19937 random(42);
    const QString path = dir->filePath(QStringLiteral("round.spr"));
    for (int width = 1; width <= 15; ++width) {
        for (int height = 1; height <= 15; ++height) {
            window->setColumnSliderPosition(16 - width);
            window->setRowSliderPosition(16 - height);
            for (int index = 1; index <= SpriteGrid::CellCount; ++index)
                window->setCellColour(SpriteGrid::rowOf(index), SpriteGrid::columnOf(index),
                                      random() % 2 ? Black : White);
            const SpriteGrid saved = window->grid();
            const QString code = QString::fromStdString(spriteCode(saved));
            save(path);
            window->NewSprite();
            window->setColumnSliderPosition(1);
            window->setRowSliderPosition(1);
            open(path);
            QCOMPARE(window->grid().width(), width);
            QCOMPARE(window->grid().height(), height);
            for (int index = 1; index <= SpriteGrid::CellCount; ++index)
                if (saved.isShown(index))
                    QCOMPARE(window->grid().colour(index), saved.colour(index));
            QCOMPARE(window->codeText(), code);
        }
    }
}

void SpriteFileCommandsTest::dialogStateIsShared()
{
    const QString first = dir->filePath(QStringLiteral("first.spr"));
    save(first);
    open(first);
    QCOMPARE(platform->openRequests.size(), 1);
    const FileDialogRequest& openRequest = platform->openRequests[0];
    QCOMPARE(openRequest.fileName, first);
    QCOMPARE(openRequest.filter, QStringLiteral("Quillox (*.spr)|*.spr"));
    QVERIFY(openRequest.title != QStringLiteral("Save Sprite as *.spr"));
    QVERIFY(!openRequest.title.isEmpty());

    const QString other = dir->filePath(QStringLiteral("other.spr"));
    writeBytes(other, "0101"
                      "1\r\n");
    open(other);
    platform->colourAnswers.push_back(QColor(Qt::red));
    window->SetCodeBackColour();
    save(dir->filePath(QStringLiteral("third.spr")));
    QCOMPARE(platform->saveRequests.last().fileName, other);
    QCOMPARE(window->commonDialog1().title, QStringLiteral("Save Sprite as *.spr"));
}

void SpriteFileCommandsTest::cancelDoesNothing_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("sprite save") << "save";
    QTest::newRow("sprite open") << "open";
    QTest::newRow("code save") << "code";
    QTest::newRow("colour") << "colour";
}

void SpriteFileCommandsTest::cancelDoesNothing()
{
    QFETCH(QString, command);
    const QString previous = dir->filePath(QStringLiteral("previous.spr"));
    writeBytes(previous, "0303111111111\r\n");
    open(previous);
    drawRandomly(8);
    const Snapshot before = snapshot();
    auto* box = window->findChild<CodeBox*>(QStringLiteral("source"));
    const QColor background = box->backgroundColour();
    const QStringList filesBefore = QDir(dir->path()).entryList(QDir::Files);
    platform->fileAnswers.push_back(std::nullopt);
    if (command == "save")
        window->SaveSprite();
    else if (command == "open")
        window->OpenSprite();
    else if (command == "code")
        window->SaveCodeFile();
    else
        window->SetCodeBackColour();
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files), filesBefore);
    QCOMPARE(readAll(previous), QByteArray("0303111111111\r\n"));
    QCOMPARE(box->backgroundColour(), background);
    QVERIFY(platform->messages.isEmpty());
    const Snapshot after = snapshot();
    QCOMPARE(after.colours, before.colours);
    QCOMPARE(after.code, before.code);
    // The sprite save builds its buffer before it asks for the name.
    if (command != "save")
        QCOMPARE(after.buffer, before.buffer);
}

void SpriteFileCommandsTest::saveFailureIsReportedAndKeepsOldFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    QTest::newRow("folder as the name") << "folder"
                                        << "Is a directory";
#ifdef Q_OS_WIN
    QTest::newRow("device name") << "NUL"
                                 << "Not a regular file";
#else
    QTest::newRow("missing folder") << "missing/sprite.spr"
                                    << "No such file or directory";
    QTest::newRow("new name in a locked folder")
        << "locked/new.spr" << (::geteuid() ? "Permission denied" : "Operation not permitted");
    QTest::newRow("named pipe") << "pipe.spr"
                                << "Not a regular file";
    QTest::newRow("name too long") << QString(300, QLatin1Char('n')) << "File name too long";
    QTest::newRow("link loop") << "loop.spr"
                               << "Too many levels of symbolic links";
#endif
}

void SpriteFileCommandsTest::saveFailureIsReportedAndKeepsOldFile()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("folder")));
    QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("locked")));
    const int specialFiles = makeSpecialFiles(dir->path());
    QVERIFY(specialFiles >= 0);
    if (name.startsWith("locked/") &&
        !setFolderLocked(dir->filePath(QStringLiteral("locked")), true))
        QSKIP("this file system cannot lock a folder");
    const QString path = dir->filePath(name);
    save(path);
    QCOMPARE(platform->messages.size(), 1);
    QVERIFY(platform->messages[0].text.contains(path));
    QVERIFY2(platform->messages[0].text.endsWith(reason), qPrintable(platform->messages[0].text));
    QCOMPARE(platform->messages[0].title, QStringLiteral("Quillox"));
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(),
             specialFiles);
}

void SpriteFileCommandsTest::saveFailureOnFullDiskKeepsOldFile()
{
#ifdef Q_OS_WIN
    QSKIP("Windows has no file size limit to stand for a full disk");
#else
    // A file size limit makes every write past 8 bytes fail, as a full disk does.
    const QString path = dir->filePath(QStringLiteral("kept.spr"));
    writeBytes(path, "0101"
                     "1\r\n");
    struct rlimit previous;
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &previous) == 0);
    const auto handler = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = previous;
    limit.rlim_cur = 8;
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &limit) == 0);
    save(path);
    ::setrlimit(RLIMIT_FSIZE, &previous);
    ::signal(SIGXFSZ, handler);
    QCOMPARE(readAll(path), QByteArray("0101"
                                       "1\r\n"));
    QCOMPARE(platform->messages.size(), 1);
    QVERIFY(platform->messages[0].text.contains(path));
    QVERIFY2(platform->messages[0].text.endsWith("File too large"),
             qPrintable(platform->messages[0].text));
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"kept.spr"});
#endif
}

void SpriteFileCommandsTest::saveInPlaceWhenOnlyTheFileIsWritable()
{
    QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("locked")));
    const QString path = dir->filePath(QStringLiteral("locked/sprite.spr"));
    writeBytes(path, "0101"
                     "1\r\n, longer than the new file");
    if (!setFolderLocked(dir->filePath(QStringLiteral("locked")), true))
        QSKIP("this file system cannot lock a folder");
    window->setColumnSliderPosition(15);
    window->setRowSliderPosition(15);
    save(path);
    QVERIFY(platform->messages.isEmpty());
    QCOMPARE(readAll(path), QByteArray("01010\r\n"));
}

void SpriteFileCommandsTest::saveLeavesNoVisibleTemporary()
{
#ifdef Q_OS_WIN
    QSKIP("needs fork to kill a save half way");
#else
    const QString path = dir->filePath(QStringLiteral("sprite.spr"));
    const auto listed = [this](const QString& pattern = QStringLiteral("*")) {
        return QDir(dir->path(), pattern, QDir::Name, QDir::Files | QDir::Hidden).entryList();
    };
    writeBytes(dir->filePath(QStringLiteral(".other.spr.quillox-abcdef")), "another file's");
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
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList());
    QCOMPARE(listed(QStringLiteral(".sprite.spr.quillox-??????")).size(), 1);
    save(path);
    const QStringList saved{".other.spr.quillox-abcdef", "sprite.spr"};
    QCOMPARE(listed(), saved);
    // A save still running keeps its temporary.
    WriteFailure failure;
    FileReplacement running(path);
    QVERIFY(running.open(failure));
    save(path);
    QCOMPARE(listed().size(), 3);
    QVERIFY(running.write("0101", 4, failure) && running.commit(failure));
    QCOMPARE(listed(), saved);
    QCOMPARE(readAll(path), QByteArray("0101"));
#endif
}

void SpriteFileCommandsTest::unreadableOpenChangesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    QTest::newRow("folder") << "folder"
                            << "Is a directory";
    QTest::newRow("empty name") << ""
                                << "No file name was given.";
#ifdef Q_OS_WIN
    QTest::newRow("device name") << "NUL"
                                 << "Not a regular file";
#else
    QTest::newRow("missing file") << "missing.spr"
                                  << "No such file or directory";
    QTest::newRow("named pipe") << "pipe.spr"
                                << "Not a regular file";
    QTest::newRow("device") << "/dev/zero"
                            << "Not a regular file";
    QTest::newRow("name too long") << QString(300, QLatin1Char('n')) << "File name too long";
    QTest::newRow("link loop") << "loop.spr"
                               << "Too many levels of symbolic links";
#endif
}

void SpriteFileCommandsTest::unreadableOpenChangesNothing()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("folder")));
    QVERIFY(makeSpecialFiles(dir->path()) >= 0);
    save(dir->filePath(QStringLiteral("last.spr")));
    drawRandomly(12);
    window->setColumnSliderPosition(4);
    const Snapshot before = snapshot();
    open(name.isEmpty() || name.startsWith('/') ? name : dir->filePath(name));
    QVERIFY(snapshot() == before);
    QCOMPARE(platform->messages.size(), 1);
    QVERIFY(platform->messages[0].text.contains(name));
    QVERIFY2(platform->messages[0].text.endsWith(reason), qPrintable(platform->messages[0].text));
}

void SpriteFileCommandsTest::hugeFileIsReadBounded()
{
    const QString path = dir->filePath(QStringLiteral("huge.spr"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("0203101010\r\n");
        QVERIFY(file.resize(qint64(3) << 30));
    }
    open(path);
    QCOMPARE(window->text2().size(), MaxSpriteFileRead);
    QCOMPARE(window->grid().width(), 3);
    QCOMPARE(window->grid().height(), 2);
}

QTEST_MAIN(SpriteFileCommandsTest)
#include "tst_spritefilecommands.moc"
