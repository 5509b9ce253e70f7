#include "code/codereader.h"

#include "code/spritecode.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <vector>

namespace quillox
{

namespace
{

constexpr std::size_t MaxRows = SpriteGrid::Side;
// A header line and at most 15 rows: more data lines are counted, not kept.
constexpr std::size_t MaxKeptLines = MaxRows + 2;
// Lines of one or two values hold at most this many; three or more values on
// a line make one row each, so more than 15 bytes are refused unread.
constexpr std::size_t MaxKeptValues = 2 * MaxKeptLines;

struct Value {
    std::uint64_t number = 0;
    // Digits of a binary value, which the editor's own form counts.
    int binaryDigits = 0;
};

struct DataLine {
    int number = 0;
    std::size_t count = 0;
    std::vector<Value> values; // all of them, while the text can still be a sprite
};

using PixelRows = std::vector<std::vector<bool>>;

SpriteGrid gridOf(const PixelRows& pixels);

std::string tooManyBytes(std::size_t bytes)
{
    return std::to_string(bytes) + " bytes make " + std::to_string(bytes) + " rows; at most 15";
}

std::string countOf(std::size_t count, const char* noun)
{
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string lower(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::string_view trimmed(std::string_view text)
{
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && space(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string_view firstWord(std::string_view text)
{
    return text.substr(0, text.find_first_of(" \t"));
}

bool isDirective(std::string_view word)
{
    const std::string name = lower(word);
    return name == ".db" || name == "db" || name == "defb" || name == ".byte";
}

bool isEqu(std::string_view word)
{
    const std::string name = lower(word);
    return name == "equ" || name == ".equ";
}

std::string lineText(int number)
{
    return "line " + std::to_string(number);
}

// Text from the input for a message, cut short so that no line floods it.
std::string quoted(std::string_view text)
{
    constexpr std::size_t MaxShown = 24;
    return "\"" + std::string(text.substr(0, MaxShown)) + (text.size() > MaxShown ? "...\"" : "\"");
}

// What is left of a line once its ";" comment and outer spaces are gone.
std::string_view content(std::string_view line)
{
    return trimmed(line.substr(0, line.find(';')));
}

bool isHexDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isxdigit(static_cast<unsigned char>(c));
    });
}

int hexDigit(char c)
{
    return std::isdigit(static_cast<unsigned char>(c))
               ? c - '0'
               : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
}

// Bytes in order, a row of 8 pixels each: the first 15 kept, the rest counted.
struct ByteRows {
    std::vector<std::uint8_t> kept;
    std::size_t count = 0;

    // An even run of hex digits, two a byte.
    void addHex(std::string_view digits)
    {
        for (std::size_t at = 0; at + 1 < digits.size() && kept.size() < MaxRows; at += 2)
            kept.push_back(
                static_cast<std::uint8_t>(hexDigit(digits[at]) * 16 + hexDigit(digits[at + 1])));
        count += digits.size() / 2;
    }
};

bool parseDigits(std::string_view digits, int base, std::uint64_t& number)
{
    if (digits.empty() || digits.size() > 16)
        return false;
    number = 0;
    for (const char c : digits) {
        const int digit = std::isdigit(static_cast<unsigned char>(c))
                              ? c - '0'
                              : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
        if (digit < 0 || digit >= base || !std::isalnum(static_cast<unsigned char>(c)))
            return false;
        number = number * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    }
    return true;
}

std::optional<Value> parseValue(std::string_view token)
{
    Value value;
    const std::string text = lower(token);
    std::string_view digits = text;
    int base = 10;
    if (digits.size() > 1 && digits.front() == '%') {
        digits.remove_prefix(1);
        base = 2;
    } else if (digits.size() > 1 && (digits.front() == '$' || digits.front() == '#')) {
        digits.remove_prefix(1);
        base = 16;
    } else if (digits.size() > 2 && digits.substr(0, 2) == "0x") {
        digits.remove_prefix(2);
        base = 16;
    } else if (digits.size() > 1 && digits.back() == 'h' &&
               std::isdigit(static_cast<unsigned char>(digits.front()))) {
        digits.remove_suffix(1);
        base = 16;
    } else if (digits.size() > 2 && digits.substr(0, 2) == "0b") {
        digits.remove_prefix(2);
        base = 2;
    } else if (digits.size() > 1 && digits.back() == 'b' &&
               digits.find_first_not_of("01", 0) == digits.size() - 1) {
        digits.remove_suffix(1);
        base = 2;
    }
    if (!parseDigits(digits, base, value.number))
        return std::nullopt;
    if (base == 2)
        value.binaryDigits = static_cast<int>(digits.size());
    return value;
}

// The data lines of a text, read one line at a time, and the sprite they make.
class CodeReading
{
public:
    explicit CodeReading(std::string& reason) : reason_(reason) {}

    bool readLine(std::string_view line, int number);
    bool hasRows() const { return dataLines_ > 0; }
    std::optional<SpriteGrid> sprite();

private:
    bool readValues(std::string_view list, int number);
    bool hasHeader();
    bool bytesAsRows(std::size_t first, PixelRows& pixels);
    bool linesAsRows(std::size_t first, PixelRows& pixels);
    bool isByte(const Value& value, int number);

    std::string& reason_;
    std::vector<DataLine> lines_; // the first MaxKeptLines data lines
    std::size_t dataLines_ = 0;
    std::size_t values_ = 0;
    bool lineOfThreeOrMore_ = false;
    // The width a header gives in pixels, or 0.
    int headerWidth_ = 0;
};

bool CodeReading::readLine(std::string_view line, int number)
{
    line = content(line);
    if (line.empty())
        return true;
    // A label may stand before the statement, with or without a colon, and a
    // colon needs no space after it ("hero:.db").
    std::string_view label, statement = line;
    const std::string_view word = firstWord(line);
    if (!isDirective(word)) {
        const std::size_t colon = word.find_last_of(':');
        label = colon != std::string_view::npos && colon + 1 < word.size()
                    ? word.substr(0, colon + 1)
                    : word;
        statement = trimmed(line.substr(label.size()));
    }
    if (statement.empty()) {
        if (dataLines_ == 0)
            return true;
        reason_ = lineText(number) +
                  (label.back() == ':'
                       ? " starts a second sprite: " + quoted(label)
                       : " is not a .db line: " + quoted(label) + " stands alone after the rows");
        return false;
    }
    const std::string_view directive = firstWord(statement);
    if (isEqu(directive) && !label.empty())
        return true; // the sizes the converter writes with --equ
    if (!isDirective(directive)) {
        reason_ = lineText(number) + " is not a .db line: " + quoted(line) +
                  " holds no .db, db, defb or .byte";
        return false;
    }
    return readValues(statement.substr(directive.size()), number);
}

bool CodeReading::readValues(std::string_view list, int number)
{
    const bool kept = lines_.size() < MaxKeptLines;
    if (kept)
        lines_.push_back(DataLine{number, 0, {}});
    ++dataLines_;
    std::size_t count = 0;
    while (true) {
        const std::size_t comma = list.find(',');
        const std::string_view token = trimmed(list.substr(0, comma));
        const std::optional<Value> value = parseValue(token);
        if (!value) {
            reason_ = lineText(number) + ": " + quoted(token) + " is not a number";
            return false;
        }
        ++count;
        if (++values_ <= MaxKeptValues && kept)
            lines_.back().values.push_back(*value);
        if (comma == std::string_view::npos)
            break;
        list.remove_prefix(comma + 1);
    }
    if (kept)
        lines_.back().count = count;
    lineOfThreeOrMore_ = lineOfThreeOrMore_ || count >= 3;
    return true;
}

// A first line of two values that gives the size of the rows after it: the
// height and the bytes per row, as the converter writes with --header, or
// the width in pixels and the height, as z88dk and several Z80 libraries do.
bool CodeReading::hasHeader()
{
    if (dataLines_ < 2 || dataLines_ > lines_.size() || lines_.front().count != 2)
        return false;
    const std::uint64_t first = lines_.front().values[0].number;
    const std::uint64_t second = lines_.front().values[1].number;
    const std::uint64_t rows = dataLines_ - 1;
    const auto rowsHold = [this](std::uint64_t bytes) {
        return std::all_of(lines_.begin() + 1, lines_.end(),
                           [bytes](const DataLine& line) { return line.count == bytes; });
    };
    if (first == rows && rowsHold(second))
        return true;
    if (second == rows && first > 0 && rowsHold((first + 7) / 8)) {
        headerWidth_ = static_cast<int>(std::min<std::uint64_t>(first, 64));
        return true;
    }
    return false;
}

bool CodeReading::isByte(const Value& value, int number)
{
    if (value.number <= 0xFF)
        return true;
    reason_ = lineText(number) + ": the value " + std::to_string(value.number) + " is not a byte";
    return false;
}

// Any line of three or more values: every value in order is a row of 8 pixels.
bool CodeReading::bytesAsRows(std::size_t first, PixelRows& pixels)
{
    const std::size_t bytes = values_ - (first > 0 ? 2 : 0);
    if (bytes > MaxRows) {
        reason_ = tooManyBytes(bytes);
        return false;
    }
    for (std::size_t index = first; index < lines_.size(); ++index)
        for (const Value& value : lines_[index].values) {
            if (!isByte(value, lines_[index].number))
                return false;
            std::vector<bool>& row = pixels.emplace_back();
            for (int bit = 7; bit >= 0; --bit)
                row.push_back((value.number >> bit) & 1u);
        }
    return true;
}

// Every line one row: the editor's binary numbers, or bytes.
bool CodeReading::linesAsRows(std::size_t first, PixelRows& pixels)
{
    if (dataLines_ - first > MaxRows) {
        reason_ = lineText(lines_[first + MaxRows].number) + " makes more than 15 rows";
        return false;
    }
    const DataLine& top = lines_[first];
    for (std::size_t index = first + 1; index < lines_.size(); ++index)
        if (lines_[index].count != top.count) {
            reason_ = "its rows have different lengths: " + lineText(lines_[index].number) +
                      " holds " + countOf(lines_[index].count, "value") + ", " +
                      lineText(top.number) + " " + std::to_string(top.count);
            return false;
        }
    // A binary value of 9 or more digits is no byte in any assembler: such
    // values of one width are rows of that width. Shorter ones are bytes.
    const int digits = top.values.front().binaryDigits;
    const bool wideRows =
        digits > 8 && std::all_of(lines_.begin() + static_cast<std::ptrdiff_t>(first), lines_.end(),
                                  [digits](const DataLine& line) {
                                      return line.count == 1 &&
                                             line.values.front().binaryDigits == digits;
                                  });
    if (wideRows) {
        if (digits > SpriteGrid::Side) {
            reason_ = "its rows are " + std::to_string(digits) + " pixels wide, more than 15";
            return false;
        }
        for (std::size_t index = first; index < lines_.size(); ++index) {
            std::vector<bool>& row = pixels.emplace_back();
            for (int bit = digits - 1; bit >= 0; --bit)
                row.push_back((lines_[index].values.front().number >> bit) & 1u);
        }
        return true;
    }
    int drawn = 0; // the narrowest width that holds every set pixel
    for (std::size_t index = first; index < lines_.size(); ++index) {
        std::vector<bool>& row = pixels.emplace_back();
        for (const Value& value : lines_[index].values) {
            if (!isByte(value, lines_[index].number))
                return false;
            for (int bit = 7; bit >= 0; --bit)
                row.push_back((value.number >> bit) & 1u);
        }
        const auto lastSet = std::find(row.rbegin(), row.rend(), true);
        const int rowWidth = static_cast<int>(row.rend() - lastSet);
        if (rowWidth > SpriteGrid::Side) {
            reason_ = lineText(lines_[index].number) + " sets a pixel in column " +
                      std::to_string(rowWidth) + ", beyond column 15";
            return false;
        }
        drawn = std::max(drawn, rowWidth);
    }
    // A header that gives the width in pixels is the author's width; else
    // never fewer than the 8 pixels of a byte.
    const bool headerHolds =
        headerWidth_ > 0 && headerWidth_ >= drawn && headerWidth_ <= SpriteGrid::Side;
    const int width = headerHolds ? headerWidth_ : std::max(8, drawn);
    for (auto& row : pixels)
        row.resize(static_cast<std::size_t>(width));
    return true;
}

std::optional<SpriteGrid> CodeReading::sprite()
{
    if (dataLines_ == 0) {
        reason_ = "it has no .db rows, Axe data or lines of hex digits";
        return std::nullopt;
    }
    const std::size_t first = hasHeader() ? 1 : 0;
    PixelRows pixels;
    if (!(lineOfThreeOrMore_ ? bytesAsRows(first, pixels) : linesAsRows(first, pixels)))
        return std::nullopt;
    return gridOf(pixels);
}

// The rows in the bottom-right block of an otherwise white grid.
SpriteGrid gridOf(const PixelRows& pixels)
{
    SpriteGrid grid;
    const int height = static_cast<int>(pixels.size());
    const int width = static_cast<int>(pixels.front().size());
    grid.setRowPosition(SpriteGrid::Side + 1 - height);
    grid.setColumnPosition(SpriteGrid::Side + 1 - width);
    grid.updateShownFlags();
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column)
            if (pixels[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)])
                grid.setColour(grid.rowPosition() + row, grid.columnPosition() + column, Black);
    return grid;
}

std::optional<SpriteGrid> spriteOfBytes(const ByteRows& bytes, std::string& reason)
{
    if (bytes.count > MaxRows) {
        reason = tooManyBytes(bytes.count);
        return std::nullopt;
    }
    PixelRows pixels;
    for (const std::uint8_t byte : bytes.kept) {
        std::vector<bool>& row = pixels.emplace_back();
        for (int bit = 7; bit >= 0; --bit)
            row.push_back((byte >> bit) & 1u);
    }
    return gridOf(pixels);
}

// Axe Parser's data: "[3C42...]", perhaps stored to a name ("→Pic1", "->Pic1").
// Lines of a first "." are Axe's comments, as its program header is.
class AxeReading
{
public:
    // `line` holds something: no comment, no outer spaces.
    void readLine(std::string_view line, int number);
    // The text's first line that holds something, but for comments, is hex
    // digits in brackets.
    bool started() const { return started_; }
    bool failed() const { return !problem_.empty(); }
    std::optional<SpriteGrid> sprite(std::string& reason) const;

private:
    void refuse(int number, const std::string& why) { problem_ = lineText(number) + why; }

    bool started_ = false;
    std::string problem_;
    int storeLine_ = 0;
    ByteRows bytes_;
};

void AxeReading::readLine(std::string_view line, int number)
{
    if (failed() || (line.front() == '.' && !isDirective(firstWord(line))))
        return;
    if (line.front() != '[') {
        refuse(number, " is not Axe data: " + quoted(line));
        return;
    }
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos || !isHexDigits(line.substr(1, close - 1))) {
        refuse(number, ": " + quoted(line) + " is not hex digits in brackets");
        return;
    }
    started_ = true;
    const std::string_view digits = line.substr(1, close - 1);
    if (digits.size() % 2 != 0) {
        refuse(number, ": " + quoted(line) + " holds an odd number of hex digits");
        return;
    }
    const std::string_view store = trimmed(line.substr(close + 1));
    if (!store.empty()) {
        std::string_view name;
        for (const std::string_view arrow : {"\xE2\x86\x92", "->"})
            if (store.substr(0, arrow.size()) == arrow)
                name = trimmed(store.substr(arrow.size()));
        if (name.empty() || name.find_first_of(" \t") != std::string_view::npos) {
            refuse(number, ": " + quoted(line) + " stores to no name, as in \"[3C42]->Pic1\"");
            return;
        }
    }
    // Axe keeps data lines one after another; a store names where a sprite
    // starts, so data after one is the next sprite.
    if (storeLine_ != 0) {
        refuse(number, " starts a second sprite after the store on " + lineText(storeLine_) + ": " +
                           quoted(line));
        return;
    }
    bytes_.addHex(digits);
    if (!store.empty())
        storeLine_ = number;
}

std::optional<SpriteGrid> AxeReading::sprite(std::string& reason) const
{
    if (failed()) {
        reason = problem_;
        return std::nullopt;
    }
    return spriteOfBytes(bytes_, reason);
}

// Lines of hex digits, two a byte, as TI-BASIC sprite routines take them.
class HexLinesReading
{
public:
    // `line` holds something: no comment, no outer spaces.
    void readLine(std::string_view line, int number);
    // The text's first line that holds something is a run of hex digits.
    bool started() const { return started_; }
    bool failed() const { return !problem_.empty(); }
    std::optional<SpriteGrid> sprite(std::string& reason) const;

private:
    bool started_ = false;
    bool seenLine_ = false;
    // A letter or more than 3 digits: the lines are no decimal bytes.
    bool plainlyHex_ = false;
    std::string problem_;
    ByteRows bytes_;
};

void HexLinesReading::readLine(std::string_view line, int number)
{
    if (failed())
        return;
    const bool first = !seenLine_;
    seenLine_ = true;
    if (!isHexDigits(line) || line.size() % 2 != 0) {
        problem_ = lineText(number) + " is not an even run of hex digits: " + quoted(line);
        return;
    }
    started_ = started_ || first;
    plainlyHex_ = plainlyHex_ || line.size() > 3 ||
                  line.find_first_not_of("0123456789") != std::string_view::npos;
    bytes_.addHex(line);
}

std::optional<SpriteGrid> HexLinesReading::sprite(std::string& reason) const
{
    if (failed()) {
        reason = problem_;
        return std::nullopt;
    }
    if (!plainlyHex_) {
        reason = "its lines may be decimal or hex: none holds a letter A-F or more than 3 digits";
        return std::nullopt;
    }
    return spriteOfBytes(bytes_, reason);
}

} // namespace

std::optional<SpriteGrid> readSpriteCodeText(std::string_view text, std::string& reason,
                                             bool& readAsCode)
{
    // Only the editor's own lines hold one digit a pixel.
    if (isEditorCodeForm(text)) {
        readAsCode = true;
        return parseSpriteCode(text, reason);
    }
    // The three forms are read side by side; .db code that reads wins, as it
    // did before the others were known.
    std::string directivesReason;
    CodeReading directives(directivesReason);
    bool directivesFailed = false;
    AxeReading axe;
    HexLinesReading hexLines;
    // CR LF, LF and CR alone each end a line.
    for (int number = 1;; ++number) {
        const std::size_t end = text.find_first_of("\r\n");
        const std::string_view line = text.substr(0, end);
        directivesFailed = directivesFailed || !directives.readLine(line, number);
        if (const std::string_view held = content(line); !held.empty()) {
            axe.readLine(held, number);
            hexLines.readLine(held, number);
        }
        if (end == std::string_view::npos ||
            (directivesFailed && axe.failed() && hexLines.failed()))
            break;
        text.remove_prefix(end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1));
    }
    readAsCode = directives.hasRows() || axe.started() || hexLines.started();
    if (!directivesFailed)
        if (std::optional<SpriteGrid> sprite = directives.sprite())
            return sprite;
    if (!directives.hasRows()) {
        if (axe.started())
            return axe.sprite(reason);
        if (hexLines.started())
            return hexLines.sprite(reason);
    }
    reason = directivesReason;
    return std::nullopt;
}

std::optional<SpriteGrid> readSpriteCodeText(std::string_view text, std::string& reason)
{
    bool readAsCode = false;
    return readSpriteCodeText(text, reason, readAsCode);
}

} // namespace quillox
