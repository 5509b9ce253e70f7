// Feeds arbitrary text to the set reader and checks what it promises: the
// text is kept byte for byte; each sprite the grid takes is written back as
// it is, with one pixel changed and at another size, and reads again as
// itself while every other sprite stays; a copy and a removal of a sprite
// keep every other one; a refusal has a reason and leaves the text as it was.
#include "files/spriteset.h"

#include <algorithm>
#include <cstdlib>

using namespace quillox;

namespace
{

bool same(const SpritePixels& a, const SpritePixels& b)
{
    return a.width == b.width && a.height == b.height && a.levels == b.levels &&
           a.transparent == b.transparent;
}

// Every sprite but one reads as it did.
bool othersKept(const SpriteSet& before, const SpriteSet& after, std::size_t changed)
{
    for (std::size_t j = 0; j < before.size(); ++j)
        if (j != changed && !same(after.sprites()[j].pixels, before.sprites()[j].pixels))
            return false;
    return true;
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
        // The same pixels are written (bits past a sprite's width may go),
        // or, in a text too odd to read back, refused as it was.
        if (set.setPixels(i, *pixels, reason) ? set.size() != original.size()
                                              : reason.empty() || set.text() != text)
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
        const SpriteSet& again = set; // read again in its form
        if (again.size() != original.size() || !again.gridPixels(i) ||
            !othersKept(original, again, i))
            std::abort();
        // Another size: written in the sprite's form, or refused as it was.
        SpriteSet resized = original;
        SpritePixels other(std::min(pixels->width + 1, 15), std::max(pixels->height - 1, 1));
        other.levels[0] = 3;
        if (resized.setPixels(i, other, reason)) {
            const SpriteSet& read = resized;
            if (read.size() != original.size() || !othersKept(original, read, i))
                std::abort();
        } else if (reason.empty() || resized.text() != text) {
            std::abort();
        }
    }
    // A copy and a removal of the first sprite keep every other one.
    if (original.size() > 0) {
        static const char* const labels[] = {"zz_copy", "zz_copy", "GDB9", "Str0"};
        SpriteSet copied = original;
        std::string reason;
        if (copied.insertCopy(0, labels[int(original.form())], std::nullopt, reason)) {
            if (copied.size() != original.size() + 1 || copied.ids().size() != copied.size())
                std::abort();
        } else if (reason.empty() || copied.text() != text) {
            std::abort();
        }
        SpriteSet removed = original;
        if (removed.remove(0, reason)) {
            const SpriteSet& read = removed;
            if (read.size() + 1 != original.size() || removed.ids().size() != removed.size())
                std::abort();
            for (std::size_t j = 1; j < original.size(); ++j)
                if (!same(read.sprites()[j - 1].pixels, original.sprites()[j].pixels))
                    std::abort();
        } else if (reason.empty() || removed.text() != text) {
            std::abort();
        }
    }
    return 0;
}
