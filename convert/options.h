#pragma once

#include "code/bytecode.h"
#include "files/inputkind.h"
#include "files/picture.h"

#include <optional>
#include <string>
#include <vector>

namespace quillox
{

struct OutputFormat;

// What the command line asks for, once parsed and checked.
struct Options {
    // The output's row of the table (outputs.h); code unless chosen.
    const OutputFormat* output = nullptr;
    bool outputChosen = false;
    bool label = false;
    bool labelAsked = false; // --label was given (C outputs label anyway)
    std::string labelName;
    std::string labelSuffix;
    bool sizeSuffix = false;
    bool equ = false;
    PictureRequest picture;
    ByteStyle style;
    // The options that need byte data, for the message when another output
    // is chosen, and those that need assembler code (--radix, --directive).
    std::string byteOption;
    std::string assemblerOption;
    std::optional<std::string> outputFile;
    std::vector<std::string> inputs;
    bool help = false;
    bool version = false;
    bool thresholdGiven = false;
    // Axe's Pt-Mask( data of 8 x 8 pictures (--pt-mask).
    bool ptMask = false;
    // The calculator variable's name and whether it goes to the archive.
    std::optional<std::string> variableName;
    bool archived = false;
};

struct UsageError {
    std::string message;
};

// Reads the arguments into `options`; nothing is checked against the output
// yet, so that --help wins over any other mistake but a malformed option.
std::optional<UsageError> parseArguments(const std::vector<std::string>& arguments,
                                         Options& options);

// Checks the options against each other and the chosen output, and fills in
// what follows from them (the byte style and the picture request).
std::optional<UsageError> checkOptions(Options& options);

// What the options refuse of an input of this kind before it is read: a
// mask or its colour asked of an input that has no transparency; or nothing.
std::optional<std::string> inputRefusal(const Options& options, InputKind kind);

} // namespace quillox
