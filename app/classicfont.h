#pragma once

#include <QFont>

class QLabel;

namespace quillox
{

// A font asked for by the name the windows were designed with. Where that
// family is missing, fontconfig may offer a symbol font in its place; the
// style hint makes the fallback an ordinary sans-serif face.
QFont classicFont(const char* family, qreal points, bool bold = false, bool underline = false);

// Shrinks the label's font, down to 6 points, until its text fits the width
// it was laid out with: the layout assumes the narrow fonts of its design,
// and a clipped line would hide part of what the label says.
void fitTextToWidth(QLabel* label);

} // namespace quillox
