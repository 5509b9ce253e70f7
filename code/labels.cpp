#include "code/labels.h"

#include <algorithm>
#include <iterator>

namespace quillox
{

namespace
{

bool isIdentifierStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool isIdentifierChar(char c)
{
    return isIdentifierStart(c) || (c >= '0' && c <= '9');
}

// Z80 register and condition names: an assembler refuses them as labels, in
// any case.
bool isReservedWord(std::string_view name)
{
    static const char* const reserved[] = {
        "a",  "b",  "c",  "d",   "e",   "h",   "l",   "i",  "r", "f",  "af", "bc", "de", "hl", "ix",
        "iy", "sp", "pc", "ixh", "ixl", "iyh", "iyl", "nz", "z", "nc", "po", "pe", "p",  "m"};
    std::string lower(name);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return std::any_of(std::begin(reserved), std::end(reserved),
                       [&lower](const char* word) { return lower == word; });
}

} // namespace

std::string labelForFile(std::string_view path)
{
    std::string_view name = path.substr(path.find_last_of(FolderSeparators) + 1);
    if (const std::size_t dot = name.rfind('.'); dot != std::string_view::npos && dot > 0)
        name = name.substr(0, dot);
    std::string label;
    for (const char c : name)
        label += isIdentifierChar(c) ? c : '_';
    if (label.empty() || !isIdentifierStart(label.front()) || isReservedWord(label))
        label.insert(label.begin(), '_');
    return label;
}

bool isAssemblerIdentifier(std::string_view name)
{
    return !name.empty() && isIdentifierStart(name.front()) &&
           std::all_of(name.begin(), name.end(), isIdentifierChar) && !isReservedWord(name);
}

} // namespace quillox
