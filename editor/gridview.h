#pragma once

#include "editor/spritegrid.h"
#include "editor/spriteinks.h"

#include <QWidget>

class QPainter;

namespace quillox
{

// The drawing field: the grey backing square, the shown cells in their inks
// and the grid lines over everything. Painted as one widget.
class GridView : public QWidget
{
    Q_OBJECT
public:
    GridView(const SpriteGrid& grid, const CellInks& inks, QWidget* parent = nullptr);

    // The cell under a point of this widget, or 0 when none is shown there.
    int cellAt(QPoint point) const;
    // A cell's square in this widget's coordinates.
    static QRect cellRect(int index);

    int focusCell() const { return focusCell_; }
    const SpriteGrid& grid() const { return grid_; }
    Ink inkOf(int index) const;
    // The ink a press puts on; the pointer over the grid shows it.
    Ink ink() const { return ink_; }
    void setInk(Ink ink);

    // How a cell of this ink is drawn: dark and light grey in their colours,
    // transparent as a checkerboard of two light tones.
    static void paintInk(QPainter& painter, const QRect& rect, Ink ink, Rgb colour);

signals:
    // A click or a stroke's first cell: the cell takes the ink (or toggles).
    void cellPressed(int index);
    // A further cell of a stroke takes the ink the first cell got.
    void cellPainted(int index, Ink ink);
    // A stroke runs from the press on a shown cell to the release.
    void strokeStarted();
    void strokeEnded();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void startStroke(int cell, QPoint at);
    void moveFocusCell(int rowStep, int columnStep);
    void announceFocusCell();
    int clampedToShown(int row, int column) const;

    const SpriteGrid& grid_;
    const CellInks& inks_;
    Ink ink_ = Ink::Black;
    bool stroking_ = false;
    Ink strokeInk_ = Ink::White;
    int strokeCell_ = 0;
    QPoint strokePoint_;
    // The cell of the last press, against which a double click is told.
    int lastPressedCell_ = 0;
    // The focus cell is marked only once the keyboard is used on the grid.
    bool keyboardFocus_ = false;
    int focusCell_ = SpriteGrid::CellCount;
};

} // namespace quillox
