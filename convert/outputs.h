#pragma once

#include "code/bytecode.h"
#include "editor/spritepixels.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillox
{

struct Options;

// What an output is, as flags of its row.
enum OutputTrait : unsigned {
    // Bytes of any size: sheets, headers, masks and grey planes.
    ByteData = 1u << 0,
    // Never written to a terminal.
    Binary = 1u << 1,
    // A calculator variable, gathered from every FILE and written once, with
    // --name and --archived.
    CalculatorFile = 1u << 2,
    // One FILE, one sprite: no sheet, no labels.
    OneInput = 1u << 3,
    // A picture larger than 15 x 15 gives the box of its drawn pixels.
    CropsToSprite = 1u << 4,
    // Takes --radix and --directive.
    AssemblerSyntax = 1u << 5,
};

// The labels an output takes.
enum class LabelRule {
    Assembler, // NAME:, NAME_2:, ... and --equ constants
    Axe,       // one static name, stored after the first sprite
    C,         // C names, always, from the file names without --label
    HexDigits, // none: lines of hex digits only
    None,      // none: one picture or the bytes of a variable
};

// Writes the sprites of a run, one after another.
class OutputWriter
{
public:
    virtual ~OutputWriter() = default;
    // Appends one sprite's output, under `label` where the output takes
    // one; false with the reason when the output cannot hold the sprite.
    virtual bool write(const SpritePixels& pixels, const std::string& label, std::string& out,
                       std::string& reason) = 0;
    // What is written once after every FILE (a calculator file); false with
    // the reason.
    virtual bool finish(std::string& out, std::string& reason);
};

// One row of the output table.
struct OutputFormat {
    const char* name; // the value of --to
    unsigned traits;
    LabelRule labels;
    HeaderKind header;
    // How a refusal to write it to a terminal names it, for Binary outputs.
    const char* binaryName;
    // Checks the options this output needs and fills in what follows from
    // them; the usage error or nothing. May be null.
    std::optional<std::string> (*check)(Options& options);
    std::unique_ptr<OutputWriter> (*makeWriter)(const Options& options);

    bool is(OutputTrait trait) const { return (traits & trait) != 0; }
};

// Every output, in the order --help gives them.
const std::vector<OutputFormat>& outputFormats();
// The row of a --to value, or null.
const OutputFormat* outputFormat(std::string_view name);

} // namespace quillox
