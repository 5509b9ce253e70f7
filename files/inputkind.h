#pragma once

#include <string_view>

namespace quillox
{

enum class InputKind {
    // Starts with the "**TI83F*" signature of the calculator's variable files.
    CalculatorFile,
    // A ".spr" name, or a sprite file by its form: two size fields of two
    // digits, then only digits 0 and 1, then a line end or nothing.
    SpriteFile,
    // The editor's own code, exactly: every line TAB ".db" TAB "%" and one
    // count of 1 to 15 digits.
    EditorCode,
    // A text of two or more sprites (a game's source): a SpriteSet, read
    // up to MaxSpriteSetRead bytes.
    SpriteSet,
    // Code that the lenient code reader takes, as other programs write it, or
    // refuses at a line after it read as code (.db rows, Axe data, hex lines).
    Code,
    // Anything else; the picture reader decides.
    Picture,
};

// What an input is, told from its name and its bytes.
InputKind kindOfInput(std::string_view name, std::string_view bytes);

// Whether the name ends in ".spr", in any case.
bool hasSpriteFileName(std::string_view name);

} // namespace quillox
