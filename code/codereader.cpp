#include "code/codereader.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace quillox
{

namespace
{

struct Value {
    unsigned long number = 0;
    // Digits of a binary value, which the editor's own form counts.
    int binaryDigits = 0;
};

using Row = std::vector<Value>;

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

bool isDirective(std::string_view word)
{
    const std::string name = lower(word);
    return name == ".db" || name == "db" || name == "defb" || name == ".byte";
}

bool parseDigits(std::string_view digits, int base, unsigned long& number)
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
        number = number * static_cast<unsigned long>(base) + static_cast<unsigned long>(digit);
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
    } else if (digits.size() > 1 && digits.front() == '$') {
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

// The values of one line, an empty row for a line without data, or the reason.
std::optional<Row> parseLine(std::string_view line, int lineNumber, std::string& reason)
{
    line = trimmed(line.substr(0, line.find(';')));
    Row row;
    if (line.empty())
        return row;
    // A label may stand before the directive, with or without a colon.
    std::size_t wordEnd = line.find_first_of(" \t");
    std::string_view word = line.substr(0, wordEnd);
    if (!isDirective(word)) {
        const bool labelOnly = wordEnd == std::string_view::npos;
        line = labelOnly ? std::string_view() : trimmed(line.substr(wordEnd));
        if (line.empty())
            return row;
        wordEnd = line.find_first_of(" \t");
        word = line.substr(0, wordEnd);
        if (!isDirective(word)) {
            reason = "line " + std::to_string(lineNumber) + " is not a .db line";
            return std::nullopt;
        }
    }
    std::string_view rest = wordEnd == std::string_view::npos ? "" : line.substr(wordEnd);
    while (true) {
        const std::size_t comma = rest.find(',');
        const std::string_view token = trimmed(rest.substr(0, comma));
        const std::optional<Value> value = parseValue(token);
        if (!value) {
            reason = "line " + std::to_string(lineNumber) + ": \"" + std::string(token) +
                     "\" is not a number";
            return std::nullopt;
        }
        row.push_back(*value);
        if (comma == std::string_view::npos)
            return row;
        rest.remove_prefix(comma + 1);
    }
}

bool isEditorForm(const std::vector<Row>& rows)
{
    const int digits = rows.front().front().binaryDigits;
    return std::all_of(rows.begin(), rows.end(), [digits](const Row& row) {
        return row.size() == 1 && row.front().binaryDigits == digits && digits > 0;
    });
}

// The pixels of each row, leftmost first.
std::optional<std::vector<std::vector<bool>>> pixelsOf(const std::vector<Row>& rows,
                                                       std::string& reason)
{
    std::vector<std::vector<bool>> pixels;
    if (isEditorForm(rows)) {
        const int width = rows.front().front().binaryDigits;
        if (width > SpriteGrid::Side) {
            reason = "its rows are " + std::to_string(width) + " pixels wide, more than 15";
            return std::nullopt;
        }
        for (const Row& row : rows) {
            std::vector<bool> line;
            for (int bit = width - 1; bit >= 0; --bit)
                line.push_back((row.front().number >> bit) & 1u);
            pixels.push_back(line);
        }
        return pixels;
    }
    const std::size_t bytes = rows.front().size();
    int width = 8;
    for (const Row& row : rows) {
        if (row.size() != bytes) {
            reason = "its rows have different lengths";
            return std::nullopt;
        }
        std::vector<bool> line;
        for (const Value& value : row) {
            if (value.number > 0xFF) {
                reason = "the value " + std::to_string(value.number) + " is not a byte";
                return std::nullopt;
            }
            for (int bit = 7; bit >= 0; --bit)
                line.push_back((value.number >> bit) & 1u);
        }
        for (int column = 0; column < static_cast<int>(line.size()); ++column)
            if (line[static_cast<std::size_t>(column)])
                width = std::max(width, column + 1);
        pixels.push_back(line);
    }
    if (width > SpriteGrid::Side) {
        reason = "a pixel is set in column " + std::to_string(width) + ", beyond column 15";
        return std::nullopt;
    }
    for (auto& line : pixels)
        line.resize(static_cast<std::size_t>(width));
    return pixels;
}

} // namespace

std::optional<SpriteGrid> readSpriteCodeText(std::string_view text, std::string& reason)
{
    std::vector<Row> rows;
    int lineNumber = 0;
    while (!text.empty() || lineNumber == 0) {
        const std::size_t end = text.find('\n');
        const std::optional<Row> row = parseLine(text.substr(0, end), ++lineNumber, reason);
        if (!row)
            return std::nullopt;
        if (!row->empty())
            rows.push_back(*row);
        if (rows.size() > static_cast<std::size_t>(SpriteGrid::Side)) {
            reason = "it has more than 15 rows";
            return std::nullopt;
        }
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    if (rows.empty()) {
        reason = "it has no .db rows";
        return std::nullopt;
    }
    const auto pixels = pixelsOf(rows, reason);
    if (!pixels)
        return std::nullopt;
    SpriteGrid grid;
    const int height = static_cast<int>(pixels->size());
    const int width = static_cast<int>(pixels->front().size());
    grid.setRowPosition(SpriteGrid::Side + 1 - height);
    grid.setColumnPosition(SpriteGrid::Side + 1 - width);
    grid.updateShownFlags();
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column)
            if ((*pixels)[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)])
                grid.setColour(grid.rowPosition() + row, grid.columnPosition() + column, Black);
    return grid;
}

} // namespace quillox
