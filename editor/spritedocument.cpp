#include "editor/spritedocument.h"

#include "code/spritecode.h"
#include "files/spritefile.h"

#include <exception>

namespace quillox
{

class SpriteDocument::EditStep
{
public:
    explicit EditStep(SpriteDocument& document) : document_(document) { document_.beginStep(); }
    ~EditStep() { document_.endStep(); }
    EditStep(const EditStep&) = delete;
    EditStep& operator=(const EditStep&) = delete;

private:
    SpriteDocument& document_;
};

SpriteDocument::SpriteDocument()
    : codeBuilder_([](std::string& out, const SpriteGrid& grid) {
          appendSpriteCode(out, grid.columnPosition(), grid.rowPosition(), grid.colours());
      })
{
}

void SpriteDocument::load()
{
    setColumnSliderPosition(StartPosition);
    setRowSliderPosition(StartPosition);
    RefreshSize();
}

void SpriteDocument::RefreshSize()
{
    grid_.updateShownFlags();
    emit sizeChanged();
    GenerateSpriteCode();
    emit sizeRefreshed();
}

// Builds the code into codeText_; on failure it keeps what was made.
bool SpriteDocument::buildCode(std::string& failure)
{
    std::string text;
    bool built = true;
    try {
        codeBuilder_(text, grid_);
    } catch (const std::exception& error) {
        failure = error.what();
        built = false;
    }
    codeText_ = std::move(text);
    emit codeChanged();
    return built;
}

void SpriteDocument::GenerateSpriteCode()
{
    std::string failure;
    if (!buildCode(failure))
        emit codeFailed(QString::fromLocal8Bit(failure.c_str()));
}

void SpriteDocument::rebuildCode()
{
    emit cellsChanged(0);
    // A failure while rebuilding after a load is skipped without a message.
    std::string failure;
    buildCode(failure);
}

Ink SpriteDocument::ink(int index) const
{
    return resolvedInk(grid_.colour(index), inks_[static_cast<std::size_t>(index - 1)]);
}

void SpriteDocument::setCell(int index, Ink ink)
{
    grid_.setColour(index, gridColourOf(ink));
    inks_[static_cast<std::size_t>(index - 1)] = ink;
}

// Commands that set a colour leave the cell opaque and of that colour.
void SpriteDocument::setPlainCell(int index, Rgb colour)
{
    grid_.setColour(index, colour);
    inks_[static_cast<std::size_t>(index - 1)] = resolvedInk(colour, Ink::White);
}

void SpriteDocument::clickCell(int index)
{
    const EditStep step(*this);
    setPlainCell(index, grid_.isClear(index) ? Black : White);
    emit cellsChanged(0);
    GenerateSpriteCode();
}

void SpriteDocument::pressCell(int index, Ink chosen)
{
    if (chosen == Ink::Black) {
        clickCell(index);
        return;
    }
    const EditStep step(*this);
    setCell(index, inkAfterPress(ink(index), chosen));
    emit cellsChanged(0);
    GenerateSpriteCode();
}

void SpriteDocument::paintCell(int index, Rgb colour)
{
    const EditStep step(*this);
    setPlainCell(index, colour);
    emit cellsChanged(index);
    GenerateSpriteCode();
}

void SpriteDocument::paintInk(int index, Ink ink)
{
    const EditStep step(*this);
    setCell(index, ink);
    emit cellsChanged(index);
    GenerateSpriteCode();
}

void SpriteDocument::invertGreyLevels()
{
    const EditStep step(*this);
    for (int index = 1; index <= SpriteGrid::CellCount; ++index)
        if (grid_.isShown(index))
            setCell(index, invertedGreyLevel(ink(index)));
    emit cellsChanged(0);
    GenerateSpriteCode();
}

void SpriteDocument::NewSprite()
{
    const EditStep step(*this);
    for (int index = 1; index <= SpriteGrid::CellCount; ++index) {
        emit progressed(index);
        setPlainCell(index, White);
    }
    emit cellsChanged(0);
    setColumnSliderPosition(StartPosition);
    setRowSliderPosition(StartPosition);
    RefreshSize();
    emit progressed(1);
}

void SpriteDocument::ClearSprite()
{
    const EditStep step(*this);
    for (int index = 1; index <= SpriteGrid::CellCount; ++index)
        setPlainCell(index, White);
    emit cellsChanged(0);
    GenerateSpriteCode();
}

void SpriteDocument::Invert()
{
    const EditStep step(*this);
    for (int index = 1; index <= SpriteGrid::CellCount; ++index) {
        emit progressed(index);
        if (grid_.isShown(index))
            setPlainCell(index, grid_.isClear(index) ? Black : White);
    }
    emit progressed(1);
    emit cellsChanged(0);
    RefreshSize();
}

void SpriteDocument::FillBlack()
{
    const EditStep step(*this);
    for (int index = 1; index <= SpriteGrid::CellCount; ++index) {
        emit progressed(index);
        if (grid_.isShown(index))
            setPlainCell(index, Black);
    }
    emit progressed(1);
    emit cellsChanged(0);
    RefreshSize();
}

void SpriteDocument::transform(SpriteTransform transform)
{
    if (!canTransform(grid_, transform))
        return;
    const EditStep step(*this);
    transformSprite(grid_, inks_, transform);
    emit cellsChanged(0);
    GenerateSpriteCode();
}

void SpriteDocument::moveColumnSlider(int position)
{
    moveSlider(true, position);
}

void SpriteDocument::moveRowSlider(int position)
{
    moveSlider(false, position);
}

void SpriteDocument::moveSlider(bool column, int position)
{
    const EditStep step(*this);
    if (column)
        setColumnSliderPosition(position);
    else
        setRowSliderPosition(position);
}

void SpriteDocument::setColumnSliderPosition(int position)
{
    if (position != grid_.columnPosition() && grid_.setColumnPosition(position))
        RefreshSize();
}

void SpriteDocument::setRowSliderPosition(int position)
{
    if (position != grid_.rowPosition() && grid_.setRowPosition(position))
        RefreshSize();
}

// A load colours all 225 cells, then rebuilds the code: the cells are
// announced once, with the code.
void SpriteDocument::setCellColour(int row, int column, Rgb colour)
{
    setPlainCell(SpriteGrid::indexOf(row, column), colour);
}

const std::string& SpriteDocument::buildSpriteFileText()
{
    text2_ = spriteFileText(grid_);
    return text2_;
}

std::optional<QString> SpriteDocument::loadSpriteFile(const QString& path)
{
    const EditStep step(*this);
    return vorrel::LoadSpriteFile(path, text2_, *this);
}

void SpriteDocument::loadSpriteFileBytes(std::string bytes)
{
    const EditStep step(*this);
    text2_ = std::move(bytes);
    vorrel::applySpriteFile(text2_, *this);
}

void SpriteDocument::takeSprite(const SpriteGrid& sprite)
{
    const EditStep step(*this);
    vorrel::applySprite(sprite, *this);
}

void SpriteDocument::takeSprite(const SpritePixels& pixels)
{
    const EditStep step(*this);
    const InkedSprite sprite = inkedSpriteOfPixels(pixels);
    vorrel::applySprite(sprite.grid, *this);
    inks_ = sprite.inks;
    emit cellsChanged(0);
}

void SpriteDocument::placeSprite(const SpritePixels& pixels)
{
    const InkedSprite sprite = inkedSpriteOfPixels(pixels);
    vorrel::applySprite(sprite.grid, *this);
    inks_ = sprite.inks;
    emit cellsChanged(0);
}

SpriteHistory SpriteDocument::swapHistory(SpriteHistory history)
{
    std::swap(history, history_);
    emit historyChanged();
    return history;
}

void SpriteDocument::beginStep()
{
    if (stepDepth_++ == 0)
        stepStart_ = stateOf(grid_, inks_);
}

void SpriteDocument::endStep()
{
    if (stepDepth_ == 0 || --stepDepth_ > 0)
        return;
    if (stateOf(grid_, inks_) != stepStart_)
        history_.record(stepStart_);
    emit historyChanged();
}

void SpriteDocument::undo()
{
    if (stepDepth_ == 0)
        if (const std::optional<SpriteState> state = history_.undo(stateOf(grid_, inks_)))
            restore(*state);
}

void SpriteDocument::redo()
{
    if (stepDepth_ == 0)
        if (const std::optional<SpriteState> state = history_.redo(stateOf(grid_, inks_)))
            restore(*state);
}

// Back to a state through the size refresh and the code generator, as the
// commands that made it went.
void SpriteDocument::restore(const SpriteState& state)
{
    for (int index = 1; index <= SpriteGrid::CellCount; ++index) {
        const std::size_t slot = static_cast<std::size_t>(index - 1);
        setCell(index, resolvedInk(state.colours[slot], state.inks[slot]));
        grid_.setColour(index, state.colours[slot]); // the exact colour kept
    }
    emit cellsChanged(0);
    setColumnSliderPosition(state.columnPosition);
    setRowSliderPosition(state.rowPosition);
    RefreshSize();
    emit historyChanged();
}

} // namespace quillox
