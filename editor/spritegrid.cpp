#include "editor/spritegrid.h"

#include <stdexcept>
#include <string>

namespace quillox
{

SpriteGrid::SpriteGrid()
{
    colours_.fill(White);
    updateShownFlags();
}

std::size_t SpriteGrid::slot(int index)
{
    if (!isValidIndex(index))
        throw std::out_of_range("cell index " + std::to_string(index) + " is outside 1..225");
    return static_cast<std::size_t>(index - 1);
}

bool SpriteGrid::setColumnPosition(int position)
{
    if (!isValidPosition(position))
        return false;
    columnPosition_ = position;
    return true;
}

bool SpriteGrid::setRowPosition(int position)
{
    if (!isValidPosition(position))
        return false;
    rowPosition_ = position;
    return true;
}

void SpriteGrid::updateShownFlags()
{
    shown_.fill(false);
    for (int row = rowPosition_; row <= Side; ++row)
        for (int column = Side; column >= columnPosition_; --column)
            shown_[slot(indexOf(row, column))] = true;
}

SpriteGrid spriteOfSize(int width, int height)
{
    SpriteGrid grid;
    grid.setColumnPosition(SpriteGrid::Side + 1 - width);
    grid.setRowPosition(SpriteGrid::Side + 1 - height);
    grid.updateShownFlags();
    return grid;
}

} // namespace quillox
