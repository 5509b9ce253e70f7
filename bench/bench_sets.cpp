// Budgets of a set of 1,000 sprites (about 10,000 lines of an include file):
// opening and listing it, taking one sprite for the grid, an edit and the
// text a save writes, and the memory the set takes.
#include "files/spriteset.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

using namespace quillox;

namespace
{

// 1,000 labelled 8 x 8 sprites, a comment and a blank line between them.
std::string thousandSprites()
{
    std::string text;
    for (int sprite = 0; sprite < 1000; ++sprite) {
        text += "; frame " + std::to_string(sprite) + "\nframe_" + std::to_string(sprite) + ":\n";
        for (int row = 0; row < 8; ++row) {
            text += "\t.db\t%";
            for (int bit = 7; bit >= 0; --bit)
                text += ((sprite + row) >> (bit % 4)) & 1 ? '1' : '0';
            text += "\n";
        }
    }
    return text;
}

long maxResidentKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void openAndList1000(benchmark::State& state)
{
    const std::string text = thousandSprites();
    const long before = maxResidentKiB();
    for (auto _ : state) {
        SpriteSet set = SpriteSet::read(text);
        std::size_t listed = 0;
        for (const SetSprite& sprite : set.sprites())
            listed += sprite.label.size() + std::size_t(sprite.pixels.width);
        benchmark::DoNotOptimize(listed);
    }
    state.counters["lines"] = 10000;
    state.counters["grownMiB"] = double(maxResidentKiB() - before) / 1024.0;
}
BENCHMARK(openAndList1000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void spriteForTheGrid(benchmark::State& state)
{
    const SpriteSet set = SpriteSet::read(thousandSprites());
    for (auto _ : state) {
        std::optional<SpritePixels> pixels = set.gridPixels(500);
        benchmark::DoNotOptimize(pixels);
    }
}
BENCHMARK(spriteForTheGrid)->Unit(benchmark::kMicrosecond);

// One pixel changed in the middle sprite, then the whole text a save writes.
void editAndSave1000(benchmark::State& state)
{
    SpriteSet set = SpriteSet::read(thousandSprites());
    SpritePixels pixels = *set.gridPixels(500);
    std::string reason;
    for (auto _ : state) {
        pixels.levels[0] = pixels.levels[0] == 0 ? 3 : 0;
        if (!set.setPixels(500, pixels, reason))
            state.SkipWithError(reason.c_str());
        std::string text = set.text();
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(editAndSave1000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
