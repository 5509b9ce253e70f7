#pragma once

#include <string>
#include <vector>

namespace quillox
{

constexpr char ConverterVersion[] = "quillox-convert 1.25";

// What one run of the converter gives: its exit status (0 done, 1 bad input
// or a failed write, 2 wrong usage), what goes to standard output and what
// goes to standard error. An output file (-o) is written only when every
// input converted, and atomically.
struct ConverterRun {
    int status = 0;
    std::string standardOutput;
    std::string standardError;
};

ConverterRun runConverter(const std::vector<std::string>& arguments);

} // namespace quillox
