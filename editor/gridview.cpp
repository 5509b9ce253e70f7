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

} // namespace

GridView::GridView(const SpriteGrid& grid, QWidget* parent) : QWidget(parent), grid_(grid)
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
            painter.fillRect(cellRect(index), QColor::fromRgb(grid_.colour(index)));
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
    emit cellClicked(cell);
    strokeColour_ = grid_.colour(cell);
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
        if (grid_.colour(cell) != strokeColour_)
            emit cellPainted(cell, strokeColour_);
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
        emit cellClicked(focusCell_);
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
