#pragma once

#include <string_view>

namespace quillox
{

enum class InputKind {
    // Starts with the "**TI83F*" signature of the calculator's variable files.
    CalculatorFile,
    // A ".spr" name or a digit first: the sprite file's height.
    SpriteFile,
    // The editor's own code: a TAB first.
    EditorCode,
    // Code that the lenient code reader takes, as other programs write it, or
    // refuses at a line after it read as code (.db rows, Axe data, hex lines).
    Code,
    // Anything else; the picture reader decides.
    Picture,
};

// What an input is, told from its name and its first bytes (for code, from
// all of them).
InputKind kindOfInput(std::string_view name, std::string_view bytes);

} // namespace quillox
