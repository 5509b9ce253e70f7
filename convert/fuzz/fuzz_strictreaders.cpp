// Feeds arbitrary bytes to the converter's strict readers and checks what
// they promise: whatever they accept writes back as the same text, with the
// line ends the editor uses; whatever they refuse comes with a reason.
#include "spritecode.h"
#include "spritefile.h"
#include "spriteformats.h"

#include <cstdlib>
#include <string>

using namespace quillox;

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string reason;
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
    return 0;
}
