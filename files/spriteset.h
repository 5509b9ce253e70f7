#pragma once

#include "code/bytecode.h"
#include "editor/spritepixels.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillox
{

// A game's source read as the sprites it holds, kept as its text: every
// sprite knows the lines and the values its data stand on, so that an edit
// rewrites those values and every other byte stays as the author wrote it.
//
// - Assembler: a label followed by data lines (".db" and the like) starts a
//   sprite; data lines before any label are one named "line N". Only a label
//   ends a run. In a run, lines of one or two values are the rows of one
//   sprite (a first line "H,B" or "W,H" that the rows match is its header);
//   each line of three or more values is a sprite of 8-pixel rows, named
//   LABEL+OFFSET after the first. "NAME_dark" and "NAME_light" runs are one
//   grey sprite; rows marked " ; mask" its mask; "NAME_HEIGHT"/"NAME_WIDTH"
//   equ lines follow its size.
// - C: each array initializer of bytes is a sprite of 8-pixel rows, or of
//   the width a first line "W,H" gives when the rest holds H rows of it.
// - Axe: each "[HEX]" line, named by its store ("→Pic1", "->Pic1"); a
//   ".PT-MASK" line and its 32 digits are one masked grey 8 x 8 sprite.
// - TI-BASIC: each quoted string of an even number of hex digits.
enum class SetForm { Assembler, C, Axe, Basic };

constexpr std::size_t MaxSpriteSetRead = std::size_t(1) << 20;

// One value of a data line: where it stands in the line's text.
struct SetToken {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::uint64_t value = 0;
};

struct SetDataLine {
    std::size_t line = 0; // index into the set's lines
    std::vector<SetToken> tokens;
    bool mask = false;
};

// How a sprite's values are laid out in its lines.
enum class SetLayout {
    Rows,       // a row a line
    Poured,     // C values in lines of any count, poured back as they were
    OneLine,    // every value on one line, a row each (tilesets, Axe, hex strings)
    EditorRows, // one binary value a row, a digit a pixel
    PtMask,     // Axe's Pt-Mask( data
};

struct SetSprite {
    std::string label;
    int firstLine = 0; // 1-based: its label's line, else its first data line
    SetLayout layout = SetLayout::Rows;
    std::vector<std::vector<SetDataLine>> planes; // one, or the dark and the light
    bool header = false;
    HeaderKind headerKind = HeaderKind::HeightAndBytesPerRow;
    MaskOrder maskOrder = MaskOrder::None;
    MaskPolarity maskPolarity = MaskPolarity::And;
    std::vector<std::size_t> sizeLines;  // NAME_HEIGHT / NAME_WIDTH lines
    std::vector<std::size_t> labelLines; // lines that only hold its labels
    SpritePixels pixels;                 // the whole sprite, any size
    // Why it cannot go on the grid ("16 x 16: wider than the grid"), or "".
    std::string problem;
};

class SpriteSet
{
public:
    // The sprites of a text (at most MaxSpriteSetRead bytes), in file order;
    // none when it holds no data this reads.
    static SpriteSet read(std::string_view text);

    SetForm form() const { return form_; }
    const std::vector<SetSprite>& sprites() const { return sprites_; }
    std::size_t size() const { return sprites_.size(); }
    // A stable number for each sprite, kept across edits of any sprite.
    const std::vector<int>& ids() const { return ids_; }
    // The text as it now stands, byte for byte.
    std::string text() const;
    // The sprite as the grid takes it (a wider one whose columns past the
    // 15th are clear, cut to 15), or none when its problem says why not.
    std::optional<SpritePixels> gridPixels(std::size_t index) const;

    // Rewrites the sprite's values for these pixels in its own form; false
    // with the reason when its form cannot hold them, the text unchanged.
    bool setPixels(std::size_t index, const SpritePixels& pixels, std::string& reason);
    // Whether the name can label a new sprite: a label of the file's form
    // that is not in the file yet; else the reason.
    bool canUseLabel(const std::string& label, std::string& reason) const;
    // A copy of the sprite, or of its form with these pixels, after it under
    // the label; false with the reason.
    bool insertCopy(std::size_t index, const std::string& label,
                    const std::optional<SpritePixels>& pixels, std::string& reason);
    // Removes the sprite's data, label and size lines; false with the reason
    // when they hold other sprites too, the text unchanged.
    bool remove(std::size_t index, std::string& reason);
    // The id the next sprite added gets; a set taken back to an earlier one
    // keeps counting from the later one's.
    int nextId() const { return nextId_; }
    void continueIds(int nextId) { nextId_ = std::max(nextId_, nextId); }

private:
    struct Line {
        std::string text;
        std::string end; // "\r\n", "\n", "\r" or "" for the last
    };

    void parse();
    // An edited text is read again in its form, whatever it now looks like.
    void parseAs(SetForm form);
    void parseAssembler();
    void parseC();
    void parseAxe();
    void parseBasic();
    void noteStores();
    static std::vector<std::size_t> ownLines(const SetSprite& sprite);
    bool rewritePlanes(std::size_t index, const SpritePixels& pixels, std::string& reason);
    void replaceValues(std::size_t line, const std::vector<SetToken>& tokens,
                       const std::vector<std::uint64_t>& values, int binaryDigits = 0);
    std::string lineEnd() const;
    std::optional<std::vector<SetToken>> commaOrPairs(std::string_view text) const;
    Line newLineLike(const std::vector<SetDataLine>& plane, bool mask) const;
    void markMask(std::size_t index, bool mask);

    SetForm form_ = SetForm::Assembler;
    std::vector<Line> lines_;
    std::vector<SetSprite> sprites_;
    std::vector<int> ids_;
    std::vector<std::string> names_; // every label, array or store name in the file
    int nextId_ = 0;
};

// "it holds 3 sprites": why a reader of one sprite refuses a set.
std::string spriteSetRefusal(std::size_t sprites);

// "16 x 16: wider than the grid", "8 x 20: taller than the grid", or "".
std::string gridProblem(const SpritePixels& pixels);

} // namespace quillox
