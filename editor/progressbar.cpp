#include "editor/progressbar.h"

#include <QPainter>

namespace quillox
{

void ProgressBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect inside = rect().adjusted(1, 1, -1, -1);
    painter.fillRect(inside, palette().color(QPalette::Base));
    const double span = maximum() - minimum();
    const double done = span > 0 ? (value() - minimum()) / span : 0.0;
    const int filled = static_cast<int>(done * inside.width());
    painter.fillRect(QRect(inside.topLeft(), QSize(filled, inside.height())),
                     palette().color(QPalette::Highlight));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace quillox
