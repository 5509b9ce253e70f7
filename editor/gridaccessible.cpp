#include "editor/gridaccessible.h"

#include "editor/gridview.h"

namespace quillox
{

namespace
{

class CellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface
{
public:
    CellAccessible(GridAccessible* grid, int cellIndex) : grid_(grid), cellIndex_(cellIndex) {}

    bool isValid() const override { return grid_->view()->grid().isShown(cellIndex_); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return grid_->window(); }
    QAccessibleInterface* parent() const override { return grid_; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::Role role() const override { return QAccessible::Cell; }

    QString text(QAccessible::Text kind) const override
    {
        const Ink ink = grid_->view()->inkOf(cellIndex_);
        const QString colour = QString::fromLatin1(inkName(ink));
        switch (kind) {
        case QAccessible::Name: {
            // Grey and transparent cells say their ink in the name too, as
            // the checked state cannot tell them from black and white.
            const QString name = QStringLiteral("Row %1, column %2")
                                     .arg(SpriteGrid::rowOf(cellIndex_))
                                     .arg(SpriteGrid::columnOf(cellIndex_));
            return ink == Ink::Black || ink == Ink::White ? name
                                                          : name + QStringLiteral(", ") + colour;
        }
        case QAccessible::Value:
        case QAccessible::Description:
            return colour;
        default:
            return {};
        }
    }

    QRect rect() const override
    {
        const GridView* view = grid_->view();
        return QRect(view->mapToGlobal(GridView::cellRect(cellIndex_).topLeft()),
                     GridView::cellRect(cellIndex_).size());
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.checkable = true;
        state.checked = isBlack();
        state.focusable = true;
        state.focused = grid_->view()->hasFocus() && grid_->view()->focusCell() == cellIndex_;
        state.invisible = !isValid();
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TableCellInterface
                   ? static_cast<QAccessibleTableCellInterface*>(this)
                   : nullptr;
    }

    // Rows and columns of the grid, counted from 0.
    int rowIndex() const override { return SpriteGrid::rowOf(cellIndex_) - 1; }
    int columnIndex() const override { return SpriteGrid::columnOf(cellIndex_) - 1; }
    int rowExtent() const override { return 1; }
    int columnExtent() const override { return 1; }
    bool isSelected() const override { return false; }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
    QAccessibleInterface* table() const override { return grid_; }

private:
    bool isBlack() const { return !grid_->view()->grid().isClear(cellIndex_); }

    GridAccessible* grid_;
    int cellIndex_;
};

} // namespace

GridAccessible::GridAccessible(GridView* view) : QAccessibleWidget(view, QAccessible::Table) {}

GridAccessible::~GridAccessible()
{
    for (const auto& [cell, id] : cells_)
        QAccessible::deleteAccessibleInterface(id);
}

GridView* GridAccessible::view() const
{
    return static_cast<GridView*>(widget());
}

int GridAccessible::childCount() const
{
    return view()->grid().width() * view()->grid().height();
}

int GridAccessible::childIndexOfCell(int cellIndex) const
{
    const SpriteGrid& grid = view()->grid();
    if (!SpriteGrid::isValidIndex(cellIndex) || !grid.isShown(cellIndex))
        return -1;
    return (SpriteGrid::rowOf(cellIndex) - grid.rowPosition()) * grid.width() +
           (SpriteGrid::columnOf(cellIndex) - grid.columnPosition());
}

QAccessibleInterface* GridAccessible::cellInterface(int cellIndex) const
{
    auto found = cells_.find(cellIndex);
    if (found == cells_.end()) {
        auto* cell = new CellAccessible(const_cast<GridAccessible*>(this), cellIndex);
        found = cells_.emplace(cellIndex, QAccessible::registerAccessibleInterface(cell)).first;
    }
    return QAccessible::accessibleInterface(found->second);
}

QAccessibleInterface* GridAccessible::child(int index) const
{
    const SpriteGrid& grid = view()->grid();
    if (index < 0 || index >= childCount())
        return nullptr;
    const int row = grid.rowPosition() + index / grid.width();
    const int column = grid.columnPosition() + index % grid.width();
    return cellInterface(SpriteGrid::indexOf(row, column));
}

int GridAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    for (const auto& [cell, id] : cells_)
        if (QAccessible::accessibleInterface(id) == child)
            return childIndexOfCell(cell);
    return -1;
}

QAccessibleInterface* GridAccessible::childAt(int x, int y) const
{
    const int cell = view()->cellAt(view()->mapFromGlobal(QPoint(x, y)));
    return cell ? cellInterface(cell) : nullptr;
}

QAccessibleInterface* GridAccessible::focusChild() const
{
    return view()->hasFocus() ? cellInterface(view()->focusCell()) : nullptr;
}

QAccessibleInterface* GridAccessible::factory(const QString&, QObject* object)
{
    if (auto* view = qobject_cast<GridView*>(object))
        return new GridAccessible(view);
    return nullptr;
}

} // namespace quillox
