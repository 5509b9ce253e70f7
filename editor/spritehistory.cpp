#include "editor/spritehistory.h"

namespace quillox
{

SpriteState stateOf(const SpriteGrid& grid)
{
    return {grid.colours(), grid.columnPosition(), grid.rowPosition(), {}};
}

SpriteState stateOf(const SpriteGrid& grid, const CellInks& inks)
{
    return {grid.colours(), grid.columnPosition(), grid.rowPosition(), inks};
}

void SpriteHistory::record(const SpriteState& before)
{
    if (depth_ == 0)
        return;
    if (undo_.size() == depth_)
        undo_.pop_front();
    undo_.push_back(before);
    redo_.clear();
}

std::optional<SpriteState> SpriteHistory::undo(const SpriteState& current)
{
    if (undo_.empty())
        return std::nullopt;
    SpriteState previous = undo_.back();
    undo_.pop_back();
    redo_.push_back(current);
    return previous;
}

std::optional<SpriteState> SpriteHistory::redo(const SpriteState& current)
{
    if (redo_.empty())
        return std::nullopt;
    SpriteState next = redo_.back();
    redo_.pop_back();
    undo_.push_back(current);
    return next;
}

} // namespace quillox
