#include "editor/gridview.h"

#include "editor/gridaccessible.h"

#include <QAccessible>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace quillox
{

namespace
{

// In pixels within the view: cells start every 16 px and are 17 px wide, so
// neighbours overlap by one pixel; 16 grid lines run from 0 to 240.
constexpr int Pitch = 16;
constexpr int CellSide = 17;
constexpr int LineSpan = 240;
constexpr int FieldSide = 241;
constexpr int CheckerSide = 4;
constexpr Rgb TransparentLight = 0xEEEEEE;
constexpr Rgb TransparentDark = 0xCCCCCC;
constexpr int CursorSide = 24;

} // namespace

GridView::GridView(const SpriteGrid& grid, const CellInks& inks, QWidget* parent)
    : QWidget(parent), grid_(grid), inks_(inks)
{
    setObjectName(QStringLiteral("Shape1"));
    setFixedSize(FieldSide, FieldSide);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(tr("Sprite grid"));
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(&GridAccessible::factory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    setInk(Ink::Black);
}

Ink GridView::inkOf(int index) const
{
    return resolvedInk(grid_.colour(index), inks_[static_cast<std::size_t>(index - 1)]);
}

void GridView::paintInk(QPainter& painter, const QRect& rect, Ink ink, Rgb colour)
{
    switch (ink) {
    case Ink::DarkGrey:
        painter.fillRect(rect, QColor::fromRgb(0x555555));
        return;
    case Ink::LightGrey:
        painter.fillRect(rect, QColor::fromRgb(0xAAAAAA));
        return;
    case Ink::Transparent: {
        // Squares of 4 device-independent pixels, so that they show at any
        // device pixel ratio; neither tone is a white cell's.
        painter.fillRect(rect, QColor::fromRgb(TransparentLight));
        painter.save();
        painter.setClipRect(rect);
        for (int y = 0; y < rect.height(); y += CheckerSide)
            for (int x = (y / CheckerSide) % 2 * CheckerSide; x < rect.width();
                 x += 2 * CheckerSide)
                painter.fillRect(rect.x() + x, rect.y() + y, CheckerSide, CheckerSide,
                                 QColor::fromRgb(TransparentDark));
        painter.restore();
        return;
    }
    case Ink::White:
    case Ink::Black:
        break;
    }
    painter.fillRect(rect, QColor::fromRgb(colour));
}

// The pointer is a cross with a swatch of the ink below and right of it.
void GridView::setInk(Ink ink)
{
    ink_ = ink;
    QPixmap pixmap(CursorSide, CursorSide);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    const int centre = CursorSide / 2;
    painter.setPen(QPen(Qt::white, 3));
    painter.drawLine(centre, 0, centre, centre + 3);
    painter.drawLine(0, centre, centre + 3, centre);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLine(centre, 1, centre, centre + 2);
    painter.drawLine(1, centre, centre + 2, centre);
    const QRect swatch(centre + 3, centre + 3, CursorSide - centre - 4, CursorSide - centre - 4);
    paintInk(painter, swatch, ink, ink == Ink::Black ? Black : White);
    painter.setPen(Qt::black);
    painter.drawRect(swatch);
    painter.end();
    setCursor(QCursor(pixmap, centre, centre));
}

QRect GridView::cellRect(int index)
{
    return {Pitch * (SpriteGrid::columnOf(index) - 1), Pitch * (SpriteGrid::rowOf(index) - 1),
            CellSide, CellSide};
}

int GridView::cellAt(QPoint point) const
{
    if (!rect().contains(point))
        return 0;
    const int column = std::min(point.x() / Pitch + 1, SpriteGrid::Side);
    const int row = std::min(point.y() / Pitch + 1, SpriteGrid::Side);
    const int index = SpriteGrid::indexOf(row, column);
    return grid_.isShown(index) ? index : 0;
}

void GridView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Disabled, QPalette::WindowText));
    for (int index = 1; index <= SpriteGrid::CellCount; ++index) {
        if (grid_.isShown(index))
            paintInk(painter, cellRect(index), inkOf(index), grid_.colour(index));
    }
    painter.setPen(palette().color(QPalette::Active, QPalette::WindowText));
    for (int k = 0; k <= SpriteGrid::Side; ++k) {
        painter.drawLine(Pitch * k, 0, Pitch * k, LineSpan);
        painter.drawLine(0, Pitch * k, LineSpan, Pitch * k);
    }
    if (hasFocus() && keyboardFocus_ && grid_.isShown(focusCell_)) {
        QPen pen(palette().color(QPalette::Highlight), 2, Qt::DotLine);
        painter.setPen(pen);
        painter.drawRect(cellRect(focusCell_).adjusted(2, 2, -3, -3));
    }
}

void GridView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        startStroke(cellAt(event->position().toPoint()), event->position().toPoint());
}

void GridView::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click on the same cell is not a click; on
    // another cell it is an ordinary press.
    const QPoint at = event->position().toPoint();
    const int cell = cellAt(at);
    if (event->button() == Qt::LeftButton && cell != lastPressedCell_)
        startStroke(cell, at);
}

void GridView::startStroke(int cell, QPoint at)
{
    lastPressedCell_ = cell;
    if (cell == 0 || stroking_)
        return;
    stroking_ = true;
    emit strokeStarted();
    focusCell_ = cell;
    emit cellPressed(cell);
    strokeInk_ = inkOf(cell);
    strokeCell_ = cell;
    strokePoint_ = at;
}

void GridView::mouseMoveEvent(QMouseEvent* event)
{
    if (!stroking_)
        return;
    // Fast moves skip cells, so every cell on the way from the last point is
    // visited, in steps smaller than a cell.
    const QPoint to = event->position().toPoint();
    const QPoint from = strokePoint_;
    const int steps = std::max(1, (to - from).manhattanLength() / (Pitch / 2));
    for (int step = 1; step <= steps; ++step) {
        const QPoint at = from + (to - from) * step / steps;
        const int cell = cellAt(at);
        if (cell == 0 || cell == strokeCell_)
            continue;
        strokeCell_ = cell;
        if (inkOf(cell) != strokeInk_)
            emit cellPainted(cell, strokeInk_);
    }
    strokePoint_ = to;
}

void GridView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !stroking_)
        return;
    stroking_ = false;
    emit strokeEnded();
}

int GridView::clampedToShown(int row, int column) const
{
    row = std::clamp(row, grid_.rowPosition(), SpriteGrid::Side);
    column = std::clamp(column, grid_.columnPosition(), SpriteGrid::Side);
    return SpriteGrid::indexOf(row, column);
}

void GridView::moveFocusCell(int rowStep, int columnStep)
{
    focusCell_ = clampedToShown(SpriteGrid::rowOf(focusCell_) + rowStep,
                                SpriteGrid::columnOf(focusCell_) + columnStep);
    update();
    announceFocusCell();
}

void GridView::announceFocusCell()
{
    if (!QAccessible::isActive())
        return;
    auto* grid = static_cast<GridAccessible*>(QAccessible::queryAccessibleInterface(this));
    QAccessibleEvent event(grid, QAccessible::Focus);
    event.setChild(grid->childIndexOfCell(focusCell_));
    QAccessible::updateAccessibility(&event);
}

void GridView::keyPressEvent(QKeyEvent* event)
{
    keyboardFocus_ = true;
    if (!grid_.isShown(focusCell_))
        focusCell_ =
            clampedToShown(SpriteGrid::rowOf(focusCell_), SpriteGrid::columnOf(focusCell_));
    switch (event->key()) {
    case Qt::Key_Left:
        moveFocusCell(0, -1);
        break;
    case Qt::Key_Right:
        moveFocusCell(0, 1);
        break;
    case Qt::Key_Up:
        moveFocusCell(-1, 0);
        break;
    case Qt::Key_Down:
        moveFocusCell(1, 0);
        break;
    case Qt::Key_Space:
        emit cellPressed(focusCell_);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void GridView::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    const Qt::FocusReason reason = event->reason();
    keyboardFocus_ = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason;
    update();
}

void GridView::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    keyboardFocus_ = false;
    update();
}

} // namespace quillox
