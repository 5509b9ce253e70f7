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

// Names an assembler reads as something else, so refuses as labels in any
// case: Z80 registers, conditions, mnemonics and the common directives.
bool isReservedWord(std::string_view name)
{
    static const char* const reserved[] = {
        // registers and conditions
        "a", "b", "c", "d", "e", "h", "l", "i", "r", "f", "af", "bc", "de", "hl", "ix", "iy", "sp",
        "pc", "ixh", "ixl", "iyh", "iyl", "nz", "z", "nc", "po", "pe", "p", "m",
        // mnemonics
        "ld", "ldi", "ldir", "ldd", "lddr", "push", "pop", "ex", "exx", "add", "adc", "sub", "sbc",
        "and", "or", "xor", "cp", "cpi", "cpir", "cpd", "cpdr", "inc", "dec", "daa", "cpl", "neg",
        "ccf", "scf", "nop", "halt", "di", "ei", "im", "rlca", "rla", "rrca", "rra", "rlc", "rl",
        "rrc", "rr", "sla", "sra", "sll", "sli", "srl", "rld", "rrd", "bit", "set", "res", "jp",
        "jr", "djnz", "call", "ret", "reti", "retn", "rst", "in", "ini", "inir", "ind", "indr",
        "out", "outi", "otir", "outd", "otdr",
        // directives
        "org", "equ", "db", "dw", "ds", "defb", "defw", "defs", "defm", "end", "if", "else",
        "endif", "macro", "endm", "include", "incbin"};
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
