#pragma once

#include <QAccessibleWidget>

#include <map>

namespace quillox
{

class GridView;

// Tells accessibility tools about the grid: a table whose children are the
// shown cells, each with its row, column and colour (checked when black).
class GridAccessible : public QAccessibleWidget
{
public:
    explicit GridAccessible(GridView* view);
    ~GridAccessible() override;

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

    GridView* view() const;
    // The position of a cell among the shown cells, or -1.
    int childIndexOfCell(int cellIndex) const;
    QAccessibleInterface* cellInterface(int cellIndex) const;

    static QAccessibleInterface* factory(const QString& className, QObject* object);

private:
    mutable std::map<int, QAccessible::Id> cells_;
};

} // namespace quillox
