#pragma once

#include <QRect>

namespace quillox
{

// Window layouts are given in twips; 15 twips are one device-independent pixel.
constexpr int TwipsPerPixel = 15;

constexpr int twips(int value)
{
    return value / TwipsPerPixel;
}

inline QRect twipRect(int left, int top, int width, int height)
{
    return {twips(left), twips(top), twips(width), twips(height)};
}

} // namespace quillox
