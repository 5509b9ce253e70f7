// Feeds arbitrary bytes to the reader of pasted code, which reads whatever is
// on the clipboard, and checks what it promises: an accepted sprite writes
// back as the editor's code and reads again as itself; a grey or masked one
// writes back as assembler bytes and as C arrays, in every mask order and
// polarity, and reads again as itself; a refusal has a reason.
#include "code/bytecode.h"
#include "code/codereader.h"
#include "code/spritecode.h"
#include "code/toolchaindata.h"
#include "editor/spritehistory.h"

#include <algorithm>
#include <cstdlib>

using namespace quillox;

namespace
{

bool readsAsItself(const std::string& text, const SpritePixels& pixels)
{
    std::string reason;
    bool readAsCode = false;
    const std::optional<SpritePixels> again = readSpriteCodePixels(text, reason, readAsCode);
    return again && again->width == pixels.width && again->height == pixels.height &&
           again->levels == pixels.levels && again->transparent == pixels.transparent;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string reason;
    bool readAsCode = false;
    const std::optional<SpritePixels> pixels = readSpriteCodePixels(text, reason, readAsCode);
    if (!pixels) {
        if (reason.empty())
            std::abort();
        return 0;
    }
    const SpriteGrid sprite = spriteOfPixels(*pixels);
    std::string again;
    const std::optional<SpriteGrid> reread = readSpriteCodeText(spriteCode(sprite), again);
    if (!reread || stateOf(*reread) != stateOf(sprite))
        std::abort();
    if (!hasGrey(*pixels) && !hasTransparency(*pixels))
        return 0;
    // A header of the width keeps trailing transparent columns.
    ByteStyle style;
    style.header = true;
    style.headerKind = HeaderKind::WidthAndHeight;
    // Without a set pixel nothing tells the polarities apart: the reader takes
    // the narrower reading, AND on a tie, so only AND comes back for sure.
    const bool anySet =
        std::any_of(pixels->levels.begin(), pixels->levels.end(), [](int l) { return l != 0; });
    for (const MaskOrder order : {MaskOrder::Before, MaskOrder::After, MaskOrder::Interleaved})
        for (const MaskPolarity polarity : {MaskPolarity::And, MaskPolarity::Or}) {
            if (polarity == MaskPolarity::Or && !anySet && hasTransparency(*pixels))
                continue;
            style.maskOrder = order;
            style.maskPolarity = polarity;
            if (!readsAsItself(inkedByteCode(*pixels, style, ""), *pixels) ||
                !readsAsItself(cArrayOf(*pixels, style), *pixels))
                std::abort();
        }
    // Pt-Mask data holds one grey, read back as dark grey.
    const bool lightGrey =
        std::find(pixels->levels.begin(), pixels->levels.end(), 1) != pixels->levels.end();
    if (isPtMaskSize(*pixels) && !lightGrey) {
        std::string data;
        appendPtMaskData(data, *pixels, "Pic1");
        if (!readsAsItself(data, *pixels))
            std::abort();
    }
    return 0;
}
