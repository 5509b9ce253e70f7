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

// Names a C compiler or the standard library keeps: keywords (C99, C11,
// C23, whose bool, true, false, static_assert and thread_local are macros of
// C99 and C11 headers), the streams and macros of <stdio.h>, <errno.h> and
// <stddef.h>, main, and the functions of <string.h>, <stdio.h> and
// <stdlib.h> one might name a sprite after. Names with a leading "_" are
// refused by the rule itself.
bool isCReservedName(std::string_view name)
{
    static const char* const reserved[] = {
        // keywords
        "auto", "break", "case", "char", "const", "continue", "default", "do", "double", "else",
        "enum", "extern", "float", "for", "goto", "if", "inline", "int", "long", "register",
        "restrict", "return", "short", "signed", "sizeof", "static", "struct", "switch", "typedef",
        "union", "unsigned", "void", "volatile", "while", "alignas", "alignof", "bool", "constexpr",
        "false", "nullptr", "static_assert", "thread_local", "true", "typeof", "typeof_unqual",
        // the library's objects, macros and types, and the program's entry
        "stdin", "stdout", "stderr", "errno", "NULL", "EOF", "FILE", "size_t", "assert", "main",
        // <string.h>
        "memchr", "memcmp", "memcpy", "memmove", "memset", "strcat", "strchr", "strcmp", "strcpy",
        "strlen", "strncat", "strncmp", "strncpy", "strrchr", "strstr", "strtok",
        // <stdio.h>
        "fclose", "fgets", "fopen", "fprintf", "fputs", "fread", "fwrite", "getc", "getchar",
        "gets", "printf", "putc", "putchar", "puts", "remove", "rename", "scanf", "sprintf",
        // <stdlib.h>
        "abort", "abs", "atoi", "atol", "bsearch", "calloc", "div", "exit", "free", "malloc",
        "qsort", "rand", "realloc", "srand", "system"};
    return std::any_of(std::begin(reserved), std::end(reserved),
                       [name](const char* word) { return name == word; });
}

} // namespace

namespace
{

std::string_view baseName(std::string_view path)
{
    std::string_view name = path.substr(path.find_last_of(FolderSeparators) + 1);
    if (const std::size_t dot = name.rfind('.'); dot != std::string_view::npos && dot > 0)
        name = name.substr(0, dot);
    return name;
}

} // namespace

std::string labelForFile(std::string_view path)
{
    const std::string_view name = baseName(path);
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

bool isCIdentifier(std::string_view name)
{
    return !name.empty() && isIdentifierStart(name.front()) && name.front() != '_' &&
           std::all_of(name.begin(), name.end(), isIdentifierChar) && !isCReservedName(name);
}

std::string cIdentifierOf(std::string_view text)
{
    std::string name;
    for (const char c : text)
        if (isIdentifierChar(c) || !name.empty())
            name += isIdentifierChar(c) ? c : '_';
    name.erase(0, name.find_first_not_of('_'));
    if (name.empty())
        return "sprite";
    if (!isIdentifierStart(name.front()))
        name.insert(0, "sprite_");
    if (isCReservedName(name))
        name += '_';
    return name;
}

std::string cNameForFile(std::string_view path)
{
    return cIdentifierOf(baseName(path));
}

bool isAxeStaticName(std::string_view name)
{
    const std::string_view kind = name.substr(0, 3);
    const std::string_view rest = name.substr(std::min<std::size_t>(3, name.size()));
    return (kind == "Pic" || kind == "Str" || kind == "GDB") && !rest.empty() &&
           rest.size() <= 10 && std::all_of(rest.begin(), rest.end(), [](char c) {
               return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
           });
}

} // namespace quillox
