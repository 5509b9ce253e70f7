#pragma once

#include "spritegrid.h"

#include <QWidget>

namespace quillox
{

// The drawing field: the grey backing square, the shown cells in their
// colours and the grid lines over everything. Painted as one widget.
class GridView : public QWidget
{
    Q_OBJECT
public:
    explicit GridView(const SpriteGrid& grid, QWidget* parent = nullptr);

    // The cell under a point of this widget, or 0 when none is shown there.
    int cellAt(QPoint point) const;
    // A cell's square in this widget's coordinates.
    static QRect cellRect(int index);

    int focusCell() const { return focusCell_; }
    const SpriteGrid& grid() const { return grid_; }

signals:
    void cellClicked(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void moveFocusCell(int rowStep, int columnStep);
    void announceFocusCell();
    int clampedToShown(int row, int column) const;

    const SpriteGrid& grid_;
    int pressedCell_ = 0;
    // The focus cell is marked only once the keyboard is used on the grid.
    bool keyboardFocus_ = false;
    int focusCell_ = SpriteGrid::CellCount;
};

} // namespace quillox
