#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillox
{

// Where the converter's -o output goes, named by the bytes the user gave (a
// name need not be UTF-8). "-" and a name of the program's own standard output
// or error (/dev/stdout, /proc/self/fd/1, the file behind "> out") are written
// as streams, never replaced. A regular file or a new name is replaced
// atomically: written to a hidden temporary beside it, synced, then renamed
// over it on commit. A device or a named pipe that a program reads is written
// directly; one that nobody reads is refused at once, never waited on. On
// Windows the name is UTF-8, "-" is the only name of standard output, and a
// device (NUL) or pipe is written directly.
class OutputFile
{
public:
    enum class Kind { StandardOutput, Stream, Replacement };

    explicit OutputFile(std::string path) : path_(std::move(path)) {}
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // False with the system's reason when the output cannot be opened.
    bool open(std::string& reason);
    Kind kind() const { return kind_; }
    // Not for StandardOutput, which the caller writes through its own stream.
    bool write(std::string_view bytes, std::string& reason);
    bool commit(std::string& reason);
    // Drops what was written; a replaced file stays as it was.
    void cancel();

private:
    std::string path_;
    std::string temporary_;
    Kind kind_ = Kind::Replacement;
    std::intptr_t fd_ = -1; // a descriptor, or a Windows handle
};

} // namespace quillox
