// The file layer under both programs' rules: the editor's saves refuse what
// is not a regular file, the converter's -o streams to a reader.
#include "platform/fileaccess.h"
#include "platform/qtfileaccess.h"
#include "tests/support/testfiles.h"

#include <QScopeGuard>
#include <QTemporaryDir>

#ifdef Q_OS_WIN
#include <vector>

#include <windows.h>
#else
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace quillox;
using fileaccess::FileReplacement;
using fileaccess::Problem;
using fileaccess::SpecialFiles;

Q_DECLARE_METATYPE(SpecialFiles)
Q_DECLARE_METATYPE(std::optional<Problem>)

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

void addRulesColumn()
{
    QTest::addColumn<SpecialFiles>("special");
    QTest::newRow("editor") << SpecialFiles::Refuse;
    QTest::newRow("converter") << SpecialFiles::Stream;
}

bool replace(const QString& path, SpecialFiles special, std::string_view bytes,
             fileaccess::Failure& failure)
{
    FileReplacement file(systemFileName(path), special);
    return file.open(failure) && file.write(bytes, failure) && file.commit(failure);
}

} // namespace

class FileAccessTest : public QObject
{
    Q_OBJECT

    QStringList files() const
    {
        return QDir(dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
    QString path(const char* name) const { return dir->filePath(QString::fromUtf8(name)); }

private slots:
    void init() { dir = std::make_unique<QTemporaryDir>(); }
    void cleanup() { setFolderLocked(path("locked"), false); }

    // The editor's words for what its open and save of a name meet.
    void failuresNameTheReason_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("readReason");
        QTest::addColumn<QString>("writeReason"); // none: the read's
        const auto row = [](const char* tag, const QString& name, const char* read,
                            const char* write = nullptr) {
            QTest::newRow(tag) << name << QString(read) << QString(write);
        };
        row("folder", "folder", "Is a directory");
        row("no name", "", "No file name was given.");
#ifdef Q_OS_WIN
        row("device name", "NUL", "Not a regular file");
        row("pipe name", "\\\\.\\pipe\\quillox", "Not a regular file");
#else
        // Windows words its reasons in the system's language.
        row("missing folder", "missing/s.spr", "No such file or directory");
        row("new name in a locked folder", "locked/new.spr", "No such file or directory",
            ::geteuid() ? "Permission denied" : "Operation not permitted");
        row("named pipe", "pipe.spr", "Not a regular file");
        row("device", "/dev/full", "Not a regular file", "No space left on device");
        row("name too long", QString(300, 'n'), "File name too long");
        row("link loop", "loop.spr", "Too many levels of symbolic links");
#endif
    }

    void failuresNameTheReason()
    {
        QFETCH(QString, name);
        QFETCH(QString, readReason);
        QFETCH(QString, writeReason);
        QVERIFY(QDir(dir->path()).mkdir("folder"));
        QVERIFY(QDir(dir->path()).mkdir("locked"));
#ifdef Q_OS_WIN
        const QStringList special;
        // A pipe that a program serves, one instance for the read, one for the write.
        std::vector<HANDLE> pipeInstances;
        for (int i = 0; i < 2 && name.startsWith("\\\\.\\pipe"); ++i)
            pipeInstances.push_back(
                CreateNamedPipeW(reinterpret_cast<LPCWSTR>(name.utf16()), PIPE_ACCESS_DUPLEX,
                                 PIPE_TYPE_BYTE, PIPE_UNLIMITED_INSTANCES, 512, 512, 0, nullptr));
        const auto closePipes = qScopeGuard([&] {
            for (HANDLE instance : pipeInstances)
                CloseHandle(instance);
        });
#else
        const QStringList special{"loop.spr", "pipe.spr"};
        QCOMPARE(::mkfifo(QFile::encodeName(path("pipe.spr")).constData(), 0600), 0);
        QCOMPARE(::symlink("loop.spr", QFile::encodeName(path("loop.spr")).constData()), 0);
#endif
        if (name.startsWith("locked") && !setFolderLocked(path("locked"), true))
            QSKIP("this file system cannot lock a folder");
        const QString file = name.isEmpty() || name.startsWith('/') || name.startsWith('\\')
                                 ? name
                                 : dir->filePath(name);
        std::string read;
        FileError error;
        QVERIFY(!readRegularFile(file, 64, read, error));
        QCOMPARE(error.reason, readReason);
        QVERIFY(!writeWholeFile(file, "01011\r\n", error));
        QCOMPARE(error.reason, writeReason.isEmpty() ? readReason : writeReason);
        QCOMPARE(files(), special);
    }

    // A pipe is never waited on: the editor refuses it whether or not a
    // program reads it; the converter writes to a reader and refuses a pipe
    // nobody reads. A character device is written by both.
    void specialFiles_data()
    {
        QTest::addColumn<SpecialFiles>("special");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("reader");
        QTest::addColumn<std::optional<Problem>>("problem"); // none: written
        const auto row = [](const char* tag, SpecialFiles special, const char* name, bool reader,
                            std::optional<Problem> problem = std::nullopt) {
            QTest::newRow(tag) << special << QString(name) << reader << problem;
        };
        const auto editor = SpecialFiles::Refuse, converter = SpecialFiles::Stream;
        row("editor, /dev/null", editor, "/dev/null", false);
        row("converter, /dev/null", converter, "/dev/null", false);
        row("editor, pipe nobody reads", editor, "pipe", false, Problem::NotRegular);
        row("editor, pipe a program reads", editor, "pipe", true, Problem::NotRegular);
        row("converter, pipe nobody reads", converter, "pipe", false, Problem::NoReader);
        row("converter, pipe a program reads", converter, "pipe", true);
        row("editor, folder", editor, "folder", false, Problem::Folder);
        row("converter, folder", converter, "folder", false, Problem::Folder);
    }

    void specialFiles()
    {
#ifdef Q_OS_WIN
        QSKIP("named pipes and /dev/null are POSIX's; the Windows names are rows above");
#else
        QFETCH(SpecialFiles, special);
        QFETCH(QString, name);
        QFETCH(bool, reader);
        QFETCH(std::optional<Problem>, problem);
        QVERIFY(QDir(dir->path()).mkdir("folder"));
        QCOMPARE(::mkfifo(QFile::encodeName(path("pipe")).constData(), 0600), 0);
        const QString file = name.startsWith('/') ? name : dir->filePath(name);
        const int readEnd =
            reader ? ::open(QFile::encodeName(file).constData(), O_RDONLY | O_NONBLOCK) : -1;
        fileaccess::Failure failure;
        const bool written = replace(file, special, "01011\r\n", failure);
        char received[16] = {};
        const ssize_t got = readEnd >= 0 ? ::read(readEnd, received, sizeof received) : 0;
        if (readEnd >= 0)
            ::close(readEnd);
        QCOMPARE(written, !problem);
        if (problem)
            QCOMPARE(failure.problem, *problem);
        QCOMPARE(QByteArray(received, int(std::max<ssize_t>(got, 0))),
                 QByteArray(reader && written ? "01011\r\n" : ""));
        QCOMPARE(files(), QStringList{"pipe"});
#endif
    }

    void inPlaceWhenOnlyTheFileIsWritable_data()
    {
        addRulesColumn();
    }

    void inPlaceWhenOnlyTheFileIsWritable()
    {
        QFETCH(SpecialFiles, special);
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("locked")));
        writeFile(path("locked/out.inc"), "01011\r\n, longer than the new file");
        if (!setFolderLocked(path("locked"), true))
            QSKIP("this file system cannot lock a folder");
        fileaccess::Failure failure;
        QVERIFY(replace(path("locked/out.inc"), special, "01010\r\n", failure));
        QCOMPARE(contents(path("locked/out.inc")), QByteArray("01010\r\n"));
        QCOMPARE(QDir(path("locked")).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"out.inc"});
    }

    // A run killed between its write and its rename leaves its temporary;
    // the next replacement of the same file removes it, not one in use.
    void killedRunsLeaveTemporariesTheNextRemoves_data()
    {
        addRulesColumn();
    }

    void killedRunsLeaveTemporariesTheNextRemoves()
    {
#ifdef Q_OS_WIN
        QSKIP("needs fork to kill a run half way");
#else
        QFETCH(SpecialFiles, special);
        writeFile(path(".other.inc.quillox-abcdef"), "another file's");
        writeFile(path("out.inc"), "old");
        QCOMPARE(::chmod(QFile::encodeName(path("out.inc")).constData(), 0600), 0);
        if (const pid_t child = ::fork(); child == 0) {
            fileaccess::Failure failure;
            FileReplacement killed(systemFileName(path("out.inc")), special);
            if (killed.open(failure) && killed.write("0101", failure))
                ::kill(::getpid(), SIGKILL);
            ::_exit(1);
        } else {
            int status = 0;
            QCOMPARE(::waitpid(child, &status, 0), child);
            QVERIFY(WIFSIGNALED(status));
        }
        const QRegularExpression temporary("^\\.out\\.inc\\.quillox-[A-Za-z0-9]{6}$");
        QCOMPARE(files().size(), 3);
        QVERIFY2(temporary.match(files()[1]).hasMatch(), qPrintable(files()[1]));
        fileaccess::Failure failure;
        QVERIFY(replace(path("out.inc"), special, "01011\r\n", failure));
        const QStringList replaced{".other.inc.quillox-abcdef", "out.inc"};
        QCOMPARE(files(), replaced);
        struct stat status;
        QVERIFY(::stat(QFile::encodeName(path("out.inc")).constData(), &status) == 0);
        QCOMPARE(status.st_mode & 0777, mode_t(0600));
        // A run still going keeps its temporary.
        FileReplacement running(systemFileName(path("out.inc")), special);
        QVERIFY2(running.open(failure), failure.reason.c_str());
        QVERIFY2(replace(path("out.inc"), special, "01011\r\n", failure), failure.reason.c_str());
        QCOMPARE(files().size(), 3);
        QVERIFY2(running.write("0101", failure), failure.reason.c_str());
        QVERIFY2(running.commit(failure), failure.reason.c_str());
        QCOMPARE(files(), replaced);
        QCOMPARE(contents(path("out.inc")), QByteArray("0101"));
#endif
    }

    // A link is kept; the file it names is replaced. A new file's
    // permissions come from the umask.
    void linksAreFollowedAndNewFilesTakeTheUmask()
    {
#ifdef Q_OS_WIN
        QSKIP("symbolic links need rights that a Windows test does not have");
#else
        QVERIFY(QDir(dir->path()).mkdir("real"));
        writeFile(path("real/s.spr"), "old");
        QCOMPARE(::symlink("real/s.spr", QFile::encodeName(path("link.spr")).constData()), 0);
        FileError error;
        QVERIFY(writeWholeFile(path("link.spr"), "01011\r\n", error));
        QCOMPARE(QFileInfo(path("link.spr")).symLinkTarget(), path("real/s.spr"));
        QCOMPARE(contents(path("real/s.spr")), QByteArray("01011\r\n"));
        const mode_t mask = ::umask(027);
        const bool written = writeWholeFile(path("new.spr"), "01011\r\n", error);
        ::umask(mask);
        struct stat status;
        QVERIFY(written);
        QCOMPARE(::stat(QFile::encodeName(path("new.spr")).constData(), &status), 0);
        QCOMPARE(status.st_mode & 0777, mode_t(0640));
#endif
    }

    // Reads take at most the bound, and each opens its file once.
    void readsAreBoundedAndCounted()
    {
        writeFile(path("s.spr"), "0203101010\r\n");
        const std::size_t before = fileaccess::filesOpenedForReading();
        std::string bytes;
        fileaccess::Failure failure;
        QVERIFY(fileaccess::readRegularFile(systemFileName(path("s.spr")), 4, bytes, failure));
        QCOMPARE(bytes, "0203");
        QVERIFY(!fileaccess::readRegularFile(systemFileName(path("none")), 4, bytes, failure));
        QCOMPARE(failure.code, ENOENT);
        QCOMPARE(fileaccess::filesOpenedForReading(), before + 1);
    }

private:
    std::unique_ptr<QTemporaryDir> dir;
};

QTEST_GUILESS_MAIN(FileAccessTest)
#include "tst_fileaccess.moc"
