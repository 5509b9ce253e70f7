#pragma once

#include "editor/spritegrid.h"
#include "editor/spriteinks.h"

#include <cstddef>
#include <deque>
#include <optional>

namespace quillox
{

// What an undo step restores: every colour, both slider positions and each
// cell's ink (plain by default). The shown flags follow from the positions.
struct SpriteState {
    std::array<Rgb, SpriteGrid::CellCount> colours{};
    int columnPosition = 8;
    int rowPosition = 8;
    CellInks inks{};

    bool operator==(const SpriteState& other) const
    {
        return colours == other.colours && columnPosition == other.columnPosition &&
               rowPosition == other.rowPosition && inks == other.inks;
    }
    bool operator!=(const SpriteState& other) const { return !(*this == other); }
};

SpriteState stateOf(const SpriteGrid& grid);
SpriteState stateOf(const SpriteGrid& grid, const CellInks& inks);

// The undo and redo stacks of the editor. Each step keeps the whole state
// before it (about 1 KiB), which keeps restoring exact and trivially correct.
class SpriteHistory
{
public:
    static constexpr std::size_t DefaultDepth = 4096;

    explicit SpriteHistory(std::size_t depth = DefaultDepth) : depth_(depth) {}

    // A new step that left `before`: it can be undone; what was undone can no
    // longer be redone. The oldest step goes once the depth is reached.
    void record(const SpriteState& before);

    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    std::size_t undoCount() const { return undo_.size(); }

    // The state to restore, given the one shown now; nothing when there is
    // no step to take back (or forward).
    std::optional<SpriteState> undo(const SpriteState& current);
    std::optional<SpriteState> redo(const SpriteState& current);

private:
    std::size_t depth_;
    std::deque<SpriteState> undo_;
    std::deque<SpriteState> redo_;
};

} // namespace quillox
