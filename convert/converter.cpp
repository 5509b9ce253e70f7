#include "converter.h"

#include "filewrite.h"
#include "imagemodule.h"
#include "spritecode.h"
#include "spritefile.h"
#include "spriteformats.h"

#include <QFile>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace quillox
{

namespace
{

constexpr char Usage[] =
    "Usage: quillox-convert [OPTION]... FILE...\n"
    "Converts Quillox sprites between sprite files (.spr), Z80 code and pictures.\n"
    "\n"
    "Each FILE is a sprite file, code text as the editor shows it, or a picture\n"
    "(PNG or any format Qt reads) of at most 15 x 15 pixels, in which pixels of\n"
    "exactly white colour are clear and all others set; alpha is ignored, so a\n"
    "transparent pixel is clear only when its colour is white. The kind is told\n"
    "by the content: a digit first is a sprite file, a TAB code, else a picture.\n"
    "\n"
    "  --to=code        code as the editor saves it, one .db line per row (default)\n"
    "  --bytes          code for an assembler: rows padded to whole bytes, the\n"
    "                   leftmost pixel in bit 7 (the same as --to=bytes)\n"
    "  --to=spr         a sprite file (one FILE only)\n"
    "  --to=png         a PNG picture, one pixel per cell (one FILE only)\n"
    "  --label[=NAME]   put a label before each sprite's code: NAME, NAME_2, ...\n"
    "                   or, without NAME, the file's name made an identifier\n"
    "  -o, --output=OUT write to OUT instead of standard output; OUT is replaced\n"
    "                   only when every FILE converted\n"
    "  --help           show this help and exit\n"
    "  --version        show the version and exit\n"
    "\n"
    "Sprite files must be exact: two size fields 01 to 15, height x width digits\n"
    "0 or 1, then CR LF, LF or nothing. Code must be TAB .db TAB % lines of one\n"
    "width. Inputs over 64 KiB and files that are not regular files are refused.\n"
    "On standard output, the sprites before a FILE that fails are already written.\n"
    "\n"
    "Exit status: 0 done, 1 a FILE could not be converted or OUT not written,\n"
    "2 wrong usage.\n";

enum class Target { Code, Bytes, SpriteFile, Png };

struct Options {
    Target target = Target::Code;
    bool targetChosen = false;
    bool label = false;
    std::string labelName;
    std::optional<std::string> output;
    std::vector<std::string> inputs;
    bool help = false;
    bool version = false;
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

std::optional<UsageError> parseTarget(Options& options, const std::string& name)
{
    static const std::pair<const char*, Target> targets[] = {{"code", Target::Code},
                                                             {"bytes", Target::Bytes},
                                                             {"spr", Target::SpriteFile},
                                                             {"png", Target::Png}};
    for (const auto& [targetName, target] : targets)
        if (name == targetName)
            return chooseTarget(options, target)
                       ? std::nullopt
                       : std::optional<UsageError>({"choose one output format"});
    return UsageError{"unknown output format '" + name + "' (code, bytes, spr or png)"};
}

std::optional<UsageError> parseArguments(const std::vector<std::string>& arguments,
                                         Options& options)
{
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const auto value = [&](std::size_t prefix) { return argument.substr(prefix); };
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
        } else if (argument.rfind("--to=", 0) == 0) {
            if (auto error = parseTarget(options, value(5)))
                return error;
        } else if (argument == "--label") {
            options.label = true;
            options.labelName.clear();
        } else if (argument.rfind("--label=", 0) == 0) {
            options.label = true;
            options.labelName = value(8);
            if (!isAssemblerIdentifier(options.labelName))
                return UsageError{"'" + options.labelName + "' is not a label an assembler takes"};
        } else if (argument == "-o" || argument == "--output") {
            if (++i == arguments.size())
                return UsageError{"option '" + argument + "' needs a file name"};
            options.output = arguments[i];
        } else if (argument.rfind("--output=", 0) == 0) {
            options.output = value(9);
        } else if (argument.rfind("-o", 0) == 0) {
            options.output = value(2);
        } else {
            return UsageError{"unknown option '" + argument + "'"};
        }
    }
    return std::nullopt;
}

std::optional<UsageError> checkOptions(const Options& options)
{
    const bool picture = options.target == Target::SpriteFile || options.target == Target::Png;
    if (options.inputs.empty())
        return UsageError{"no input files"};
    if (picture && options.inputs.size() != 1)
        return UsageError{"converting to a sprite file or a picture takes one FILE"};
    if (picture && options.label)
        return UsageError{"labels go with code output only"};
    if (options.output && options.output->empty())
        return UsageError{"the output file name is empty"};
    return std::nullopt;
}

std::string systemReason(int error)
{
    return std::strerror(error);
}

bool isRegularFile(int fd, std::string& reason)
{
    struct stat status {
    };
    if (::fstat(fd, &status) != 0)
        reason = systemReason(errno);
    else if (S_ISDIR(status.st_mode))
        reason = "it is a folder";
    else if (!S_ISREG(status.st_mode))
        reason = "it is not a regular file";
    else
        return true;
    return false;
}

// Reads at most MaxSpriteFileRead bytes and one more to see a larger file.
bool readBounded(int fd, std::string& bytes, std::string& reason)
{
    bytes.clear();
    char chunk[4096];
    while (bytes.size() <= MaxSpriteFileRead) {
        const std::size_t wanted = std::min(sizeof chunk, MaxSpriteFileRead + 1 - bytes.size());
        const ssize_t got = ::read(fd, chunk, wanted);
        if (got == 0)
            return true;
        if (got > 0)
            bytes.append(chunk, static_cast<std::size_t>(got));
        else if (errno != EINTR) {
            reason = systemReason(errno);
            return false;
        }
    }
    reason = "it is larger than 64 KiB";
    return false;
}

// Opening does not wait on a named pipe; a device or folder is refused, so
// that nothing endless such as /dev/zero is read.
bool readInput(const std::string& path, std::string& bytes, std::string& reason)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        reason = systemReason(errno);
        return false;
    }
    const bool ok = isRegularFile(fd, reason) && readBounded(fd, bytes, reason);
    ::close(fd);
    return ok;
}

std::optional<SpriteGrid> parseInput(const std::string& bytes, std::string& reason)
{
    if (!bytes.empty() && bytes[0] >= '0' && bytes[0] <= '9')
        return parseSpriteFile(bytes, reason);
    if (!bytes.empty() && bytes[0] == '\t')
        return parseSpriteCode(bytes, reason);
    if (bytes.empty()) {
        reason = "it is empty";
        return std::nullopt;
    }
    const ImageCodec* codec = loadImageCodec(reason);
    return codec ? codec->spriteFromImage(bytes, reason) : std::nullopt;
}

// Labels from NAME or the file names, made unique by a number.
class Labeller
{
public:
    explicit Labeller(std::string name) : name_(std::move(name)) {}

    std::string next(const std::string& path)
    {
        const std::string base = name_.empty() ? labelForFile(path) : name_;
        std::string label = base;
        for (int n = 2; !used_.insert(label).second; ++n)
            label = base + "_" + std::to_string(n);
        return label;
    }

private:
    std::string name_;
    std::set<std::string> used_;
};

// Returns false, with the reason, when the output cannot be made.
bool appendConverted(const Options& options, const SpriteGrid& grid, const std::string& label,
                     std::string& out, std::string& reason)
{
    switch (options.target) {
    case Target::Code:
    case Target::Bytes:
        if (!label.empty())
            out += label + ":\r\n";
        out +=
            codeFileBytes(options.target == Target::Code ? spriteCode(grid) : spriteByteCode(grid));
        break;
    case Target::SpriteFile:
        out += spriteFileBytes(spriteFileText(grid));
        break;
    case Target::Png:
        const ImageCodec* codec = loadImageCodec(reason);
        if (!codec)
            return false;
        out += codec->pngOfSprite(grid);
        break;
    }
    return true;
}

void reportFailure(ConverterRun& run, const std::string& path, const std::string& reason)
{
    run.standardError += "quillox-convert: " + path + ": " + reason + "\n";
    run.status = 1;
}

void convert(const Options& options, const OutputStream& standardOutput, ConverterRun& run)
{
    std::optional<FileReplacement> file;
    WriteFailure failure;
    if (options.output) {
        file.emplace(QFile::decodeName(options.output->c_str()));
        if (!file->open(failure))
            return reportFailure(run, *options.output, failure.reason.toStdString());
    }
    const auto put = [&](const std::string& piece) {
        if (!file)
            return standardOutput(piece);
        return file->write(piece.data(), static_cast<qint64>(piece.size()), failure);
    };
    Labeller labeller(options.labelName);
    std::string bytes;
    std::string piece;
    for (const std::string& path : options.inputs) {
        std::string reason;
        std::optional<SpriteGrid> grid;
        if (readInput(path, bytes, reason))
            grid = parseInput(bytes, reason);
        const std::string label = grid && options.label ? labeller.next(path) : "";
        piece.clear();
        if (!grid || !appendConverted(options, *grid, label, piece, reason)) {
            reportFailure(run, path, reason);
        } else if (run.status == 0 && !put(piece)) {
            return reportFailure(run, options.output.value_or("standard output"),
                                 file ? failure.reason.toStdString() : std::strerror(errno));
        }
    }
    if (file && run.status != 0)
        file->cancel();
    else if (file && !file->commit(failure))
        reportFailure(run, *options.output, failure.reason.toStdString());
}

} // namespace

ConverterRun runConverter(const std::vector<std::string>& arguments,
                          const OutputStream& standardOutput)
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
    if (error) {
        run.status = 2;
        run.standardError = "quillox-convert: " + error->message +
                            "\nTry 'quillox-convert --help' for more information.\n";
        return run;
    }
    convert(options, standardOutput, run);
    return run;
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
