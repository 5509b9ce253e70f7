// Feeds arbitrary text to the set reader and checks what it promises: the
// text is kept byte for byte; each sprite the grid takes is written back as
// it is, and with one pixel changed it reads again as itself while every
// other sprite stays; a refusal has a reason and leaves the text as it was.
#include "files/spriteset.h"

#include <cstdlib>

using namespace quillox;

namespace
{

bool same(const SpritePixels& a, const SpritePixels& b)
{
    return a.width == b.width && a.height == b.height && a.levels == b.levels &&
           a.transparent == b.transparent;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const SpriteSet original = SpriteSet::read(text);
    if (original.text() != text)
        std::abort();
    // A few sprites each run, so that a long input stays quick.
    for (std::size_t i = 0; i < original.size() && i < 4; ++i) {
        const std::optional<SpritePixels> pixels = original.gridPixels(i);
        if (!pixels)
            continue;
        SpriteSet set = original;
        std::string reason;
        // The same pixels are written (bits past a sprite's width may go).
        if (!set.setPixels(i, *pixels, reason) || set.size() != original.size())
            std::abort();
        set = original;
        SpritePixels changed = *pixels;
        changed.levels[0] = changed.levels[0] == 0 ? 3 : 0;
        changed.transparent[0] = 0;
        if (!set.setPixels(i, changed, reason)) {
            if (reason.empty() || set.text() != text)
                std::abort();
            continue;
        }
        const SpriteSet again = SpriteSet::read(set.text());
        if (again.size() != original.size() || !again.gridPixels(i))
            std::abort();
        for (std::size_t j = 0; j < original.size(); ++j)
            if (j != i && !same(again.sprites()[j].pixels, original.sprites()[j].pixels))
                std::abort();
    }
    return 0;
}
