#pragma once

#include <array>
#include <cstdint>

namespace quillox
{

using Rgb = std::uint32_t; // 0xRRGGBB

constexpr Rgb White = 0xFFFFFF;
constexpr Rgb Black = 0x000000;

// The 15 x 15 field of cells and the sprite size set by the two sliders.
// The sprite is the block in the bottom-right corner: rows rowPosition()..15
// and columns columnPosition()..15.
class SpriteGrid
{
public:
    static constexpr int Side = 15;
    static constexpr int CellCount = Side * Side;
    static constexpr int MinPosition = 1;
    static constexpr int MaxPosition = Side;

    static constexpr int indexOf(int row, int column) { return (row - 1) * Side + column; }
    static constexpr int rowOf(int index) { return (index - 1) / Side + 1; }
    static constexpr int columnOf(int index) { return (index - 1) % Side + 1; }
    static constexpr bool isValidIndex(int index) { return index >= 1 && index <= CellCount; }
    static constexpr bool isValidPosition(int p) { return p >= MinPosition && p <= MaxPosition; }

    SpriteGrid();

    Rgb colour(int index) const { return colours_[slot(index)]; }
    Rgb colour(int row, int column) const { return colour(indexOf(row, column)); }
    void setColour(int index, Rgb rgb) { colours_[slot(index)] = rgb; }
    void setColour(int row, int column, Rgb rgb) { setColour(indexOf(row, column), rgb); }
    bool isClear(int index) const { return colour(index) == White; }
    const std::array<Rgb, CellCount>& colours() const { return colours_; }

    // Slider positions: c for the column slider, r for the row slider.
    int columnPosition() const { return columnPosition_; }
    int rowPosition() const { return rowPosition_; }
    // Refuses a position outside 1..15 and returns false; the position stays.
    bool setColumnPosition(int position);
    bool setRowPosition(int position);

    int width() const { return Side + 1 - columnPosition_; }
    int height() const { return Side + 1 - rowPosition_; }

    bool isShown(int index) const { return shown_[slot(index)]; }
    // Rewrites the shown flags from the slider positions.
    void updateShownFlags();

private:
    static std::size_t slot(int index);

    std::array<Rgb, CellCount> colours_;
    std::array<bool, CellCount> shown_;
    int columnPosition_ = 8;
    int rowPosition_ = 8;
};

// An empty sprite of the given size (1..15 each), its block shown.
SpriteGrid spriteOfSize(int width, int height);

} // namespace quillox
