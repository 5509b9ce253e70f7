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
// A header line, at most 15 rows and as many mask rows: more data lines are
// counted, not kept.
constexpr std::size_t MaxKeptLines = 2 * MaxRows + 2;
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
    bool mask = false;         // marked as a mask row
};

using PixelRows = std::vector<std::vector<bool>>;

// One plane's rows as read, before its width is settled: a sprite's rows,
// or a grey sprite's dark or light plane, with its marked mask rows.
struct PlaneRows {
    PixelRows rows;          // as wide as read: whole bytes, or a binary value's digits
    PixelRows mask;          // as many as the rows, or none
    int width = 0;           // the width a plain sprite of these rows has
    int drawn = 0;           // the narrowest width that holds every set pixel
    bool fixedWidth = false; // the width is the author's (a header, wide rows)
};

std::optional<SpritePixels> pixelsOf(const std::vector<PlaneRows>& planes, std::string& reason);

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

// A comment that says "mask" marks a mask row: " ; mask", "/* mask */".
bool isMaskMark(std::string_view comment)
{
    return lower(trimmed(comment)) == "mask";
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
    // A line of values, read by another form (a C array's line).
    bool readValues(std::string_view list, int number, bool mask);
    bool hasRows() const { return dataLines_ > 0; }
    std::optional<PlaneRows> rows();
    // The label that stood before the first row, or "".
    const std::string& firstLabel() const { return firstLabel_; }

private:
    bool hasHeader();
    bool bytesAsRows(std::size_t first, PixelRows& pixels);
    bool linesAsRows(std::size_t first, PlaneRows& plane);
    bool maskedRows(std::size_t first, PlaneRows& plane);
    bool isByte(const Value& value, int number);
    std::vector<bool> bitsOf(const DataLine& line);

    std::string& reason_;
    std::vector<DataLine> lines_; // the first MaxKeptLines data lines
    std::size_t dataLines_ = 0;
    std::size_t values_ = 0;
    bool lineOfThreeOrMore_ = false;
    // The width a header gives in pixels, or 0.
    int headerWidth_ = 0;
    std::size_t maskLines_ = 0;
    std::string firstLabel_;
};

bool CodeReading::readLine(std::string_view line, int number)
{
    const std::size_t semicolon = line.find(';');
    const bool mask = semicolon != std::string_view::npos && isMaskMark(line.substr(semicolon + 1));
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
        if (dataLines_ == 0) {
            firstLabel_ = std::string(label.substr(0, label.find(':')));
            return true;
        }
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
    return readValues(statement.substr(directive.size()), number, mask);
}

bool CodeReading::readValues(std::string_view list, int number, bool mask)
{
    const bool kept = lines_.size() < MaxKeptLines;
    if (kept)
        lines_.push_back(DataLine{number, 0, {}, mask});
    ++dataLines_;
    maskLines_ += mask ? 1 : 0;
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
    const std::uint64_t rows = dataLines_ - 1 - maskLines_;
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

std::vector<bool> CodeReading::bitsOf(const DataLine& line)
{
    std::vector<bool> row;
    for (const Value& value : line.values)
        for (int bit = 7; bit >= 0; --bit)
            row.push_back((value.number >> bit) & 1u);
    return row;
}

// Every line one row: the editor's binary numbers, or bytes.
bool CodeReading::linesAsRows(std::size_t first, PlaneRows& plane)
{
    PixelRows& pixels = plane.rows;
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
        plane.width = plane.drawn = digits;
        plane.fixedWidth = true;
        return true;
    }
    int drawn = 0; // the narrowest width that holds every set pixel
    for (std::size_t index = first; index < lines_.size(); ++index) {
        for (const Value& value : lines_[index].values)
            if (!isByte(value, lines_[index].number))
                return false;
        const std::vector<bool>& row = pixels.emplace_back(bitsOf(lines_[index]));
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
    plane.width = headerHolds ? headerWidth_ : std::max(8, drawn);
    plane.drawn = drawn;
    plane.fixedWidth = headerHolds;
    return true;
}

// Rows with marked mask rows among them, in any order: the unmarked lines
// are the sprite's rows, the marked ones its mask, each of whole bytes.
bool CodeReading::maskedRows(std::size_t first, PlaneRows& plane)
{
    const std::size_t rows = dataLines_ - first - maskLines_;
    if (lineOfThreeOrMore_) {
        reason_ = "its mask rows hold three or more values; a mask row is one row of the sprite";
        return false;
    }
    if (rows != maskLines_) {
        reason_ = "it has " + countOf(rows, "row") + " and " + countOf(maskLines_, "mask row") +
                  "; a mask has one row for each row";
        return false;
    }
    if (rows > MaxRows) {
        reason_ = "it has " + std::to_string(rows) + " rows; at most 15";
        return false;
    }
    const DataLine& top = lines_[first];
    for (std::size_t index = first; index < lines_.size(); ++index) {
        const DataLine& line = lines_[index];
        if (line.count != top.count) {
            reason_ = "its rows have different lengths: " + lineText(line.number) + " holds " +
                      countOf(line.count, "value") + ", " + lineText(top.number) + " " +
                      std::to_string(top.count);
            return false;
        }
        for (const Value& value : line.values)
            if (!isByte(value, line.number))
                return false;
        (line.mask ? plane.mask : plane.rows).push_back(bitsOf(line));
    }
    if (headerWidth_ > 0 && headerWidth_ <= SpriteGrid::Side) {
        plane.width = headerWidth_;
        plane.fixedWidth = true;
    }
    return true;
}

std::optional<PlaneRows> CodeReading::rows()
{
    if (dataLines_ == 0) {
        reason_ = "it has no .db rows, Axe data or lines of hex digits";
        return std::nullopt;
    }
    const std::size_t first = hasHeader() ? 1 : 0;
    PlaneRows plane;
    if (maskLines_ > 0) {
        if (!maskedRows(first, plane))
            return std::nullopt;
    } else if (lineOfThreeOrMore_) {
        if (!bytesAsRows(first, plane.rows))
            return std::nullopt;
        plane.width = plane.drawn = 8;
        plane.fixedWidth = true;
    } else if (!linesAsRows(first, plane)) {
        return std::nullopt;
    }
    return plane;
}

// A sprite's reading: its rows, or the dark and the light plane of a grey
// sprite ("NAME_dark:" and "NAME_light:" before them), each with its mask.
class PlanesReading
{
public:
    explicit PlanesReading(std::string& reason) : reason_(reason) { planes_.emplace_back(reason); }

    // A label or array name before rows: a light plane after its dark one
    // starts the second plane; true when it did.
    bool startsPlane(std::string_view name)
    {
        const std::string base = planes_.front().firstLabel();
        constexpr std::string_view dark = "_dark";
        if (planes_.size() != 1 || !planes_.front().hasRows() || base.size() <= dark.size() ||
            base.compare(base.size() - dark.size(), dark.size(), dark) != 0 ||
            name != base.substr(0, base.size() - dark.size()) + "_light")
            return false;
        planes_.emplace_back(reason_);
        return true;
    }
    CodeReading& current() { return planes_.back(); }
    bool hasRows() const { return planes_.front().hasRows(); }
    std::optional<SpritePixels> sprite()
    {
        std::vector<PlaneRows> rows;
        for (CodeReading& plane : planes_) {
            std::optional<PlaneRows> read = plane.rows();
            if (!read)
                return std::nullopt;
            rows.push_back(std::move(*read));
        }
        return pixelsOf(rows, reason_);
    }

private:
    std::string& reason_;
    std::vector<CodeReading> planes_;
};

// A label alone on its line ("hero_light:", "hero_light"), or "".
std::string_view labelAlone(std::string_view line)
{
    line = content(line);
    if (line.empty() || line.find_first_of(" \t") != std::string_view::npos || isDirective(line))
        return {};
    return line.substr(0, line.find(':'));
}

// Whether each mask bit, read with this polarity, leaves every set pixel of
// the planes opaque; and the narrowest width that holds every pixel the
// padding would not give (padding is clear in the sprite, set in an AND
// mask, clear in an OR mask).
struct MaskFit {
    bool fits = true;
    int width = 1;
};

MaskFit maskFit(const std::vector<PlaneRows>& planes, const PixelRows& mask, bool andMask)
{
    MaskFit fit;
    for (std::size_t y = 0; y < mask.size(); ++y)
        for (std::size_t x = 0; x < mask[y].size(); ++x) {
            bool set = false;
            for (const PlaneRows& plane : planes)
                set = set || (x < plane.rows[y].size() && plane.rows[y][x]);
            const bool transparent = mask[y][x] == andMask;
            fit.fits = fit.fits && !(set && transparent);
            if (set || !transparent)
                fit.width = std::max(fit.width, static_cast<int>(x) + 1);
        }
    return fit;
}

// The pixels of one sprite from its planes: one plane is black on white,
// two are the dark and the light plane (level 2 x dark + light). A marked
// mask tells transparent pixels in the polarity its bits fit (an AND mask
// when both do and give the same width).
std::optional<SpritePixels> pixelsOf(const std::vector<PlaneRows>& planes, std::string& reason)
{
    const std::size_t height = planes.front().rows.size();
    for (const PlaneRows& plane : planes) {
        if (plane.rows.size() != height) {
            reason = "its dark plane has " + countOf(height, "row") + ", its light plane " +
                     std::to_string(plane.rows.size());
            return std::nullopt;
        }
        if (plane.mask.size() != planes.front().mask.size()) {
            reason = "its dark plane has " + countOf(planes.front().mask.size(), "mask row") +
                     ", its light plane " + std::to_string(plane.mask.size());
            return std::nullopt;
        }
    }
    const PixelRows& mask = planes.front().mask;
    // Every plane's rows, each with its mask row.
    for (const PlaneRows& plane : planes)
        if (!mask.empty() && plane.rows.size() != mask.size()) {
            reason = "it has " + countOf(plane.rows.size(), "row") + " and " +
                     countOf(mask.size(), "mask row") + "; a mask has one row for each row";
            return std::nullopt;
        }
    bool andMask = true;
    int width = planes.front().width;
    if (!mask.empty()) {
        const MaskFit andFit = maskFit(planes, mask, true);
        const MaskFit orFit = maskFit(planes, mask, false);
        andMask = andFit.fits && (!orFit.fits || andFit.width <= orFit.width);
        width = (andMask ? andFit : orFit).width;
    } else if (planes.size() > 1) {
        width = 1;
        for (const PlaneRows& plane : planes)
            width = std::max(width, plane.drawn);
    }
    if (planes.front().fixedWidth)
        width = planes.front().width;
    if (width > SpriteGrid::Side) {
        reason = "its rows are " + std::to_string(width) + " pixels wide, more than 15";
        return std::nullopt;
    }
    SpritePixels pixels(width, static_cast<int>(height));
    const auto bit = [](const PixelRows& rows, std::size_t y, int x) {
        return static_cast<std::size_t>(x) < rows[y].size() && rows[y][std::size_t(x)];
    };
    for (std::size_t y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::size_t at = pixels.at(x, static_cast<int>(y));
            pixels.levels[at] = planes.size() == 1
                                    ? (bit(planes[0].rows, y, x) ? 3 : 0)
                                    : static_cast<unsigned char>(2 * bit(planes[0].rows, y, x) +
                                                                 bit(planes[1].rows, y, x));
            pixels.transparent[at] =
                !mask.empty() && bit(mask, y, x) == andMask && pixels.levels[at] == 0;
        }
    return pixels;
}

std::optional<SpritePixels> spriteOfBytes(const ByteRows& bytes, std::string& reason)
{
    if (bytes.count > MaxRows) {
        reason = tooManyBytes(bytes.count);
        return std::nullopt;
    }
    PlaneRows plane;
    for (const std::uint8_t byte : bytes.kept) {
        std::vector<bool>& row = plane.rows.emplace_back();
        for (int bit = 7; bit >= 0; --bit)
            row.push_back((byte >> bit) & 1u);
    }
    plane.width = plane.drawn = 8;
    return pixelsOf({plane}, reason);
}

// Axe's Pt-Mask( data: 8 rows of layer 1, then 8 of layer 2; each pixel's
// bits (layer 1, layer 2) are 00 transparent, 01 white, 10 grey, 11 black.
SpritePixels ptMaskPixels(const std::vector<std::uint8_t>& bytes)
{
    SpritePixels pixels(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool first = (bytes[std::size_t(y)] >> (7 - x)) & 1u;
            const bool second = (bytes[std::size_t(y + 8)] >> (7 - x)) & 1u;
            const std::size_t at = pixels.at(x, y);
            pixels.levels[at] = first ? (second ? 3 : 2) : 0;
            pixels.transparent[at] = !first && !second;
        }
    return pixels;
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
    std::optional<SpritePixels> sprite(std::string& reason) const;

private:
    void refuse(int number, const std::string& why) { problem_ = lineText(number) + why; }
    void readPtMask(std::string_view digits, int number);

    bool started_ = false;
    std::string problem_;
    int storeLine_ = 0;
    ByteRows bytes_;
    // The line of a ".PT-MASK" comment whose data is still to come.
    int ptMaskLine_ = 0;
    std::vector<std::uint8_t> ptMask_;
};

constexpr std::string_view PtMaskComment = ".pt-mask";
constexpr std::size_t PtMaskDigits = 32;

void AxeReading::readPtMask(std::string_view digits, int number)
{
    const bool afterData = started_;
    started_ = true; // a refusal below is worth showing: this is Axe data
    if (digits.size() != PtMaskDigits || !isHexDigits(digits)) {
        refuse(number, ": " + quoted(digits) + " after the .PT-MASK comment on " +
                           lineText(ptMaskLine_) + " is not 32 hex digits");
        return;
    }
    if (afterData) {
        refuse(number, " starts a second sprite: the .PT-MASK data on " + lineText(ptMaskLine_) +
                           " follows other data");
        return;
    }
    for (std::size_t at = 0; at < digits.size(); at += 2)
        ptMask_.push_back(
            static_cast<std::uint8_t>(hexDigit(digits[at]) * 16 + hexDigit(digits[at + 1])));
}

void AxeReading::readLine(std::string_view line, int number)
{
    if (failed())
        return;
    if (line.front() == '.' && !isDirective(firstWord(line))) {
        if (lower(line) == PtMaskComment)
            ptMaskLine_ = number;
        return;
    }
    if (ptMaskLine_ != 0 && ptMask_.empty()) {
        const bool bracketed = line.front() == '[';
        const std::size_t close = line.find(']');
        readPtMask(bracketed ? line.substr(1, close == std::string_view::npos ? 0 : close - 1)
                             : line,
                   number);
        storeLine_ = number;
        return;
    }
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

std::optional<SpritePixels> AxeReading::sprite(std::string& reason) const
{
    if (failed()) {
        reason = problem_;
        return std::nullopt;
    }
    if (!ptMask_.empty())
        return ptMaskPixels(ptMask_);
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
    std::optional<SpritePixels> sprite(std::string& reason) const;

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

std::optional<SpritePixels> HexLinesReading::sprite(std::string& reason) const
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

// C arrays of bytes as "Copy as C Array" and the converter write them:
// "const unsigned char NAME[] = {", a line of values a row, "};"; a grey
// sprite's NAME_dark and NAME_light arrays are its planes. Lines of "#" (the
// sizes the converter defines, include guards) and comments are skipped.
class CArrayReading
{
public:
    explicit CArrayReading(std::string& reason) : reason_(reason), planes_(reason) {}

    void readLine(std::string_view line, int number);
    bool started() const { return started_; }
    std::optional<SpritePixels> sprite(std::string& reason);

private:
    void refuse(int number, const std::string& why)
    {
        if (!failed_)
            reason_ = lineText(number) + why;
        failed_ = true;
    }
    // The line without its comments; whether one of them marks a mask row.
    std::string uncommented(std::string_view line, bool& mask);

    std::string& reason_;
    PlanesReading planes_;
    bool started_ = false;
    bool failed_ = false;
    bool inArray_ = false;
    bool inComment_ = false;
    int arrays_ = 0;
};

std::string CArrayReading::uncommented(std::string_view line, bool& mask)
{
    std::string code;
    while (!line.empty()) {
        if (inComment_) {
            const std::size_t end = line.find("*/");
            mask = mask || isMaskMark(line.substr(0, end));
            inComment_ = end == std::string_view::npos;
            line = inComment_ ? std::string_view() : line.substr(end + 2);
            continue;
        }
        const std::size_t open = line.find('/');
        if (open == std::string_view::npos || open + 1 == line.size()) {
            code += line;
            break;
        }
        code += line.substr(0, open);
        if (line[open + 1] == '/') {
            mask = mask || isMaskMark(line.substr(open + 2));
            break;
        }
        if (line[open + 1] == '*') {
            inComment_ = true;
            line.remove_prefix(open + 2);
        } else {
            code += '/';
            line.remove_prefix(open + 1);
        }
    }
    return code;
}

void CArrayReading::readLine(std::string_view line, int number)
{
    if (failed_)
        return;
    bool mask = false;
    const std::string code = uncommented(line, mask);
    std::string_view held = trimmed(code);
    if (held.empty() || (!inArray_ && held.front() == '#'))
        return;
    if (!inArray_) {
        const std::size_t bracket = held.find('[');
        const std::size_t equals = held.find('=');
        const std::size_t brace = held.find('{');
        if (bracket == std::string_view::npos || equals == std::string_view::npos ||
            brace == std::string_view::npos || !(bracket < equals && equals < brace)) {
            refuse(number, " is not a C array of bytes: " + quoted(held));
            return;
        }
        const std::string_view before = trimmed(held.substr(0, bracket));
        const std::size_t nameStart = before.find_last_of(" \t*") + 1;
        const std::string_view name =
            before.substr(nameStart == std::string_view::npos ? 0 : nameStart);
        if (arrays_ > 0 && !planes_.startsPlane(name)) {
            refuse(number, " starts a second sprite: " + quoted(name));
            return;
        }
        if (arrays_ == 0)
            planes_.current().readLine(std::string(name) + ":", number);
        ++arrays_;
        started_ = true;
        inArray_ = true;
        held = trimmed(held.substr(brace + 1));
    }
    const std::size_t close = held.find('}');
    std::string_view values = trimmed(held.substr(0, close));
    if (close != std::string_view::npos)
        inArray_ = false;
    if (!values.empty() && values.back() == ',')
        values = trimmed(values.substr(0, values.size() - 1));
    if (!values.empty() && !planes_.current().readValues(values, number, mask))
        failed_ = true;
}

std::optional<SpritePixels> CArrayReading::sprite(std::string& reason)
{
    std::optional<SpritePixels> pixels;
    if (!failed_)
        pixels = planes_.sprite();
    if (!pixels)
        reason = reason_;
    return pixels;
}

} // namespace

std::optional<SpritePixels> readSpriteCodePixels(std::string_view text, std::string& reason,
                                                 bool& readAsCode)
{
    // Only the editor's own lines hold one digit a pixel.
    if (isEditorCodeForm(text)) {
        readAsCode = true;
        const std::optional<SpriteGrid> grid = parseSpriteCode(text, reason);
        return grid ? std::optional<SpritePixels>(pixelsOfSprite(*grid)) : std::nullopt;
    }
    // The forms are read side by side; .db code that reads wins, as it did
    // before the others were known.
    std::string directivesReason;
    PlanesReading directives(directivesReason);
    bool directivesFailed = false;
    std::string cReason;
    CArrayReading cArrays(cReason);
    AxeReading axe;
    HexLinesReading hexLines;
    // CR LF, LF and CR alone each end a line.
    for (int number = 1;; ++number) {
        const std::size_t end = text.find_first_of("\r\n");
        const std::string_view line = text.substr(0, end);
        if (!directivesFailed && !directives.startsPlane(labelAlone(line)))
            directivesFailed = !directives.current().readLine(line, number);
        cArrays.readLine(line, number);
        if (const std::string_view held = content(line); !held.empty()) {
            axe.readLine(held, number);
            hexLines.readLine(held, number);
        }
        if (end == std::string_view::npos ||
            (directivesFailed && axe.failed() && hexLines.failed() && !cArrays.started()))
            break;
        text.remove_prefix(end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1));
    }
    readAsCode = directives.hasRows() || cArrays.started() || axe.started() || hexLines.started();
    if (!directivesFailed)
        if (std::optional<SpritePixels> sprite = directives.sprite())
            return sprite;
    if (!directives.hasRows()) {
        if (cArrays.started())
            return cArrays.sprite(reason);
        if (axe.started())
            return axe.sprite(reason);
        if (hexLines.started())
            return hexLines.sprite(reason);
    }
    reason = directivesReason;
    return std::nullopt;
}

std::optional<SpriteGrid> readSpriteCodeText(std::string_view text, std::string& reason,
                                             bool& readAsCode)
{
    const std::optional<SpritePixels> pixels = readSpriteCodePixels(text, reason, readAsCode);
    return pixels ? std::optional<SpriteGrid>(spriteOfPixels(*pixels)) : std::nullopt;
}

bool isDataDirective(std::string_view word)
{
    return isDirective(word);
}

bool isEquDirective(std::string_view word)
{
    return isEqu(word);
}

bool isMaskComment(std::string_view comment)
{
    return isMaskMark(comment);
}

std::optional<std::uint64_t> codeValue(std::string_view token, int* binaryDigits)
{
    const std::optional<Value> value = parseValue(token);
    if (value && binaryDigits)
        *binaryDigits = value->binaryDigits;
    return value ? std::optional<std::uint64_t>(value->number) : std::nullopt;
}

std::optional<SpriteGrid> readSpriteCodeText(std::string_view text, std::string& reason)
{
    bool readAsCode = false;
    return readSpriteCodeText(text, reason, readAsCode);
}

} // namespace quillox
