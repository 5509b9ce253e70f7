#include "app/classicfont.h"

#include <QFontMetricsF>
#include <QLabel>

namespace quillox
{

namespace
{

constexpr qreal SmallestPoints = 6;
constexpr char DesignedPoints[] = "quilloxDesignedPoints";

} // namespace

QFont classicFont(const char* family, qreal points, bool bold, bool underline)
{
    QFont font(QString::fromLatin1(family));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setUnderline(underline);
    return font;
}

void fitTextToWidth(QLabel* label)
{
    QVariant designed = label->property(DesignedPoints);
    if (!designed.isValid()) {
        designed = label->font().pointSizeF();
        label->setProperty(DesignedPoints, designed);
    }
    QFont font = label->font();
    const qreal width = label->contentsRect().width();
    for (qreal points = designed.toReal(); points >= SmallestPoints; points -= 0.25) {
        font.setPointSizeF(points);
        if (QFontMetricsF(font).horizontalAdvance(label->text()) <= width)
            break;
    }
    label->setFont(font);
}

} // namespace quillox
