#pragma once

#include "editor/spritegrid.h"

#include <QStringList>

// Sprites written as rows of '0' (white) and '1' (black), for tests that
// compare whole pixel patterns.
inline quillox::SpriteGrid spriteOf(const QStringList& rows)
{
    using quillox::SpriteGrid;
    SpriteGrid grid;
    grid.setRowPosition(SpriteGrid::Side + 1 - int(rows.size()));
    grid.setColumnPosition(SpriteGrid::Side + 1 - int(rows.value(0).size()));
    grid.updateShownFlags();
    for (int row = 0; row < rows.size(); ++row)
        for (int column = 0; column < rows[row].size(); ++column)
            if (rows[row][column] == QLatin1Char('1'))
                grid.setColour(grid.rowPosition() + row, grid.columnPosition() + column,
                               quillox::Black);
    return grid;
}

inline QStringList blockOf(const quillox::SpriteGrid& grid)
{
    QStringList rows;
    for (int row = grid.rowPosition(); row <= quillox::SpriteGrid::Side; ++row) {
        QString line;
        for (int column = grid.columnPosition(); column <= quillox::SpriteGrid::Side; ++column)
            line += grid.isClear(quillox::SpriteGrid::indexOf(row, column)) ? '0' : '1';
        rows << line;
    }
    return rows;
}

// The code box's text for these rows.
inline QString codeOf(const QStringList& rows)
{
    return QStringLiteral("\t.db\t%") + rows.join(QStringLiteral("\r\n\t.db\t%"));
}

#include "editor/spritepixels.h"

// Sprites with inks written as rows of letters: 'B' black, 'D' dark grey,
// 'L' light grey, '.' white, 'T' transparent.
inline quillox::SpritePixels inkedPixelsOf(const QStringList& rows)
{
    quillox::SpritePixels pixels(int(rows.value(0).size()), int(rows.size()));
    const QString letters = QStringLiteral(".LDB");
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x) {
            const QChar letter = rows[y][x];
            pixels.transparent[pixels.at(x, y)] = letter == QLatin1Char('T');
            pixels.levels[pixels.at(x, y)] =
                static_cast<unsigned char>(std::max(0, int(letters.indexOf(letter))));
        }
    return pixels;
}

inline QStringList inkRowsOf(const quillox::SpritePixels& pixels)
{
    QStringList rows;
    for (int y = 0; y < pixels.height; ++y) {
        QString row;
        for (int x = 0; x < pixels.width; ++x)
            row += pixels.transparent[pixels.at(x, y)]
                       ? QLatin1Char('T')
                       : QStringLiteral(".LDB").at(pixels.levels[pixels.at(x, y)] & 3);
        rows << row;
    }
    return rows;
}
