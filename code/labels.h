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

} // namespace quillox
