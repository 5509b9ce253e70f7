#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillox
{

constexpr char ConverterVersion[] = "quillox-convert " QUILLOX_VERSION;

// What one run of the converter gives: its exit status (0 done, 1 bad input
// or a failed write, 2 wrong usage) and what goes to standard error. An
// output file (-o) is replaced, atomically, only when every input converted.
struct ConverterRun {
    int status = 0;
    std::string standardError;
    // Filled only by the collecting runConverter below.
    std::string standardOutput;
};

// Takes each piece of standard output as it is made, so that memory stays
// flat however many files there are; false when it cannot be written.
using OutputStream = std::function<bool(std::string_view)>;

// Reads at most `limit` bytes of the named input ("-": standard input) and
// one more to see a larger one; false with the reason.
using InputReader = std::function<bool(const std::string& path, std::size_t limit,
                                       std::string& bytes, std::string& reason)>;

// Output stops at the first input that cannot be converted. Binary output
// (a PNG picture) is refused when standard output is a terminal.
ConverterRun runConverter(const std::vector<std::string>& arguments,
                          const OutputStream& standardOutput,
                          bool standardOutputIsTerminal = false);
ConverterRun runConverter(const std::vector<std::string>& arguments,
                          const OutputStream& standardOutput, const InputReader& readInput,
                          bool standardOutputIsTerminal = false);
// Collects standard output in the result.
ConverterRun runConverter(const std::vector<std::string>& arguments);

} // namespace quillox
