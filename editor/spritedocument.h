#pragma once

#include "editor/spritegrid.h"
#include "editor/spritehistory.h"
#include "editor/spriteinks.h"
#include "editor/spritepixels.h"
#include "editor/spritetransforms.h"
#include "files/vorrel.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <string>

namespace quillox
{

// The sprite being edited, without any widget: the grid with both slider
// positions, the code text, the sprite-file buffer Text2 and the undo
// history. The commands change it and say what changed through signals; the
// main window shows it.
class SpriteDocument : public QObject, public vorrel::LoadTarget
{
    Q_OBJECT
public:
    // Builds the code text; replaceable so that a failing build can be tested.
    using CodeBuilder = std::function<void(std::string& out, const SpriteGrid& grid)>;

    static constexpr int StartPosition = 8;

    SpriteDocument();

    // The load step of a new window: both sliders to 8, then the size refresh.
    void load();

    const SpriteGrid& grid() const { return grid_; }
    // Each cell's ink beside the grid's two colours: a grey cell is black in
    // the grid, a transparent one white.
    Ink ink(int index) const;
    const CellInks& inks() const { return inks_; }
    // The active block with its inks, as the byte writers take it.
    SpritePixels pixels() const { return pixelsOfSprite(grid_, inks_); }
    const std::string& codeText() const { return codeText_; }
    // Text2: the program's own name for the sprite file buffer, kept.
    const std::string& text2() const { return text2_; }
    const SpriteHistory& history() const { return history_; }
    void setCodeBuilder(CodeBuilder builder) { codeBuilder_ = std::move(builder); }

    // The size refresh: shown flags, then the code. RefreshSize,
    // GenerateSpriteCode and the four commands below (NewSprite, ClearSprite,
    // Invert, FillBlack) are the program's own command names, kept as they are.
    void RefreshSize();
    void GenerateSpriteCode();

    void clickCell(int index);
    // A press with an ink: the black ink is the click; another ink turns a
    // cell of that ink white and gives any other cell the ink.
    void pressCell(int index, Ink ink);
    // Sets one cell during a stroke.
    void paintCell(int index, Rgb colour);
    void paintInk(int index, Ink ink);
    // Black and white swap, dark and light grey swap, transparency stays.
    void invertGreyLevels();
    void NewSprite();
    void ClearSprite();
    void Invert();
    void FillBlack();
    void transform(SpriteTransform transform);

    // A slider moved by the user: one step unless a drag holds one open.
    void moveColumnSlider(int position);
    void moveRowSlider(int position);

    // Fills Text2 with the sprite file's text of the active block.
    const std::string& buildSpriteFileText();
    // Reads a sprite file into Text2 and loads it; a file that cannot be
    // read changes nothing and gives the reason.
    std::optional<QString> loadSpriteFile(const QString& path);
    // Loads sprite file bytes already read, as a load after its read.
    void loadSpriteFileBytes(std::string bytes);
    // Takes a sprite from elsewhere (a picture, pasted code) the way a sprite
    // file load goes: sizes, cells, code. Text2 stays as it is.
    void takeSprite(const SpriteGrid& sprite);
    // The same with each cell's ink.
    void takeSprite(const SpritePixels& pixels);

    // Puts a sprite on the grid as a load does (sizes, cells, code) with no
    // undo step: a sprite of a set chosen, which keeps its own history.
    void placeSprite(const SpritePixels& pixels);
    // Hands the undo history over for another, as each sprite of a set keeps
    // its own.
    SpriteHistory swapHistory(SpriteHistory history);

    // Every change of the picture or the size between beginStep() and the
    // matching endStep() is one undo step; steps nest.
    void beginStep();
    void endStep();
    void undo();
    void redo();

    // The load's side: a slider position outside 1..15 is refused and changes
    // nothing; a change runs the size refresh. Cells are coloured without
    // rebuilding the code; the rebuild says that they changed.
    void setRowSliderPosition(int position) override;
    void setColumnSliderPosition(int position) override;
    void setCellColour(int row, int column, Rgb colour) override;
    void rebuildCode() override;

signals:
    // The size and shown flags changed; the code follows.
    void sizeChanged();
    // Cells changed: one cell's index, or 0 for any number of them.
    void cellsChanged(int index);
    void codeChanged();
    // The code builder failed with `what`; the code holds what it made.
    void codeFailed(const QString& what);
    // The end of each size refresh.
    void sizeRefreshed();
    // New, Invert and Fill Black go through the cells one by one.
    void progressed(int cell);
    void historyChanged();

private:
    class EditStep;
    bool buildCode(std::string& failure);
    void moveSlider(bool column, int position);
    void restore(const SpriteState& state);
    void setCell(int index, Ink ink);
    void setPlainCell(int index, Rgb colour);

    SpriteGrid grid_;
    // Always what each cell shows: resolvedInk of the grid's colour.
    CellInks inks_{};
    CodeBuilder codeBuilder_;
    std::string codeText_;
    std::string text2_;
    SpriteHistory history_;
    int stepDepth_ = 0;
    SpriteState stepStart_;
};

} // namespace quillox
