#include "convert/converter.h"

#include "code/labels.h"
#include "code/toolchaindata.h"
#include "convert/imagemodule.h"
#include "convert/options.h"
#include "convert/outputs.h"
#include "convert/usage.h"
#include "files/inputreader.h"
#include "platform/fileaccess.h"

#include <cerrno>
#include <cstring>
#include <set>

namespace quillox
{

namespace
{

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

// What the sprites, the masks and grey levels asked of an input that has none.
std::optional<std::string> refusedKind(const Options& options, InputKind kind)
{
    if (!options.picture.mask || kind == InputKind::Picture)
        return std::nullopt;
    const char* what = kind == InputKind::SpriteFile       ? "a sprite file"
                       : kind == InputKind::CalculatorFile ? "a calculator picture"
                                                           : "sprite code";
    return std::string(what) + (options.picture.maskColour ? " has no colours for --mask-colour"
                                                           : " has no transparency for --mask");
}

// One run: every FILE read through the one input reader, each sprite
// labelled and handed to the output's writer, each piece put out as made.
class Run
{
public:
    Run(const Options& options, const OutputStream& put)
        : options_(options), put_(put), writer_(options.output->makeWriter(options)),
          labeller_(options.labelName, options.output->labels == LabelRule::C)
    {
    }

    // False with the reason when the input is no sprite or the output cannot
    // hold one; writeFailed tells when the output could not be written.
    bool convert(const std::string& path, const std::string& bytes)
    {
        refused = false;
        note.clear();
        if (bytes.empty()) {
            reason = "it is empty";
            return false;
        }
        base_ = options_.label ? labeller_.next(path) : "";
        count_ = 0;
        InputRequest request;
        request.picture = options_.picture;
        request.picture.cropped = [this](const std::string& text) { note = text; };
        request.readPicture = [this](const std::string& data, const PictureRequest& picture,
                                     const TileSink& sink, std::string& why) {
            const ImageCodec* codec = loadImageCodec(why);
            return codec && codec->tilesOfPicture(data, picture, sink, why);
        };
        request.refuseKind = [this](InputKind kind) { return refusedKind(options_, kind); };
        InputReading reading = readInput(
            path, bytes, request, [this](const SpritePixels& pixels) { return take(pixels); });
        if (!reading.reason.empty())
            reason = reading.reason;
        return reading.read && !writeFailed && !refused;
    }

    // Whatever the output writes once, after every FILE.
    bool finish(std::string& why)
    {
        std::string piece;
        if (!writer_->finish(piece, why))
            return false;
        writeFailed = !put_(piece);
        return !writeFailed;
    }

    std::string reason;
    // What was made of the input that the user should know, such as a crop.
    std::string note;
    bool writeFailed = false;
    // A sprite the output cannot hold (reason tells).
    bool refused = false;

private:
    bool take(const SpritePixels& pixels)
    {
        std::string piece;
        if (reason = headerProblem(pixels, options_.style); !reason.empty()) {
            refused = true;
            return false;
        }
        std::string label;
        const LabelRule rule = options_.output->labels;
        if (options_.label && rule != LabelRule::Axe) {
            const std::string suffix = options_.sizeSuffix ? "_" + std::to_string(pixels.width) +
                                                                 "x" + std::to_string(pixels.height)
                                                           : options_.labelSuffix;
            label = base_ + (options_.picture.tileWidth != 0 ? "_" + std::to_string(count_) : "") +
                    suffix;
            if (count_ == 0 && options_.equ && rule == LabelRule::C)
                appendCSizeDefines(piece, cIdentifierOf(base_ + suffix), pixels.width,
                                   pixels.height);
            else if (count_ == 0 && options_.equ)
                appendSizeConstants(piece, base_ + suffix, pixels.width, pixels.height,
                                    options_.style.directive);
        }
        ++count_;
        if (!writer_->write(pixels, label, piece, reason)) {
            refused = true;
            return false;
        }
        writeFailed = !put_(piece);
        return !writeFailed;
    }

    const Options& options_;
    const OutputStream& put_;
    std::unique_ptr<OutputWriter> writer_;
    Labeller labeller_;
    std::string base_;
    long long count_ = 0;
};

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

// Binary output never goes to a terminal.
std::optional<std::string> terminalRefusal(const OutputFormat& output)
{
    if (!output.is(Binary))
        return std::nullopt;
    return std::string(output.binaryName) + " is not written to a terminal; give -o FILE or "
                                            "redirect standard output";
}

void convert(const Options& options, const OutputStream& standardOutput,
             const InputReader& readInput, bool standardOutputIsTerminal, ConverterRun& run)
{
    std::optional<fileaccess::FileReplacement> file;
    std::string writeReason;
    fileaccess::Failure failure;
    if (options.outputFile) {
        file.emplace(*options.outputFile, fileaccess::SpecialFiles::Stream);
        if (!file->open(failure))
            return reportFailure(run, *options.outputFile, failureReason(failure));
    }
    // Checked once the output is open: -o /dev/stdout and the other names
    // of standard output are the stream too.
    const bool toStream = !file || file->isStandardOutput();
    if (const std::optional<std::string> refusal = terminalRefusal(*options.output);
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
    const std::string outputName = toStream ? "standard output" : *options.outputFile;
    Run converter(options, put);
    std::string bytes;
    for (const std::string& path : options.inputs) {
        if (!readInput(path, MaxPictureRead, bytes, converter.reason)) {
            reportFailure(run, shownName(path), converter.reason);
        } else if (!converter.convert(path, bytes)) {
            if (converter.writeFailed)
                return reportFailure(run, outputName, writeReason);
            reportFailure(run, shownName(path), converter.reason);
        } else if (!converter.note.empty()) {
            run.standardError +=
                "quillox-convert: " + shownName(path) + ": " + converter.note + "\n";
        }
    }
    if (std::string why; run.status == 0 && !converter.finish(why))
        reportFailure(run, outputName, converter.writeFailed ? writeReason : why);
    if (file && run.status != 0)
        file->cancel();
    else if (file && !file->commit(failure))
        reportFailure(run, *options.outputFile, failureReason(failure));
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
        if (!standardOutput(options.help ? UsageText : std::string(ConverterVersion) + "\n"))
            run.status = 1;
        return run;
    }
    if (!error)
        error = checkOptions(options);
    if (error)
        reportUsageError(run, error->message);
    else
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
