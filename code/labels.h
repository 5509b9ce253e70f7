#pragma once

#include <string>
#include <string_view>

namespace quillox
{

// A label made from a file name: its base name without the extension, with
// every character an assembler would refuse turned into "_", and a "_" in
// front of a leading digit or of a name the assembler keeps for a register,
// condition, instruction or directive ("a.spr" gives "_a", "end.spr" "_end").
std::string labelForFile(std::string_view path);

// What ends a folder's name in a path: Windows takes "\\" and a drive's ":" too.
#ifdef _WIN32
inline constexpr char FolderSeparators[] = "/\\:";
#else
inline constexpr char FolderSeparators[] = "/";
#endif

// Letters, digits and "_", not starting with a digit, and no name the
// assembler keeps for itself.
bool isAssemblerIdentifier(std::string_view name);

// The same rule for C (C99 and later, as cc and SDCC take it): letters,
// digits and "_", never a leading digit or "_" (which C keeps for the
// compiler and its library), and never a name C reads as something else: a
// keyword of C99, C11 or C23, or a name of the standard library a program is
// likely to include beside its sprites (stdin, errno, NULL, FILE, main, the
// common functions of <string.h>, <stdio.h> and <stdlib.h>).
bool isCIdentifier(std::string_view name);

// TEXT made a C name: every other character turned into "_", leading "_"
// dropped, "sprite_" before a leading digit ("sprite" for nothing left), and
// a "_" after a reserved name ("int" gives "int_", "stdin" "stdin_").
std::string cIdentifierOf(std::string_view text);

// A C name made from a file name: its base name without the extension, by
// cIdentifierOf ("30 sword-x.spr" gives "sprite_30_sword_x").
std::string cNameForFile(std::string_view path);

// A name of Axe Parser's static data: Pic, Str or GDB followed by a number
// or letters, 1 to 10 upper-case letters and digits, 13 characters in all
// ("Pic1", "GDB1MAP", "StrA").
bool isAxeStaticName(std::string_view name);

} // namespace quillox
