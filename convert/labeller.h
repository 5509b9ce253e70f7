#pragma once

#include <set>
#include <string>

namespace quillox
{

// Labels from NAME or the file names, made unique by a number. Only the base
// of each FILE is kept, so memory does not grow with the tiles of a sheet.
class Labeller
{
public:
    // `cNames`: C names rather than assembler labels.
    Labeller(std::string name, bool cNames);

    // The label of the next FILE ("-": standard input).
    std::string next(const std::string& path);

private:
    std::string name_;
    bool cNames_;
    std::set<std::string> used_;
};

} // namespace quillox
