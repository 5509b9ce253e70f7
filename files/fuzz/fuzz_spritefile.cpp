// Feeds arbitrary bytes to the lenient sprite file reader and checks what it
// promises: sizes 0..15, exactly height * width cells when both are known,
// none otherwise, every cell white or black, and white only for "0".
#include "files/spritefile.h"

#include <cstdlib>

using namespace quillox;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const SpriteFileContent content = readSpriteFile(text);
    if (content.height < 0 || content.height > 15 || content.width < 0 || content.width > 15)
        std::abort();
    if (content.cells.size() != static_cast<std::size_t>(content.height * content.width))
        std::abort();
    for (std::size_t i = 0; i < content.cells.size(); ++i) {
        const bool zero = 4 + i < text.size() && text[4 + i] == '0';
        if (content.cells[i] != (zero ? White : Black))
            std::abort();
    }
    return 0;
}
