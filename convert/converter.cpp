#include "convert/converter.h"

#include "code/bytecode.h"
#include "code/codereader.h"
#include "code/labels.h"
#include "code/spritecode.h"
#include "code/toolchaindata.h"
#include "convert/imagemodule.h"
#include "files/calculatorfile.h"
#include "files/inputkind.h"
#include "files/pixeltiles.h"
#include "files/spritefile.h"
#include "platform/fileaccess.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <optional>
#include <set>

namespace quillox
{

namespace
{

constexpr char Usage[] =
    "Usage: quillox-convert [OPTION]... FILE...\n"
    "Converts Quillox sprites between sprite files (.spr), Z80 code and pictures,\n"
    "and turns pictures and sprite sheets into data for the TI-83 toolchains:\n"
    "Z80 assemblers, Axe Parser, TI-BASIC hex sprites and C (z88dk, SDCC).\n"
    "\n"
    "Each FILE is a sprite file, code text (the editor's, or .db lines as other\n"
    "tools write them), or a picture (PNG or any format Qt reads). In a picture\n"
    "a pixel is set when it is opaque (alpha at least 128) and its luminance\n"
    "(299 R + 587 G + 114 B) / 1000 is below 128; transparent pixels are clear.\n"
    "Byte data (--bytes, --to=axe, --to=hex, --to=c, --to=8xv) takes a picture\n"
    "whole, up to 4096 x 4096 pixels. The editor's code, sprite files and PNG\n"
    "output hold at most 15 x 15: a larger picture gives the box of its drawn\n"
    "pixels for --to=code and --to=spr when that box fits. The kind is told by\n"
    "the content: a .spr name or a digit first is a sprite file, then code,\n"
    "else a picture. '-' reads standard input. A TI-83 Plus picture file (.8xi,\n"
    "a Pic variable) is a 96 x 63 picture.\n"
    "\n"
    "Output:\n"
    "  --to=code        code as the editor saves it, one .db line per row (default)\n"
    "                   Example: quillox-convert -o sword.z80 sword.spr\n"
    "  --bytes          code for an assembler: rows padded to whole bytes, the\n"
    "                   leftmost pixel in bit 7 (the same as --to=bytes)\n"
    "                   Example: --bytes s.spr gives  .db %10100000  when s.spr\n"
    "                   holds 0103101 (1 x 3 pixels: 101)\n"
    "  --to=spr         a sprite file (one FILE only):  --to=spr -o s.spr s.png\n"
    "  --to=png         a PNG picture, one pixel per cell (one FILE only), never\n"
    "                   to a terminal:  --to=png -o s.png s.spr\n"
    "  --to=axe         Axe Parser data, one line per sprite:  [3C4281A581A5423C]\n"
    "                   --label=NAME (Pic1, Str1, GDB1MAP: Pic, Str or GDB, then\n"
    "                   1 to 10 letters A to Z and digits) stores the first\n"
    "                   sprite with \xE2\x86\x92NAME; the others follow it in memory:\n"
    "                   --to=axe --label=Pic1 -o sprites.txt *.spr\n"
    "  --to=hex         each sprite's bytes as one line of hex digits, for\n"
    "                   TI-BASIC hex-sprite libraries and shell icons; no labels:\n"
    "                   --to=hex icon.png  gives a 16 x 16 icon's 64 digits\n"
    "  --to=c           one C array per sprite (and grey plane), for z88dk and\n"
    "                   SDCC, named by the label rules as C names, also without\n"
    "                   --label: no keyword, no C library name, no leading _\n"
    "                   (int.spr gives int_, standard input stdin_):\n"
    "                   --to=c sword.spr  gives  const unsigned char sword[] = {\n"
    "  --to=8xv         a TI-83 Plus AppVar file holding the bytes of every sprite,\n"
    "                   in order, as --bytes assembles them (at most 65516 bytes;\n"
    "                   the byte options apply, a picture may be of any size):\n"
    "                   --to=8xv --name=SPRITES -o sprites.8xv hero.spr ship.png\n"
    "  --to=8xi         a TI-83 Plus picture file (Pic) of one FILE of at most\n"
    "                   96 x 64 pixels, placed at the top left; its 64th row, which\n"
    "                   a Pic cannot hold, must be clear:\n"
    "                   --to=8xi --name=Pic1 -o title.8xi title.png\n"
    "  --name=NAME      the calculator variable's name, needed by both: for an\n"
    "                   AppVar 1 to 8 letters and digits, a letter first; for a\n"
    "                   picture Pic1 to Pic9 or Pic0\n"
    "  --archived       the variable goes to the archive when it is sent\n"
    "  -o, --output=OUT write to OUT instead of standard output; OUT is replaced\n"
    "                   only when every FILE converted. '-', /dev/stdout and\n"
    "                   other names of standard output write to the stream.\n"
    "                   Example: --bytes -o sprites.inc *.spr\n"
    "\n"
    "Labels:\n"
    "  --label[=NAME]   put a label before each sprite's code: NAME, NAME_2, ...\n"
    "                   or, without NAME, the file's name made an identifier:\n"
    "                   --label sword.spr  gives  sword:\n"
    "                   (for --to=axe see there; --to=hex takes no labels)\n"
    "  --label-suffix[=TEXT]  add TEXT to every label, or without TEXT the\n"
    "                   sprite's size:  --label=hero --label-suffix  gives hero_8x8\n"
    "  --equ            before each FILE's sprites, its size for programs that\n"
    "                   take it by name:  hero_HEIGHT .equ 8  and  hero_WIDTH .equ 1\n"
    "                   (bytes per row; 'hero_HEIGHT: equ 8' for db and defb,\n"
    "                   '#define hero_HEIGHT 8' in C)\n"
    "\n"
    "Sprite sheets:\n"
    "  --tile=WxH       cut each picture into tiles of W x H pixels (1 to 4096\n"
    "                   each; over 15 x 15 for byte data only), left to right,\n"
    "                   top to bottom, labelled NAME_0, NAME_1, ...; the picture\n"
    "                   must be a whole number of tiles, at most 4096 x 4096\n"
    "                   pixels and 16 MiB. A sprite file is one tile.\n"
    "                   Example: --tile=16x16 --label=tiles sheet.png\n"
    "  --tiles=N        stop after the first N tiles of each picture:\n"
    "                   --tile=8x8 --tiles=4 sheet.png\n"
    "  --threshold=N    set the opaque pixels whose luminance is below N (0 to\n"
    "                   255, default 128); 255 sets every colour but white:\n"
    "                   --threshold=200 scan.png\n"
    "\n"
    "Byte data (each of these selects --bytes unless --to=axe, hex or c is given;\n"
    "--radix and --directive go with --bytes only):\n"
    "  --radix=bin|hex|dec  bytes as %10100000 (default), $A0 or 160\n"
    "  --directive=D    .db (default), db, defb or .byte:  --directive=defb\n"
    "  --header         before each sprite's rows, the height and the bytes per\n"
    "                   row (--bytes, hex:  .db 8,1) or, for C and Axe, the width\n"
    "                   in pixels and the height (z88dk's sprites, Axe's Bitmap():\n"
    "                   0x08, 0x08); a value over 255 is refused\n"
    "  --mask           a mask for each sprite from the picture's transparency\n"
    "                   (alpha below 128); transparent pixels are clear in the\n"
    "                   sprite. Sprite files and code have no transparency.\n"
    "                   Example: --mask --label=ship ship.png\n"
    "  --mask-colour=RRGGBB  the pixels of this colour are the transparent ones\n"
    "                   (implies --mask):  --mask-colour=FF00FF\n"
    "  --mask-order=before|after|interleaved  the mask's rows before the\n"
    "                   sprite's (default), after them, or row by row, each mask\n"
    "                   row first:  --mask --mask-order=interleaved\n"
    "  --mask-polarity=and|or  AND masks (default) are 0 where the sprite is\n"
    "                   opaque and 1 where the screen shows through, as the\n"
    "                   routines that AND the mask then OR the sprite take them;\n"
    "                   OR masks are the inverse. Padding shows the screen:\n"
    "                   --mask --mask-polarity=or\n"
    "  --shades=3|4     grey levels from the luminance, written as two planes per\n"
    "                   sprite, the dark one first, labelled NAME_dark and\n"
    "                   NAME_light. With 4 shades black sets both planes, dark\n"
    "                   grey the dark one, light grey the light one, white none;\n"
    "                   with 3 shades grey sets the dark plane:  --shades=4\n"
    "\n"
    "  --help           show this help and exit:  quillox-convert --help\n"
    "  --version        show the version and exit:  quillox-convert --version\n"
    "\n"
    "Examples, one per toolchain:\n"
    "  a masked sheet of 16 x 16 tiles for GNU as (pasmo: add --directive=db,\n"
    "  z80asm: --directive=defb):\n"
    "    quillox-convert --tile=16x16 --mask --label=tiles -o tiles.inc sheet.png\n"
    "  Axe Parser, the tiles stored from Pic1 on (Pt-On(X,Y,Pic1+8)):\n"
    "    quillox-convert --to=axe --tile=8x8 --label=Pic1 -o tiles.txt sheet.png\n"
    "  a 16 x 16 shell icon or hex sprite for TI-BASIC:\n"
    "    quillox-convert --to=hex icon.png\n"
    "  C for z88dk's putsprite() or SDCC, width and height first:\n"
    "    quillox-convert --to=c --header --tile=8x8 -o tiles.h sheet.png\n"
    "\n"
    "Sprite files must be exact: two size fields 01 to 15, height x width digits\n"
    "0 or 1, then CR LF, LF or nothing. Code that starts with a TAB must be\n"
    "TAB .db TAB % lines of one width. Sprite files and code over 64 KiB,\n"
    "pictures over 16 MiB and files that are not regular files are refused. On\n"
    "standard output, the sprites before a FILE that fails are already written.\n"
    "\n"
    "PNG pictures and calculator files are not written to a terminal.\n"
    "\n"
    "Exit status: 0 done, 1 a FILE could not be converted or OUT not written,\n"
    "2 wrong usage.\n";

enum class Target { Code, Bytes, SpriteFile, Png, Axe, Hex, C, AppVar, Pic };

bool isCalculatorFile(Target target)
{
    return target == Target::AppVar || target == Target::Pic;
}

// The outputs of byte data: any size, sheets, headers, masks and grey planes.
bool isByteTarget(Target target)
{
    return target == Target::Bytes || target == Target::Axe || target == Target::Hex ||
           target == Target::C || target == Target::AppVar;
}

struct Options {
    Target target = Target::Code;
    bool targetChosen = false;
    bool label = false;
    std::string labelName;
    std::string labelSuffix;
    bool sizeSuffix = false;
    bool equ = false;
    PictureRequest picture;
    ByteStyle style;
    // The options that need byte data, for the message when another is chosen,
    // and those that need assembler code (--radix, --directive).
    std::string byteOption;
    std::string assemblerOption;
    std::optional<std::string> output;
    std::vector<std::string> inputs;
    bool help = false;
    bool version = false;
    bool thresholdGiven = false;
    // The calculator variable's name and whether it goes to the archive.
    std::optional<std::string> variableName;
    bool archived = false;
};

struct UsageError {
    std::string message;
};

bool chooseTarget(Options& options, Target target)
{
    if (options.targetChosen && options.target != target)
        return false;
    options.target = target;
    options.targetChosen = true;
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
        Target target = Target::Code;
        auto error = choose<Target>(name, value,
                                    {{"code", Target::Code},
                                     {"bytes", Target::Bytes},
                                     {"spr", Target::SpriteFile},
                                     {"png", Target::Png},
                                     {"axe", Target::Axe},
                                     {"hex", Target::Hex},
                                     {"c", Target::C},
                                     {"8xv", Target::AppVar},
                                     {"8xi", Target::Pic}},
                                    target);
        if (!error && !chooseTarget(options, target))
            error = UsageError{"choose one output format"};
        return error;
    }
    if (name == "--label") { // checked in checkOptions, by the output's rule
        options.label = true;
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
        options.output = value;
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
            if (!chooseTarget(options, Target::Bytes))
                return UsageError{"choose one output format"};
        } else if (argument == "--label") {
            options.label = true;
            options.labelName.clear();
        } else if (argument == "--label-suffix") {
            options.sizeSuffix = true;
            options.labelSuffix.clear();
        } else if (argument == "--archived") {
            options.archived = true;
        } else if (argument == "--equ") {
            options.equ = true;
        } else if (argument == "--header" || argument == "--mask") {
            options.byteOption = argument;
            (argument == "--mask" ? options.picture.mask : options.style.header) = true;
        } else if (argument == "-o" || argument == "--output") {
            if (++i == arguments.size())
                return UsageError{"option '" + argument + "' needs a file name"};
            options.output = arguments[i];
        } else if (argument.rfind("--", 0) == 0 && equals != std::string::npos) {
            if (auto error = parseValueOption(options, argument.substr(0, equals),
                                              argument.substr(equals + 1)))
                return error;
        } else if (argument.rfind("-o", 0) == 0) {
            options.output = argument.substr(2);
        } else {
            return UsageError{"unknown option '" + argument + "'"};
        }
    }
    return std::nullopt;
}

// The variable's name and where a picture is taken whole.
std::optional<UsageError> checkCalculatorOptions(Options& options)
{
    if (!isCalculatorFile(options.target)) {
        if (options.variableName || options.archived)
            return UsageError{std::string(options.archived ? "--archived" : "--name") +
                              " goes with --to=8xv and --to=8xi only"};
        return std::nullopt;
    }
    const bool appVar = options.target == Target::AppVar;
    if (!options.variableName)
        return UsageError{appVar ? "--to=8xv needs the AppVar's name: --name=NAME"
                                 : "--to=8xi needs the picture's name: --name=Pic1 to Pic9, Pic0"};
    const std::string& name = *options.variableName;
    if (appVar && !isAppVarName(name))
        return UsageError{"'" + name + "' is not an AppVar name: 1 to 8 letters and digits, " +
                          "a letter first"};
    if (!appVar && !picVariableName(name))
        return UsageError{"'" + name + "' is not a picture's name: Pic1 to Pic9 or Pic0"};
    // A Pic is the screen; an AppVar holds bytes of any size up to a sheet's.
    options.picture.wholeWidth = appVar ? MaxPictureSide : PicWidth;
    options.picture.wholeHeight = appVar ? MaxPictureSide : ScreenHeight;
    return std::nullopt;
}

// The labels each output takes: assembler labels, C names (always, from the
// file names without --label), one Axe static name, none in hex.
std::optional<UsageError> checkLabels(Options& options)
{
    const Target target = options.target;
    if (target == Target::Axe) {
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
    }
    if (target == Target::Hex &&
        (options.label || options.equ || options.sizeSuffix || !options.labelSuffix.empty()))
        return UsageError{"--to=hex writes lines of hex digits only, no labels or sizes"};
    if (target == Target::C) {
        if (!options.labelName.empty() && !isCIdentifier(options.labelName))
            return UsageError{"'" + options.labelName +
                              "' is not a C name (letters, digits and _, not first; no keyword "
                              "or name of the C library)"};
        options.label = true; // every array needs a name
        return std::nullopt;
    }
    if (!options.labelName.empty() && !isAssemblerIdentifier(options.labelName))
        return UsageError{"'" + options.labelName + "' is not a label an assembler takes"};
    if (options.equ && !options.label)
        return UsageError{"--equ names the sizes after the labels: give --label too"};
    return std::nullopt;
}

std::optional<UsageError> checkOptions(Options& options)
{
    if (!options.assemblerOption.empty() && options.targetChosen && options.target != Target::Bytes)
        return UsageError{options.assemblerOption + " goes with assembler code (--bytes) only"};
    if (!options.byteOption.empty()) {
        if (options.targetChosen && !isByteTarget(options.target))
            return UsageError{options.byteOption +
                              " goes with byte data (--bytes, --to=axe, hex, c or 8xv) only"};
        if (!options.targetChosen)
            options.target = Target::Bytes;
    }
    if (options.target == Target::Axe || options.target == Target::C)
        options.style.headerKind = HeaderKind::WidthAndHeight;
    if (options.picture.mask && options.style.maskOrder == MaskOrder::None)
        options.style.maskOrder = MaskOrder::Before;
    if (!options.picture.mask)
        options.style.maskOrder = MaskOrder::None;
    options.picture.shades = options.style.shades;
    if (options.thresholdGiven && options.picture.shades > 2)
        return UsageError{"--threshold goes with two colours only, not with --shades"};
    options.picture.cropToDrawn =
        options.target == Target::Code || options.target == Target::SpriteFile;
    if (isByteTarget(options.target))
        options.picture.wholeWidth = options.picture.wholeHeight = MaxPictureSide;
    if (options.target == Target::Code &&
        (options.picture.tileWidth > 15 || options.picture.tileHeight > 15))
        return UsageError{"tiles over 15 x 15 go to byte data (--bytes, --to=axe, hex or c)"};
    const bool picture = options.target == Target::SpriteFile || options.target == Target::Png ||
                         options.target == Target::Pic;
    if (auto error = checkCalculatorOptions(options))
        return error;
    if (options.inputs.empty())
        return UsageError{"no input files"};
    if (picture && options.inputs.size() != 1)
        return UsageError{"converting to a sprite file or a picture takes one FILE"};
    if ((picture || options.target == Target::AppVar) && options.label)
        return UsageError{"labels go with code output only"};
    if (picture && options.picture.tileWidth != 0)
        return UsageError{"a sheet goes to code output only"};
    if (options.picture.maxTiles >= 0 && options.picture.tileWidth == 0)
        return UsageError{"--tiles goes with --tile"};
    if (auto error = checkLabels(options))
        return error;
    if (options.output && options.output->empty())
        return UsageError{"the output file name is empty"};
    return std::nullopt;
}

// The converter's words for a failure of the file layer.
std::string failureReason(const fileaccess::Failure& failure)
{
    switch (failure.problem) {
    case fileaccess::Problem::Folder:
        return "it is a folder";
    case fileaccess::Problem::NotRegular:
        return "it is not a regular file";
    case fileaccess::Problem::NoReader:
        return "no program reads it";
    case fileaccess::Problem::System:
        break;
    }
    return failure.reason.empty() ? "error " + std::to_string(failure.systemError) : failure.reason;
}

// Reads one byte past the bound, so that a larger input is seen and named.
bool readFile(const std::string& path, std::size_t limit, std::string& bytes, std::string& reason)
{
    fileaccess::Failure failure;
    if (!(path == "-" ? fileaccess::readStandardInput(limit + 1, bytes, failure)
                      : fileaccess::readRegularFile(path, limit + 1, bytes, failure))) {
        reason = failureReason(failure);
        return false;
    }
    if (bytes.size() <= limit)
        return true;
    reason = "it is larger than 16 MiB";
    return false;
}

std::string shownName(const std::string& path)
{
    return path == "-" ? "standard input" : path;
}

// Labels from NAME or the file names, made unique by a number. Only the base
// of each FILE is kept, so memory does not grow with the tiles of a sheet.
class Labeller
{
public:
    Labeller(std::string name, bool cNames) : name_(std::move(name)), cNames_(cNames) {}

    std::string next(const std::string& path)
    {
        const std::string base = !name_.empty() ? name_
                                 : path == "-"  ? (cNames_ ? cIdentifierOf("stdin") : "stdin")
                                 : cNames_      ? cNameForFile(path)
                                                : labelForFile(path);
        std::string label = base;
        for (int n = 2; !used_.insert(label).second; ++n)
            label = base + "_" + std::to_string(n);
        return label;
    }

private:
    std::string name_;
    bool cNames_;
    std::set<std::string> used_;
};

// What goes into a calculator variable, gathered from every FILE: the
// file's length must be known before it is written.
struct CalculatorVariable {
    std::string data;
    // The AppVar's content size, counted on past what it can hold.
    unsigned long long size = 0;
};

// Turns the sprites of one FILE into output pieces.
class InputConverter
{
public:
    // `written` counts the sprites of the whole output; a calculator file
    // gathers them in `variable`.
    InputConverter(const Options& options, std::string base, const OutputStream& put,
                   long long& written, CalculatorVariable& variable)
        : options_(options), base_(std::move(base)), put_(put), written_(written),
          variable_(variable)
    {
    }

    // False when the output cannot be made (the reason tells) or written
    // (writeFailed tells).
    bool take(const SpritePixels& pixels)
    {
        piece_.clear();
        if (reason = headerProblem(pixels, options_.style); !reason.empty()) {
            refused = true;
            return false;
        }
        std::string label;
        if (options_.label && options_.target != Target::Axe) {
            label = base_;
            if (options_.picture.tileWidth != 0)
                label += "_" + std::to_string(count_);
            label += suffix(pixels);
            if (count_ == 0 && options_.equ && options_.target == Target::C)
                appendCSizeDefines(piece_, cIdentifierOf(base_ + suffix(pixels)), pixels.width,
                                   pixels.height);
            else if (count_ == 0 && options_.equ)
                appendSizeConstants(piece_, base_ + suffix(pixels), pixels.width, pixels.height,
                                    options_.style.directive);
        }
        ++count_;
        const bool first = written_++ == 0;
        switch (options_.target) {
        case Target::Code:
            if (!label.empty())
                piece_ += label + ":\r\n";
            piece_ += codeFileBytes(spriteCode(spriteOfPixels(pixels)));
            break;
        case Target::Bytes:
            appendByteCode(piece_, pixels, options_.style, label);
            break;
        case Target::Axe: // only the first sprite of the output is named
            appendAxeData(piece_, pixels, options_.style, first ? options_.labelName : "");
            break;
        case Target::Hex:
            appendHexLine(piece_, pixels, options_.style);
            break;
        case Target::C:
            appendCArrays(piece_, pixels, options_.style, label);
            break;
        case Target::SpriteFile:
            piece_ = spriteFileBytes(spriteFileText(spriteOfPixels(pixels)));
            break;
        case Target::Png: {
            const ImageCodec* codec = loadImageCodec(reason);
            if (!codec)
                return false;
            piece_ = codec->pngOfPixels(pixels);
            break;
        }
        case Target::AppVar:
            piece_ = toText(spriteBytes(pixels, options_.style));
            variable_.size += piece_.size();
            if (variable_.size <= MaxAppVarContent)
                variable_.data += piece_;
            return true;
        case Target::Pic:
            if (auto picture = picBytesOf(pixels, reason)) {
                variable_.data = std::move(*picture);
                return true;
            }
            refused = true;
            return false;
        }
        writeFailed = !put_(piece_);
        return !writeFailed;
    }

    std::string reason;
    // What was made of the input that the user should know, such as a crop.
    std::string note;
    bool writeFailed = false;
    // A sprite the output cannot hold (reason tells): a false from take()
    // only stops the cutting of a sheet.
    bool refused = false;

private:
    static std::string toText(const std::vector<unsigned char>& bytes)
    {
        return std::string(bytes.begin(), bytes.end());
    }

    std::string suffix(const SpritePixels& pixels) const
    {
        return options_.sizeSuffix
                   ? "_" + std::to_string(pixels.width) + "x" + std::to_string(pixels.height)
                   : options_.labelSuffix;
    }

    const Options& options_;
    std::string base_;
    const OutputStream& put_;
    long long& written_;
    CalculatorVariable& variable_;
    std::string piece_;
    long long count_ = 0;
};

// Converts the bytes of one FILE; false with the reason when they are no
// sprite, or when the output failed (converter.writeFailed).
bool convertBytes(const Options& options, const std::string& path, const std::string& bytes,
                  InputConverter& converter)
{
    if (bytes.empty()) {
        converter.reason = "it is empty";
        return false;
    }
    const InputKind kind = kindOfInput(path, bytes);
    const bool spriteFile = kind == InputKind::SpriteFile;
    if (spriteFile || kind == InputKind::EditorCode || kind == InputKind::Code) {
        if (bytes.size() > MaxSpriteFileRead) {
            converter.reason = "it is larger than 64 KiB";
            return false;
        }
        const auto grid = spriteFile ? parseSpriteFile(bytes, converter.reason)
                          : kind == InputKind::EditorCode
                              ? parseSpriteCode(bytes, converter.reason)
                              : readSpriteCodeText(bytes, converter.reason);
        if (grid && options.picture.mask) {
            converter.reason = std::string(spriteFile ? "a sprite file" : "sprite code") +
                               (options.picture.maskColour ? " has no colours for --mask-colour"
                                                           : " has no transparency for --mask");
            return false;
        }
        return grid && converter.take(pixelsOfSprite(*grid));
    }
    PictureRequest request = options.picture;
    request.cropped = [&converter](const std::string& note) { converter.note = note; };
    const TileSink take = [&converter](const SpritePixels& tile) { return converter.take(tile); };
    if (kind == InputKind::CalculatorFile) {
        const auto picture = readPicFile(bytes, converter.reason);
        if (picture && options.picture.mask) {
            converter.reason = options.picture.maskColour
                                   ? "a calculator picture has no colours for --mask-colour"
                                   : "a calculator picture has no transparency for --mask";
            return false;
        }
        return picture && tilesOfPixels(*picture, request, take, converter.reason) &&
               !converter.writeFailed && !converter.refused;
    }
    const ImageCodec* codec = loadImageCodec(converter.reason);
    return codec && codec->tilesOfPicture(bytes, request, take, converter.reason) &&
           !converter.writeFailed && !converter.refused;
}

void reportFailure(ConverterRun& run, const std::string& path, const std::string& reason)
{
    run.standardError += "quillox-convert: " + path + ": " + reason + "\n";
    run.status = 1;
}

void reportUsageError(ConverterRun& run, const std::string& message)
{
    run.status = 2;
    run.standardError =
        "quillox-convert: " + message + "\nTry 'quillox-convert --help' for more information.\n";
}

// Binary output never goes to a terminal; the message for the target, or none.
std::optional<std::string> terminalRefusal(Target target)
{
    const char* what = target == Target::Png      ? "a PNG picture"
                       : isCalculatorFile(target) ? "a calculator file"
                                                  : nullptr;
    if (!what)
        return std::nullopt;
    return std::string(what) + " is not written to a terminal; give -o FILE or redirect "
                               "standard output";
}

// The gathered variable as a file; a failure is reported on the output.
void putCalculatorFile(const Options& options, const CalculatorVariable& variable,
                       const OutputStream& put, ConverterRun& run, const std::string& outputName,
                       const std::string& writeReason)
{
    const std::string& name = *options.variableName;
    if (options.target == Target::AppVar && variable.size > MaxAppVarContent)
        return reportFailure(run, outputName,
                             "the sprites come to " + std::to_string(variable.size) +
                                 " bytes; an AppVar holds at most " +
                                 std::to_string(MaxAppVarContent));
    const std::string file = options.target == Target::AppVar
                                 ? appVarFile(name, variable.data, options.archived)
                                 : picFile(*picVariableName(name), variable.data, options.archived);
    if (!put(file))
        reportFailure(run, outputName, writeReason);
}

void convert(const Options& options, const OutputStream& standardOutput,
             const InputReader& readInput, bool standardOutputIsTerminal, ConverterRun& run)
{
    std::optional<fileaccess::FileReplacement> file;
    std::string writeReason;
    fileaccess::Failure failure;
    if (options.output) {
        file.emplace(*options.output, fileaccess::SpecialFiles::Stream);
        if (!file->open(failure))
            return reportFailure(run, *options.output, failureReason(failure));
    }
    const bool toStream = !file || file->isStandardOutput();
    // -o /dev/stdout and the other names of standard output are the stream too.
    if (const std::optional<std::string> refusal = terminalRefusal(options.target);
        refusal && toStream && standardOutputIsTerminal)
        return reportUsageError(run, *refusal);
    const OutputStream put = [&](std::string_view piece) {
        if (run.status != 0)
            return true; // nothing more is written after a failure
        if (toStream && !standardOutput(piece)) {
            writeReason = std::strerror(errno);
            return false;
        }
        if (toStream || file->write(piece, failure))
            return true;
        writeReason = failureReason(failure);
        return false;
    };
    Labeller labeller(options.labelName, options.target == Target::C);
    long long written = 0;
    const std::size_t limit = MaxPictureRead;
    std::string bytes;
    CalculatorVariable variable;
    const std::string outputName = toStream ? "standard output" : *options.output;
    for (const std::string& path : options.inputs) {
        InputConverter converter(options, options.label ? labeller.next(path) : "", put, written,
                                 variable);
        if (!readInput(path, limit, bytes, converter.reason)) {
            reportFailure(run, shownName(path), converter.reason);
        } else if (!convertBytes(options, path, bytes, converter)) {
            if (converter.writeFailed)
                return reportFailure(run, outputName, writeReason);
            reportFailure(run, shownName(path), converter.reason);
        } else if (!converter.note.empty()) {
            run.standardError +=
                "quillox-convert: " + shownName(path) + ": " + converter.note + "\n";
        }
    }
    if (run.status == 0 && isCalculatorFile(options.target))
        putCalculatorFile(options, variable, put, run, outputName, writeReason);
    if (file && run.status != 0)
        file->cancel();
    else if (file && !file->commit(failure))
        reportFailure(run, *options.output, failureReason(failure));
}

} // namespace

ConverterRun runConverter(const std::vector<std::string>& arguments,
                          const OutputStream& standardOutput, const InputReader& readInput,
                          bool standardOutputIsTerminal)
{
    ConverterRun run;
    Options options;
    std::optional<UsageError> error = parseArguments(arguments, options);
    if (!error && (options.help || options.version)) {
        if (!standardOutput(options.help ? Usage : std::string(ConverterVersion) + "\n"))
            run.status = 1;
        return run;
    }
    if (!error)
        error = checkOptions(options);
    const bool toStandardOutput = !options.output || *options.output == "-";
    if (!error && toStandardOutput && standardOutputIsTerminal)
        if (const std::optional<std::string> refusal = terminalRefusal(options.target))
            error = UsageError{*refusal};
    if (error) {
        reportUsageError(run, error->message);
        return run;
    }
    convert(options, standardOutput, readInput, standardOutputIsTerminal, run);
    return run;
}

ConverterRun runConverter(const std::vector<std::string>& arguments,
                          const OutputStream& standardOutput, bool standardOutputIsTerminal)
{
    return runConverter(arguments, standardOutput, readFile, standardOutputIsTerminal);
}

ConverterRun runConverter(const std::vector<std::string>& arguments)
{
    std::string collected;
    ConverterRun run = runConverter(arguments, [&collected](std::string_view piece) {
        collected += piece;
        return true;
    });
    run.standardOutput = std::move(collected);
    return run;
}

} // namespace quillox
