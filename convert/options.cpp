#include "convert/options.h"

#include "code/labels.h"
#include "code/toolchaindata.h"
#include "convert/outputs.h"

#include <algorithm>
#include <cctype>

namespace quillox
{

namespace
{

bool chooseOutput(Options& options, const OutputFormat& format)
{
    if (options.outputChosen && options.output != &format)
        return false;
    options.output = &format;
    options.outputChosen = true;
    return true;
}

template <typename Value>
std::optional<UsageError> choose(const std::string& option, const std::string& name,
                                 std::initializer_list<std::pair<const char*, Value>> choices,
                                 Value& into)
{
    std::string known;
    for (const auto& [choiceName, value] : choices) {
        if (name == choiceName) {
            into = value;
            return std::nullopt;
        }
        known += std::string(known.empty() ? "" : ", ") + choiceName;
    }
    return UsageError{"'" + name + "' is not a value of " + option + " (" + known + ")"};
}

bool parseNumber(const std::string& text, long long low, long long high, long long& number)
{
    if (text.empty() || text.size() > 10 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    number = std::stoll(text);
    return number >= low && number <= high;
}

std::optional<UsageError> parseTile(Options& options, const std::string& size)
{
    const std::size_t x = size.find_first_of("xX");
    long long width = 0;
    long long height = 0;
    if (x == std::string::npos || !parseNumber(size.substr(0, x), 1, 4096, width) ||
        !parseNumber(size.substr(x + 1), 1, 4096, height))
        return UsageError{"'" + size + "' is not a tile size WxH of 1 to 4096 each"};
    options.picture.tileWidth = static_cast<int>(width);
    options.picture.tileHeight = static_cast<int>(height);
    return std::nullopt;
}

std::optional<UsageError> parseColour(Options& options, std::string colour)
{
    if (!colour.empty() && colour[0] == '#')
        colour.erase(0, 1);
    if (colour.size() != 6 || !std::all_of(colour.begin(), colour.end(), [](char c) {
            return std::isxdigit(static_cast<unsigned char>(c));
        }))
        return UsageError{"'" + colour + "' is not a colour RRGGBB"};
    options.picture.maskColour = static_cast<Rgb>(std::stoul(colour, nullptr, 16));
    options.picture.mask = true;
    return std::nullopt;
}

// The options of the form --NAME=VALUE, and whether each needs byte code.
std::optional<UsageError> parseValueOption(Options& options, const std::string& name,
                                           const std::string& value)
{
    ByteStyle& style = options.style;
    long long number = 0;
    if (name == "--to") {
        const OutputFormat* format = outputFormat(value);
        if (!format) {
            std::string known;
            for (const OutputFormat& each : outputFormats())
                known += std::string(known.empty() ? "" : ", ") + each.name;
            return UsageError{"'" + value + "' is not a value of --to (" + known + ")"};
        }
        if (!chooseOutput(options, *format))
            return UsageError{"choose one output format"};
        return std::nullopt;
    }
    if (name == "--label") { // checked in checkOptions, by the output's rule
        options.label = true;
        options.labelAsked = true;
        options.labelName = value;
        if (value.empty())
            return UsageError{"--label= needs a NAME"};
        return std::nullopt;
    }
    if (name == "--label-suffix") {
        options.labelSuffix = value;
        options.sizeSuffix = false;
        if (!isAssemblerIdentifier("a" + value))
            return UsageError{"'" + value + "' cannot end a label"};
        return std::nullopt;
    }
    if (name == "--name") {
        options.variableName = value;
        return std::nullopt;
    }
    if (name == "--output") {
        options.outputFile = value;
        return std::nullopt;
    }
    if (name == "--tile")
        return parseTile(options, value);
    if (name == "--threshold") {
        if (!parseNumber(value, 0, 255, number))
            return UsageError{"'" + value + "' is not a threshold from 0 to 255"};
        options.picture.threshold = static_cast<int>(number);
        options.thresholdGiven = true;
        return std::nullopt;
    }
    if (name == "--tiles") {
        if (!parseNumber(value, 1, 1000000000, number))
            return UsageError{"'" + value + "' is not a number of tiles"};
        options.picture.maxTiles = number;
        return std::nullopt;
    }
    // The rest need byte data, --radix and --directive assembler code.
    options.byteOption = name;
    if (name == "--radix" || name == "--directive")
        options.assemblerOption = name;
    if (name == "--radix")
        return choose<ByteRadix>(
            name, value,
            {{"bin", ByteRadix::Binary}, {"hex", ByteRadix::Hex}, {"dec", ByteRadix::Decimal}},
            style.radix);
    if (name == "--directive")
        return choose<std::string>(
            name, value, {{".db", ".db"}, {"db", "db"}, {"defb", "defb"}, {".byte", ".byte"}},
            style.directive);
    if (name == "--mask-order")
        return choose<MaskOrder>(name, value,
                                 {{"before", MaskOrder::Before},
                                  {"after", MaskOrder::After},
                                  {"interleaved", MaskOrder::Interleaved}},
                                 style.maskOrder);
    if (name == "--mask-polarity")
        return choose<MaskPolarity>(name, value,
                                    {{"and", MaskPolarity::And}, {"or", MaskPolarity::Or}},
                                    style.maskPolarity);
    if (name == "--mask-colour" || name == "--mask-color")
        return parseColour(options, value);
    if (name == "--shades")
        return choose<int>(name, value, {{"3", 3}, {"4", 4}}, style.shades);
    return UsageError{"unknown option '" + name + "=" + value + "'"};
}

// The calculator variable's options go with calculator files only.
std::optional<UsageError> checkCalculatorOptions(const Options& options)
{
    if (!options.output->is(CalculatorFile) && (options.variableName || options.archived))
        return UsageError{std::string(options.archived ? "--archived" : "--name") +
                          " goes with --to=8xv and --to=8xi only"};
    return std::nullopt;
}

// The labels each output takes: assembler labels, C names (always, from the
// file names without --label), one Axe static name, none in hex.
std::optional<UsageError> checkLabels(Options& options)
{
    switch (options.output->labels) {
    case LabelRule::Axe:
        if (options.label && options.labelName.empty())
            return UsageError{"--to=axe takes --label=NAME, a static name such as Pic1"};
        if (options.label && !isAxeStaticName(options.labelName))
            return UsageError{"'" + options.labelName +
                              "' is not an Axe static name: Pic, Str or GDB, then 1 to 10 "
                              "letters A to Z and digits (Pic1, GDB1MAP)"};
        if (options.equ || options.sizeSuffix || !options.labelSuffix.empty())
            return UsageError{std::string(options.equ ? "--equ" : "--label-suffix") +
                              " goes with assembler or C output, not --to=axe"};
        return std::nullopt;
    case LabelRule::HexDigits:
        if (options.label || options.equ || options.sizeSuffix || !options.labelSuffix.empty())
            return UsageError{"--to=hex writes lines of hex digits only, no labels or sizes"};
        return std::nullopt;
    case LabelRule::C:
        if (!options.labelName.empty() && !isCIdentifier(options.labelName))
            return UsageError{"'" + options.labelName +
                              "' is not a C name (letters, digits and _, not first; no keyword "
                              "or name of the C library)"};
        options.label = true; // every array needs a name
        return std::nullopt;
    case LabelRule::Assembler:
    case LabelRule::None:
        break;
    }
    if (!options.labelName.empty() && !isAssemblerIdentifier(options.labelName))
        return UsageError{"'" + options.labelName + "' is not a label an assembler takes"};
    if (options.equ && !options.label)
        return UsageError{"--equ names the sizes after the labels: give --label too"};
    return std::nullopt;
}

// Pt-Mask( draws 8 x 8 sprites of three levels and transparency from
// pictures, as Axe data.
std::optional<UsageError> checkPtMask(Options& options, const OutputFormat& output)
{
    if (!options.ptMask)
        return std::nullopt;
    if (output.labels != LabelRule::Axe)
        return UsageError{"--pt-mask goes with --to=axe only"};
    if (options.picture.tileWidth != 0 &&
        (options.picture.tileWidth != PtMaskSide || options.picture.tileHeight != PtMaskSide))
        return UsageError{"--pt-mask draws 8 x 8 sprites, not tiles of " +
                          std::to_string(options.picture.tileWidth) + " x " +
                          std::to_string(options.picture.tileHeight) + ": give --tile=8x8"};
    // Pt-Mask( data has its own layout: no header, radix, mask order or
    // polarity; its levels are fixed.
    const bool maskOption =
        options.byteOption == "--mask" || options.byteOption.rfind("--mask-col", 0) == 0;
    if (!options.byteOption.empty() && !maskOption)
        return UsageError{options.byteOption + " does not go with --pt-mask"};
    if (options.thresholdGiven)
        return UsageError{"--threshold does not go with --pt-mask, which reads three levels"};
    options.style.shades = 3;
    options.picture.mask = true;
    return std::nullopt;
}

// The checks once the output is known.
std::optional<UsageError> checkForOutput(Options& options, const OutputFormat& output)
{
    if (auto error = checkPtMask(options, output))
        return error;
    options.style.headerKind = output.header;
    if (options.picture.mask && options.style.maskOrder == MaskOrder::None)
        options.style.maskOrder = MaskOrder::Before;
    if (!options.picture.mask)
        options.style.maskOrder = MaskOrder::None;
    options.picture.shades = options.style.shades;
    if (options.thresholdGiven && options.picture.shades > 2)
        return UsageError{"--threshold goes with two colours only, not with --shades"};
    options.picture.cropToDrawn = output.is(CropsToSprite);
    if (output.is(ByteData))
        options.picture.wholeWidth = options.picture.wholeHeight = MaxPictureSide;
    if (auto error = checkCalculatorOptions(options))
        return error;
    if (output.check)
        if (std::optional<std::string> error = output.check(options))
            return UsageError{*error};
    if (options.inputs.empty())
        return UsageError{"no input files"};
    const bool oneInput = output.is(OneInput);
    if (oneInput && options.inputs.size() != 1)
        return UsageError{"converting to a sprite file or a picture takes one FILE"};
    if (output.labels == LabelRule::None && options.label)
        return UsageError{"labels go with code output only"};
    if (oneInput && options.picture.tileWidth != 0)
        return UsageError{"a sheet goes to code output only"};
    if (options.picture.maxTiles >= 0 && options.picture.tileWidth == 0)
        return UsageError{"--tiles goes with --tile"};
    if (auto error = checkLabels(options))
        return error;
    if (options.outputFile && options.outputFile->empty())
        return UsageError{"the output file name is empty"};
    return std::nullopt;
}

} // namespace

std::optional<UsageError> checkOptions(Options& options)
{
    if (!options.output)
        options.output = outputFormat(options.ptMask ? "axe" : "code");
    const OutputFormat& output = *options.output;
    if (options.ptMask)
        return checkForOutput(options, output);
    if (!options.assemblerOption.empty() && options.outputChosen && !output.is(AssemblerSyntax))
        return UsageError{options.assemblerOption + " goes with assembler code (--bytes) only"};
    if (!options.byteOption.empty()) {
        if (options.outputChosen && !output.is(ByteData))
            return UsageError{options.byteOption +
                              " goes with byte data (--bytes, --to=axe, hex, c or 8xv) only"};
        if (!options.outputChosen)
            options.output = outputFormat("bytes");
    }
    return checkForOutput(options, *options.output);
}

std::optional<std::string> inputRefusal(const Options& options, InputKind kind)
{
    // A calculator's Pic is a picture to --pt-mask, without transparency.
    if (options.ptMask && kind != InputKind::Picture && kind != InputKind::CalculatorFile)
        return std::string(kind == InputKind::SpriteFile ? "a sprite file" : "sprite code") +
               " is no picture: --pt-mask reads pictures only";
    if (!options.picture.mask || kind == InputKind::Picture || options.ptMask)
        return std::nullopt;
    const char* what = kind == InputKind::SpriteFile       ? "a sprite file"
                       : kind == InputKind::CalculatorFile ? "a calculator picture"
                                                           : "sprite code";
    return std::string(what) + (options.picture.maskColour ? " has no colours for --mask-colour"
                                                           : " has no transparency for --mask");
}

std::optional<UsageError> parseArguments(const std::vector<std::string>& arguments,
                                         Options& options)
{
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const std::size_t equals = argument.find('=');
        if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
            options.inputs.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument == "--bytes") {
            if (!chooseOutput(options, *outputFormat("bytes")))
                return UsageError{"choose one output format"};
        } else if (argument == "--label") {
            options.label = true;
            options.labelAsked = true;
            options.labelName.clear();
        } else if (argument == "--label-suffix") {
            options.sizeSuffix = true;
            options.labelSuffix.clear();
        } else if (argument == "--archived") {
            options.archived = true;
        } else if (argument == "--equ") {
            options.equ = true;
        } else if (argument == "--pt-mask") {
            options.ptMask = true;
        } else if (argument == "--header" || argument == "--mask") {
            options.byteOption = argument;
            (argument == "--mask" ? options.picture.mask : options.style.header) = true;
        } else if (argument == "-o" || argument == "--output") {
            if (++i == arguments.size())
                return UsageError{"option '" + argument + "' needs a file name"};
            options.outputFile = arguments[i];
        } else if (argument.rfind("--", 0) == 0 && equals != std::string::npos) {
            if (auto error = parseValueOption(options, argument.substr(0, equals),
                                              argument.substr(equals + 1)))
                return error;
        } else if (argument.rfind("-o", 0) == 0) {
            options.outputFile = argument.substr(2);
        } else {
            return UsageError{"unknown option '" + argument + "'"};
        }
    }
    return std::nullopt;
}

} // namespace quillox
