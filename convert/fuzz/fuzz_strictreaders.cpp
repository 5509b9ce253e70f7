// Feeds arbitrary bytes to the converter. First its strict readers, checking
// what they promise: whatever they accept writes back as the same text, with
// the line ends the editor uses; whatever they refuse comes with a reason.
// Then the whole command line: the bytes up to the first two NULs are the
// arguments (split at NUL), the rest the content of every input, read through
// the picture module's code when it is no sprite file or code.
#include "code/spritecode.h"
#include "convert/converter.h"
#include "convert/imagemodule.h"
#include "files/calculatorfile.h"
#include "files/inputreader.h"
#include "files/spritefile.h"

#include <cstdlib>
#include <string>

using namespace quillox;

namespace quillox
{

// The picture module's code is linked in rather than loaded.
const ImageCodec* loadImageCodec(std::string&)
{
    return quilloxImageCodec();
}

} // namespace quillox

namespace
{

std::string withCrLf(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            out += '\r';
        out += text[i];
    }
    return out;
}

void check(bool promise)
{
    if (!promise)
        std::abort();
}

void checkReaders(std::string_view text)
{
    std::string reason;
    // An accepted Pic writes back as a Pic of the same pixels.
    if (const auto pixels = readPicFile(text, reason)) {
        const auto bytes = picBytesOf(*pixels, reason);
        check(bytes.has_value());
        const auto again = readPicFile(picFile("\x60\x01", *bytes, false), reason);
        check(again && again->levels == pixels->levels);
    } else {
        check(!reason.empty());
    }
    reason.clear();
    if (const auto grid = parseSpriteFile(text, reason)) {
        std::string expected = withCrLf(text);
        if (expected.size() < 2 || expected.compare(expected.size() - 2, 2, "\r\n") != 0)
            expected += "\r\n";
        check(spriteFileBytes(spriteFileText(*grid)) == expected);
    } else {
        check(!reason.empty());
    }
    reason.clear();
    if (const auto grid = parseSpriteCode(text, reason)) {
        std::string expected = withCrLf(text);
        if (expected.size() >= 2 && expected.compare(expected.size() - 2, 2, "\r\n") == 0)
            expected.resize(expected.size() - 2);
        check(spriteCode(*grid) == expected);
    } else {
        check(!reason.empty());
    }
}

// The one way in: what it reads gives sprites within the request's limits,
// what it refuses has a reason.
void checkInputReader(std::string_view text)
{
    InputRequest request;
    request.picture.cropToDrawn = true;
    request.readPicture = [](const std::string& data, const PictureRequest& picture,
                             const TileSink& sink, std::string& reason) {
        return quilloxImageCodec()->tilesOfPicture(data, picture, sink, reason);
    };
    int sprites = 0;
    const InputReading reading =
        readInput("input", std::string(text), request, [&sprites](const SpritePixels& pixels) {
            check(pixels.width >= 1 && pixels.width <= SpriteGrid::Side);
            check(pixels.height >= 1 && pixels.height <= SpriteGrid::Side);
            ++sprites;
            return true;
        });
    check(reading.read ? sprites == 1 : !reading.reason.empty());
}

// Exit 0 says nothing on standard error, 1 and 2 say why; usage errors write
// no output. Nothing is written to files: -o is left out.
void checkCommandLine(std::string_view data)
{
    const std::size_t end = data.find(std::string_view("\0\0", 2));
    if (end == std::string_view::npos)
        return;
    std::vector<std::string> arguments;
    for (std::string_view rest = data.substr(0, end); !rest.empty();) {
        const std::size_t nul = std::min(rest.find('\0'), rest.size());
        const std::string argument(rest.substr(0, nul));
        if (argument.rfind("-o", 0) != 0 && argument.rfind("--o", 0) != 0)
            arguments.push_back(argument);
        rest.remove_prefix(std::min(nul + 1, rest.size()));
    }
    const std::string content(data.substr(end + 2));
    const ConverterRun run = runConverter(
        arguments, [](std::string_view) { return true; },
        [&content](const std::string&, std::size_t limit, std::string& bytes, std::string& reason) {
            bytes = content.substr(0, limit + 1);
            reason = "too large";
            return bytes.size() <= limit;
        });
    check(run.status >= 0 && run.status <= 2);
    check((run.status == 0) == run.standardError.empty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    checkReaders(text);
    checkInputReader(text);
    checkCommandLine(text);
    return 0;
}
