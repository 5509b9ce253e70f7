#include "convert/converter.h"

#include "code/labels.h"
#include "code/toolchaindata.h"
#include "convert/converterfiles.h"
#include "convert/imagemodule.h"
#include "convert/labeller.h"
#include "convert/options.h"
#include "convert/outputs.h"
#include "convert/usage.h"
#include "files/inputreader.h"
#include "platform/fileaccess.h"

#include <cctype>
#include <cerrno>
#include <cstring>

namespace quillox
{

namespace
{

std::string shownName(const std::string& path)
{
    return path == "-" ? "standard input" : path;
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
        request_.picture = options.picture;
        request_.picture.cropped = [this](const std::string& text) { note = text; };
        request_.readPicture = [](const std::string& data, const PictureRequest& picture,
                                  const TileSink& sink, std::string& why) {
            const ImageCodec* codec = loadImageCodec(why);
            return codec && codec->tilesOfPicture(data, picture, sink, why);
        };
        request_.takeSpriteSet = [this](const SpriteSet& set, std::string& why) {
            return takeSet(set, why);
        };
        request_.refuseKind = [this](InputKind kind) {
            std::optional<std::string> refusal = inputRefusal(options_, kind);
            wrongInput = refusal && options_.ptMask;
            return refusal;
        };
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
        const InputReading reading = readInput(
            path, bytes, request_, [this](const SpritePixels& pixels) { return take(pixels); });
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
    // An input of a kind the options cannot take at all: wrong usage.
    bool wrongInput = false;

private:
    bool take(const SpritePixels& pixels)
    {
        std::string piece;
        const LabelRule rule = options_.output->labels;
        if (reason = headerProblem(pixels, options_.style); !reason.empty()) {
            refused = true;
            return false;
        }
        std::string label;
        if ((options_.label || setLabels_) && rule != LabelRule::Axe) {
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

    // Each sprite of a set in order, for byte outputs: under its own label,
    // or NAME, NAME_2, ... with --label.
    bool takeSet(const SpriteSet& set, std::string& why)
    {
        if (!options_.output->is(ByteData)) {
            why =
                spriteSetRefusal(set.size()) + ", and --to=" + options_.output->name + " takes one";
            return false;
        }
        const std::string base = base_;
        const LabelRule rule = options_.output->labels;
        // Without --label the sprites keep their own, where the output takes labels.
        const bool own =
            !options_.labelAsked && (rule == LabelRule::Assembler || rule == LabelRule::C);
        setLabels_ = own;
        for (std::size_t i = 0; i < set.size(); ++i) {
            const SetSprite& sprite = set.sprites()[i];
            if (sprite.pixels.width == 0) {
                why = sprite.label + " (line " + std::to_string(sprite.firstLine) +
                      "): " + sprite.problem;
                return false;
            }
            base_ = own ? ownLabel(sprite.label)
                        : base + (i > 0 && !base.empty() ? "_" + std::to_string(i + 1) : "");
            count_ = 0;
            if (!take(sprite.pixels)) {
                setLabels_ = false;
                return false;
            }
        }
        setLabels_ = false;
        return true;
    }

    // A set's label as this output takes it ("tiles+8" gives "tiles_8").
    std::string ownLabel(const std::string& label) const
    {
        if (options_.output->labels == LabelRule::C)
            return cIdentifierOf(label);
        std::string out = label;
        for (char& c : out)
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_')
                c = '_';
        return isAssemblerIdentifier(out) ? out : "_" + out;
    }

    const Options& options_;
    const OutputStream& put_;
    std::unique_ptr<OutputWriter> writer_;
    Labeller labeller_;
    InputRequest request_;
    std::string base_;
    long long count_ = 0;
    bool setLabels_ = false;
};

void reportFailure(ConverterRun& run, const std::string& path, const std::string& reason)
{
    run.standardError += "quillox-convert: " + path + ": " + reason + "\n";
    run.status = 1;
}

void reportUsageError(ConverterRun& run, const std::string& message)
{
    run.status = 2;
    run.standardError +=
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
            if (converter.wrongInput)
                return reportUsageError(run, shownName(path) + ": " + converter.reason);
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
