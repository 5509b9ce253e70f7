#pragma once

#include "editor/spritegrid.h"

#include <array>

namespace quillox
{

// What a cell shows. The grid keeps two colours (grey is black there,
// transparent white); the grey level and the transparency are kept beside
// it, one Ink a cell, and resolved against the grid's colour, so that any
// command that sets a colour without knowing inks leaves a plain cell.
enum class Ink : unsigned char { White, Black, DarkGrey, LightGrey, Transparent };

constexpr int InkCount = 5;

using CellInks = std::array<Ink, SpriteGrid::CellCount>;

// The colour the grid keeps for an ink: grey is black, transparent white.
constexpr Rgb gridColourOf(Ink ink)
{
    return ink == Ink::White || ink == Ink::Transparent ? White : Black;
}

// The ink a cell shows: the kept ink when it agrees with the grid's colour,
// else the plain ink of that colour.
constexpr Ink resolvedInk(Rgb colour, Ink kept)
{
    if (colour == White)
        return kept == Ink::Transparent ? Ink::Transparent : Ink::White;
    return kept == Ink::DarkGrey || kept == Ink::LightGrey ? kept : Ink::Black;
}

// 0 white, 1 light grey, 2 dark grey, 3 black; transparent is 0.
constexpr unsigned char greyLevelOf(Ink ink)
{
    switch (ink) {
    case Ink::Black:
        return 3;
    case Ink::DarkGrey:
        return 2;
    case Ink::LightGrey:
        return 1;
    case Ink::White:
    case Ink::Transparent:
        break;
    }
    return 0;
}

constexpr Ink inkOfLevel(int level, bool transparent)
{
    if (transparent)
        return Ink::Transparent;
    constexpr Ink byLevel[] = {Ink::White, Ink::LightGrey, Ink::DarkGrey, Ink::Black};
    return byLevel[level & 3];
}

// A press with `chosen` on a cell showing `current`. With black, the cell
// toggles between black and white (a transparent cell counts as white);
// with any other ink a cell of that ink turns white, any other takes it.
constexpr Ink inkAfterPress(Ink current, Ink chosen)
{
    if (chosen == Ink::Black)
        return current == Ink::White || current == Ink::Transparent ? Ink::Black : Ink::White;
    return current == chosen ? Ink::White : chosen;
}

// Black and white swap, dark and light grey swap; transparent stays.
constexpr Ink invertedGreyLevel(Ink ink)
{
    switch (ink) {
    case Ink::White:
        return Ink::Black;
    case Ink::Black:
        return Ink::White;
    case Ink::DarkGrey:
        return Ink::LightGrey;
    case Ink::LightGrey:
        return Ink::DarkGrey;
    case Ink::Transparent:
        break;
    }
    return ink;
}

// How the view and the screen readers name an ink: "dark grey".
const char* inkName(Ink ink);

} // namespace quillox
