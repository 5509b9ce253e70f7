#pragma once

// The file access of both programs, in plain C++ on the system's calls.
// Names are bytes: on POSIX the bytes given (they need not be UTF-8), on
// Windows UTF-8, turned into wide names for every call. Nothing here ever
// waits on a pipe or device, and every read is bounded.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillox::fileaccess
{

// What kind of failure, so that each program words it its own way.
enum class Problem {
    System,     // the system refused: `reason` and `code` say why
    Folder,     // a folder where a file was expected
    NotRegular, // a pipe, socket or device where a regular file was expected
    NoReader,   // a pipe or device that no program reads (converter output)
};

struct Failure {
    Problem problem = Problem::System;
    // The system's text without a closing full stop; empty when the system
    // has none (Windows, an unknown error number).
    std::string reason;
    // errno, or on Windows the C library's number nearest the system error.
    int code = 0;
    // The system's own number: errno, or on Windows GetLastError's.
    unsigned long systemError = 0;
};

// What a replacement does with a name that is no regular file.
enum class SpecialFiles {
    // The editor's saves: pipes, sockets and block devices are refused; a
    // character device such as /dev/null is written directly, non-blocking.
    // On Windows every device (NUL, CON, COM1) and pipe is refused.
    Refuse,
    // The converter's -o: "-" and the program's own standard output or
    // error (/dev/stdout, /proc/self/fd/1, the file behind "> out") are
    // streams, never replaced; a pipe or device that a program reads is
    // written directly, one that nobody reads is refused at once (NoReader).
    // On Windows a device such as NUL is written directly: the one
    // exception to the refusal of devices.
    Stream,
};

// Replaces the file `name` atomically: what is written goes to a hidden
// temporary beside it (".NAME.quillox-XXXXXX", beside the file a link
// names) that takes the old one's place only on commit(), so a failure at
// any step leaves an existing file as it was. A running replacement keeps
// its temporary locked; unlocked ones, left by a killed run, are removed by
// the next replacement of the same file. A new file's permissions come from
// the umask, an existing one's are kept. When the folder refuses the
// temporary (EACCES, EPERM) but the file exists and may be written, the bytes
// are kept and written over it in place on commit(), then cut to length.
class FileReplacement
{
public:
    explicit FileReplacement(std::string name, SpecialFiles special = SpecialFiles::Refuse);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    bool open(Failure& failure);
    // True after open() when the name was the program's standard output:
    // the caller writes through its own stream; write() and commit() do
    // nothing.
    bool isStandardOutput() const { return mode_ == Mode::StandardOutput; }
    bool write(std::string_view bytes, Failure& failure);
    bool commit(Failure& failure);
    // Drops what was written; a replaced file stays as it was.
    void cancel();

private:
    enum class Mode { Closed, Temporary, InPlace, Direct, StandardOutput };
    bool openTemporary(const std::string& target, int mode, Failure& failure);
    bool flush(Failure& failure);
    // The system's "bad handle" failure, for a write to a closed replacement.
    static bool failClosed(Failure& failure);
    void closeHandle();

    std::string name_;
    SpecialFiles special_;
    Mode mode_ = Mode::Closed;
    std::intptr_t handle_ = -1; // a descriptor, or a Windows handle
    bool ownsHandle_ = true;    // not standard error, which the program keeps
    std::string target_;
    std::string temporary_;
    std::string pending_;
};

// Replaces `name` with `bytes` through a FileReplacement with the editor's
// rules.
bool writeWholeFile(const std::string& name, std::string_view bytes, Failure& failure);

// Reads at most `limit` bytes of the regular file `name` into `out`.
// Folders, pipes, devices and sockets are refused without being waited on.
// (The converter asks for one byte more than it takes, to see a larger file.)
bool readRegularFile(const std::string& name, std::size_t limit, std::string& out,
                     Failure& failure);

// Reads at most `limit` bytes of standard input.
bool readStandardInput(std::size_t limit, std::string& out, Failure& failure);

// How many files readRegularFile has opened since the program started, so
// that a test can check that a command opens its file once.
std::size_t filesOpenedForReading();

// The size of the regular file `name`, from one stat: nothing is opened.
std::optional<std::int64_t> regularFileSize(const std::string& name, Failure& failure);

// Appends `bytes` to the regular file `name`, creating it if missing, in one
// piece: when the whole cannot be written the file is left exactly as it was.
bool appendWhole(const std::string& name, std::string_view bytes, Failure& failure);

// The user's home folder: HOME, else the password database's entry (on
// Windows the user's profile, with "/" between names); empty when unknown.
std::string userHomeFolder();

// The program's arguments after its name: the bytes given on POSIX, the wide
// command line in UTF-8 on Windows.
std::vector<std::string> programArguments(int argc, char* argv[]);

// On Windows standard input, output and error carry bytes as they are (CR
// LF stays CR LF); nothing to do elsewhere.
void setStandardStreamsBinary();

// Whether standard output is a terminal, which binary output must not reach.
bool standardOutputIsTerminal();

#ifdef _WIN32
// UTF-8 and wide text, for the Windows calls that take names.
std::wstring wideText(const std::string& text);
std::string utf8Text(const std::wstring& text);
// The system's description of a Windows error without its closing full
// stop; empty when it has none.
std::string systemReason(unsigned long error);
#endif

} // namespace quillox::fileaccess
