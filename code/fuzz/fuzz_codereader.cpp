// Feeds arbitrary bytes to the reader of pasted code, which reads whatever is
// on the clipboard, and checks what it promises: an accepted sprite writes
// back as the editor's code and reads again as itself; a refusal has a reason.
#include "code/codereader.h"
#include "code/spritecode.h"
#include "editor/spritehistory.h"

#include <cstdlib>

using namespace quillox;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string reason;
    const std::optional<SpriteGrid> sprite = readSpriteCodeText(text, reason);
    if (!sprite) {
        if (reason.empty())
            std::abort();
        return 0;
    }
    std::string again;
    const std::optional<SpriteGrid> reread = readSpriteCodeText(spriteCode(*sprite), again);
    if (!reread || stateOf(*reread) != stateOf(*sprite))
        std::abort();
    return 0;
}
