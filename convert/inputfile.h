#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quillox
{

// The converter's arguments as bytes: on Linux the bytes given, on Windows
// the wide command line in UTF-8, so that any file name passes.
std::vector<std::string> programArguments(int argc, char* argv[]);

// Reads at most `limit` + 1 bytes of the file `path`, or of standard input
// for "-", so that the caller sees a larger input. A file is opened without
// waiting on a named pipe; a device or folder is refused, so that nothing
// endless such as /dev/zero is read. False with the system's reason.
bool readInputFile(const std::string& path, std::size_t limit, std::string& bytes,
                   std::string& reason);

} // namespace quillox
