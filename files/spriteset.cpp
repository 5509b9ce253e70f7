#include "files/spriteset.h"

#include "code/codereader.h"
#include "editor/spritegrid.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace quillox
{

namespace
{

constexpr std::string_view Arrow = "\xE2\x86\x92"; // →

bool isSpace(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (isSpace(text.front()) || text.front() == '\r'))
        text.remove_prefix(1);
    while (!text.empty() && (isSpace(text.back()) || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

bool isHex(char c)
{
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

int hexValue(char c)
{
    return std::isdigit(static_cast<unsigned char>(c))
               ? c - '0'
               : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
}

bool startsWith(std::string_view text, std::string_view start)
{
    return text.substr(0, start.size()) == start;
}

bool isNameStart(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}

bool isNameChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.';
}

// Comma-separated values in line[from, to): each token where it stands, or
// none when one is not a value (a string, an expression).
std::optional<std::vector<SetToken>> commaValues(std::string_view line, std::size_t from,
                                                 std::size_t to)
{
    std::vector<SetToken> tokens;
    std::size_t at = from;
    while (at < to) {
        std::size_t comma = line.find(',', at);
        if (comma == std::string_view::npos || comma > to)
            comma = to;
        std::size_t begin = at, end = comma;
        while (begin < end && (isSpace(line[begin]) || line[begin] == '\r'))
            ++begin;
        while (end > begin && (isSpace(line[end - 1]) || line[end - 1] == '\r'))
            --end;
        if (begin == end) {
            // Only a trailing comma may leave nothing (C allows one).
            if (comma != to || tokens.empty())
                return std::nullopt;
        } else {
            const std::optional<std::uint64_t> value = codeValue(line.substr(begin, end - begin));
            if (!value)
                return std::nullopt;
            tokens.push_back({begin, end, *value});
        }
        at = comma + 1;
    }
    if (tokens.empty())
        return std::nullopt;
    return tokens;
}

// Pairs of hex digits in line[from, to), a byte each.
std::vector<SetToken> hexPairs(std::string_view line, std::size_t from, std::size_t to)
{
    std::vector<SetToken> tokens;
    for (std::size_t at = from; at + 1 < to; at += 2)
        tokens.push_back(
            {at, at + 2,
             static_cast<std::uint64_t>(hexValue(line[at]) * 16 + hexValue(line[at + 1]))});
    return tokens;
}

bool allHex(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), isHex);
}

std::string countOf(std::size_t count, const char* noun)
{
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string lineName(std::size_t line)
{
    return "line " + std::to_string(line + 1);
}

std::size_t bytesPerRow(int width)
{
    return std::size_t(width + 7) / 8;
}

// A value written as another was: its prefix or suffix, radix, case and
// digits ("%00111100", "$3C", "0x3c", "03Ch", "60"). Hex pairs of Axe and
// TI-BASIC data are written as two digits.
std::string formatLike(std::string_view like, std::uint64_t value, bool hexPair,
                       bool upperByDefault, int binaryDigits = 0)
{
    std::string prefix, suffix;
    int base = 10;
    std::string_view digits = like;
    const std::string lower = [&] {
        std::string out(like);
        for (char& c : out)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return out;
    }();
    if (hexPair) {
        base = 16;
    } else if (startsWith(lower, "%")) {
        prefix = like.substr(0, 1);
        base = 2;
    } else if (startsWith(lower, "$") || startsWith(lower, "#")) {
        prefix = like.substr(0, 1);
        base = 16;
    } else if (startsWith(lower, "0x")) {
        prefix = like.substr(0, 2);
        base = 16;
    } else if (startsWith(lower, "0b")) {
        prefix = like.substr(0, 2);
        base = 2;
    } else if (lower.size() > 1 && lower.back() == 'h') {
        suffix = like.substr(like.size() - 1);
        base = 16;
    } else if (lower.size() > 1 && lower.back() == 'b' &&
               lower.find_first_not_of("01") == lower.size() - 1) {
        suffix = like.substr(like.size() - 1);
        base = 2;
    }
    digits = like.substr(prefix.size(), like.size() - prefix.size() - suffix.size());
    bool upper = upperByDefault;
    for (const char c : digits)
        if (std::isalpha(static_cast<unsigned char>(c)))
            upper = std::isupper(static_cast<unsigned char>(c)) != 0;
    std::string out;
    std::uint64_t rest = value;
    do {
        const int digit = static_cast<int>(rest % std::uint64_t(base));
        out.insert(out.begin(),
                   static_cast<char>(digit < 10 ? '0' + digit : (upper ? 'A' : 'a') + digit - 10));
        rest /= std::uint64_t(base);
    } while (rest > 0);
    std::size_t width = 0;
    if (base == 2)
        width = binaryDigits > 0 ? std::size_t(binaryDigits) : digits.size();
    else if (base == 16)
        width = std::max<std::size_t>(digits.size(), 2);
    else if (digits.size() > 1 && digits.front() == '0')
        width = digits.size();
    if (out.size() < width)
        out.insert(0, width - out.size(), '0');
    if (suffix.size() == 1 && base == 16 && std::isalpha(static_cast<unsigned char>(out.front())))
        out.insert(out.begin(), '0');
    return prefix + out + suffix;
}

// The rows and mask rows of one plane, values as read.
struct PlaneValues {
    std::vector<std::uint64_t> header;
    std::vector<std::vector<std::uint64_t>> rows;
    std::vector<std::vector<std::uint64_t>> masks;
};

std::vector<std::uint64_t> valuesOf(const SetDataLine& line)
{
    std::vector<std::uint64_t> values;
    for (const SetToken& token : line.tokens)
        values.push_back(token.value);
    return values;
}

// Whether the first of these lines is a size header the rest match: the
// height and the bytes per row, or the width and the height.
std::optional<HeaderKind> headerOf(const std::vector<SetDataLine>& lines)
{
    if (lines.size() < 2 || lines.front().mask || lines.front().tokens.size() != 2)
        return std::nullopt;
    const std::size_t masks = static_cast<std::size_t>(
        std::count_if(lines.begin(), lines.end(), [](const SetDataLine& l) { return l.mask; }));
    const std::uint64_t rows = lines.size() - 1 - masks;
    const std::uint64_t first = lines.front().tokens[0].value;
    const std::uint64_t second = lines.front().tokens[1].value;
    const auto rowsHold = [&](std::uint64_t count) {
        return std::all_of(lines.begin() + 1, lines.end(),
                           [count](const SetDataLine& l) { return l.tokens.size() == count; });
    };
    if (first == rows && rowsHold(second))
        return HeaderKind::HeightAndBytesPerRow;
    if (second == rows && first > 0 && rowsHold((first + 7) / 8))
        return HeaderKind::WidthAndHeight;
    return std::nullopt;
}

// Where the mask rows stand among the rows.
MaskOrder maskOrderOf(const std::vector<SetDataLine>& lines, std::size_t first)
{
    std::vector<bool> marks;
    for (std::size_t i = first; i < lines.size(); ++i)
        marks.push_back(lines[i].mask);
    if (std::none_of(marks.begin(), marks.end(), [](bool m) { return m; }))
        return MaskOrder::None;
    const std::size_t half = marks.size() / 2;
    if (std::all_of(marks.begin(), marks.begin() + std::ptrdiff_t(half), [](bool m) { return m; }))
        return MaskOrder::Before;
    if (std::all_of(marks.begin() + std::ptrdiff_t(half), marks.end(), [](bool m) { return m; }))
        return MaskOrder::After;
    return MaskOrder::Interleaved;
}

// Whether a row's values are one binary value each, a digit a pixel, of
// the same count of digits other than whole bytes: the editor's own lines.
int editorDigits(const std::vector<std::string_view>& tokens)
{
    int digits = 0;
    for (const std::string_view token : tokens) {
        int count = 0;
        if (!codeValue(token, &count) || count == 0 || (digits != 0 && count != digits))
            return 0;
        digits = count;
    }
    return digits % 8 == 0 ? 0 : digits;
}

bool bitOf(const std::vector<std::uint64_t>& row, int x)
{
    const std::size_t byte = std::size_t(x / 8);
    return byte < row.size() && ((row[byte] >> (7 - x % 8)) & 1) != 0;
}

} // namespace

std::string spriteSetRefusal(std::size_t sprites)
{
    return "it holds " + std::to_string(sprites) + " sprites";
}

std::string gridProblem(const SpritePixels& pixels)
{
    const std::string size = std::to_string(pixels.width) + " x " + std::to_string(pixels.height);
    if (pixels.width > SpriteGrid::Side)
        return size + ": wider than the grid";
    if (pixels.height > SpriteGrid::Side)
        return size + ": taller than the grid";
    return {};
}

namespace
{

// A sprite's pixels from its planes' values. `width` is the width the data
// give; a value over a byte, or rows of different counts, is a problem.
void decode(SetSprite& sprite, const std::vector<PlaneValues>& planes, int width)
{
    const PlaneValues& first = planes.front();
    const auto fail = [&](std::string problem) {
        sprite.problem = std::move(problem);
        sprite.pixels = SpritePixels();
    };
    for (const PlaneValues& plane : planes) {
        if (plane.rows.size() != first.rows.size())
            return fail("its dark plane has " + std::to_string(first.rows.size()) +
                        " rows, its light plane " + std::to_string(plane.rows.size()));
        if (!plane.masks.empty() && plane.masks.size() != plane.rows.size())
            return fail("it has " + countOf(plane.rows.size(), "row") + " and " +
                        countOf(plane.masks.size(), "mask row"));
        for (const auto* rows : {&plane.rows, &plane.masks})
            for (const auto& row : *rows) {
                if (row.size() != first.rows.front().size())
                    return fail("its rows hold different counts of values");
                if (sprite.layout != SetLayout::EditorRows &&
                    std::any_of(row.begin(), row.end(), [](std::uint64_t v) { return v > 0xFF; }))
                    return fail("a value is more than a byte");
            }
    }
    if (first.rows.empty())
        return fail("it has no rows");
    const int height = static_cast<int>(first.rows.size());
    SpritePixels pixels(width, height);
    const auto bit = [&](const std::vector<std::uint64_t>& row, int x) {
        if (sprite.layout == SetLayout::EditorRows)
            return ((row.front() >> (width - 1 - x)) & 1) != 0;
        return bitOf(row, x);
    };
    // The polarity the set pixels fit: AND unless only OR does.
    bool andFits = true, orFits = true;
    const auto level = [&](int x, int y) {
        return planes.size() == 1 ? (bit(first.rows[std::size_t(y)], x) ? 3 : 0)
                                  : 2 * bit(planes[0].rows[std::size_t(y)], x) +
                                        bit(planes[1].rows[std::size_t(y)], x);
    };
    if (!first.masks.empty())
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (level(x, y) != 0) {
                    const bool maskBit = bit(first.masks[std::size_t(y)], x);
                    andFits = andFits && !maskBit;
                    orFits = orFits && maskBit;
                }
    sprite.maskPolarity = andFits || !orFits ? MaskPolarity::And : MaskPolarity::Or;
    const bool andMask = sprite.maskPolarity == MaskPolarity::And;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::size_t at = pixels.at(x, y);
            pixels.levels[at] = static_cast<unsigned char>(level(x, y));
            pixels.transparent[at] = !first.masks.empty() && pixels.levels[at] == 0 &&
                                     bit(first.masks[std::size_t(y)], x) == andMask;
        }
    sprite.pixels = std::move(pixels);
    sprite.problem = gridProblem(sprite.pixels);
    // Columns past the grid's that hold only padding are cut for it.
    if (sprite.pixels.width > SpriteGrid::Side && sprite.pixels.height <= SpriteGrid::Side) {
        bool padding = true;
        for (int y = 0; y < height; ++y)
            for (int x = SpriteGrid::Side; x < width; ++x) {
                const std::size_t at = sprite.pixels.at(x, y);
                padding = padding && sprite.pixels.levels[at] == 0 &&
                          (sprite.pixels.transparent[at] != 0) == !first.masks.empty();
            }
        if (padding)
            sprite.problem.clear();
    }
}

// A plane's values from lines of a row each: its header, rows and masks.
PlaneValues rowValues(const std::vector<SetDataLine>& lines, bool header)
{
    PlaneValues plane;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::vector<std::uint64_t> values = valuesOf(lines[i]);
        if (i == 0 && header)
            plane.header = std::move(values);
        else
            (lines[i].mask ? plane.masks : plane.rows).push_back(std::move(values));
    }
    return plane;
}

} // namespace

SpriteSet SpriteSet::read(std::string_view text)
{
    SpriteSet set;
    text = text.substr(0, MaxSpriteSetRead);
    while (true) {
        const std::size_t end = text.find_first_of("\r\n");
        Line line;
        line.text = std::string(text.substr(0, end));
        if (end != std::string_view::npos)
            line.end = text.compare(end, 2, "\r\n") == 0 ? "\r\n" : std::string(1, text[end]);
        set.lines_.push_back(std::move(line));
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + set.lines_.back().end.size());
    }
    if (set.lines_.size() > 1 && set.lines_.back().text.empty() && set.lines_.back().end.empty())
        set.lines_.pop_back();
    set.parse();
    for (std::size_t i = 0; i < set.sprites_.size(); ++i)
        set.ids_.push_back(set.nextId_++);
    return set;
}

std::string SpriteSet::text() const
{
    std::string out;
    for (const Line& line : lines_)
        out += line.text + line.end;
    return out;
}

std::string SpriteSet::lineEnd() const
{
    for (const Line& line : lines_)
        if (!line.end.empty())
            return line.end;
    return "\n";
}

void SpriteSet::parse()
{
    // The first form that finds a sprite is the text's.
    for (const SetForm form : {SetForm::Assembler, SetForm::C, SetForm::Axe, SetForm::Basic}) {
        parseAs(form);
        if (!sprites_.empty())
            return;
    }
}

void SpriteSet::parseAs(SetForm form)
{
    sprites_.clear();
    names_.clear();
    form_ = form;
    switch (form) {
    case SetForm::Assembler:
        parseAssembler();
        break;
    case SetForm::C:
        parseC();
        break;
    case SetForm::Axe:
        parseAxe();
        break;
    case SetForm::Basic:
        parseBasic();
        break;
    }
}

void SpriteSet::parseAssembler()
{
    struct Run {
        std::string label;
        std::size_t labelLine = 0;
        bool labelAlone = false;
        std::vector<SetDataLine> data;
    };
    std::vector<Run> runs(1);
    std::map<std::string, std::size_t> sizeLines;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const std::string_view text = lines_[i].text;
        const std::size_t semicolon = text.find(';');
        const std::string_view code = text.substr(0, semicolon);
        const bool mask =
            semicolon != std::string_view::npos && isMaskComment(text.substr(semicolon + 1));
        const std::string_view held = trimmed(code);
        if (held.empty())
            continue;
        const std::size_t start = std::size_t(held.data() - text.data());
        std::string_view word = held.substr(0, held.find_first_of(" \t"));
        std::size_t statement = start;
        const std::size_t colon = word.find(':');
        // A word alone at the start of a line is a label only with its colon,
        // else a stray word; "NAME db 1" and "NAME equ 8" need none.
        const bool alone = held.size() == word.size();
        const bool labelled =
            colon != std::string_view::npos ||
            (start == 0 && !alone && !isDataDirective(word) && isNameStart(word.front()));
        if (labelled) {
            const std::string label(word.substr(0, colon));
            statement = start + (colon != std::string_view::npos ? colon + 1 : word.size());
            const std::string_view rest = trimmed(text.substr(statement, semicolon - statement));
            const std::string_view restWord = rest.substr(0, rest.find_first_of(" \t"));
            names_.push_back(label);
            if (isEquDirective(restWord) || startsWith(rest, "=")) {
                sizeLines[label] = i;
                continue;
            }
            runs.push_back({label, i, rest.empty(), {}});
            if (rest.empty())
                continue;
            statement = std::size_t(rest.data() - text.data());
            word = restWord;
        }
        if (!isDataDirective(word))
            continue;
        const std::size_t valuesFrom = statement + word.size();
        const std::size_t valuesTo = semicolon == std::string_view::npos ? text.size() : semicolon;
        if (std::optional<std::vector<SetToken>> tokens = commaValues(text, valuesFrom, valuesTo))
            runs.back().data.push_back({i, std::move(*tokens), mask});
    }

    // A run of rows as one sprite.
    const auto rowsSprite = [&](std::vector<std::vector<SetDataLine>> planes) {
        SetSprite sprite;
        std::optional<HeaderKind> header = headerOf(planes.front());
        sprite.header = header.has_value();
        sprite.headerKind = header.value_or(HeaderKind::HeightAndBytesPerRow);
        sprite.maskOrder = maskOrderOf(planes.front(), sprite.header ? 1 : 0);
        std::vector<PlaneValues> values;
        for (const auto& plane : planes)
            values.push_back(rowValues(plane, sprite.header && headerOf(plane).has_value()));
        std::vector<std::string_view> tokens;
        for (const SetDataLine& line : planes.front())
            for (const SetToken& token : line.tokens)
                tokens.push_back(std::string_view(lines_[line.line].text)
                                     .substr(token.begin, token.end - token.begin));
        const bool oneEach = std::all_of(planes.front().begin(), planes.front().end(),
                                         [](const SetDataLine& l) { return l.tokens.size() == 1; });
        const int digits =
            planes.size() == 1 && !sprite.header && sprite.maskOrder == MaskOrder::None && oneEach
                ? editorDigits(tokens)
                : 0;
        sprite.layout = digits > 0 ? SetLayout::EditorRows : SetLayout::Rows;
        int width = 8 * static_cast<int>(
                            values.front().rows.empty() ? 1 : values.front().rows.front().size());
        if (digits > 0)
            width = digits;
        else if (sprite.header && sprite.headerKind == HeaderKind::WidthAndHeight)
            width = static_cast<int>(values.front().header[0]);
        sprite.planes = std::move(planes);
        decode(sprite, values, width);
        return sprite;
    };

    for (std::size_t r = 0; r < runs.size(); ++r) {
        Run& run = runs[r];
        if (run.data.empty())
            continue;
        // NAME_dark then NAME_light: the planes of one grey sprite.
        const std::string dark = "_dark";
        if (run.label.size() > dark.size() &&
            run.label.compare(run.label.size() - dark.size(), dark.size(), dark) == 0 &&
            r + 1 < runs.size() &&
            runs[r + 1].label == run.label.substr(0, run.label.size() - dark.size()) + "_light" &&
            !runs[r + 1].data.empty()) {
            SetSprite sprite = rowsSprite({run.data, runs[r + 1].data});
            sprite.label = run.label.substr(0, run.label.size() - dark.size());
            sprite.firstLine = static_cast<int>(run.labelLine) + 1;
            for (const Run* plane : {&run, &runs[r + 1]})
                if (plane->labelAlone)
                    sprite.labelLines.push_back(plane->labelLine);
            sprites_.push_back(std::move(sprite));
            ++r;
            continue;
        }
        // Rows of one or two values make one sprite; a line of more is one.
        std::vector<SetSprite> found;
        std::vector<std::size_t> offsets; // each sprite's first byte in the run
        std::vector<SetDataLine> rows;
        std::size_t offset = 0, rowsOffset = 0;
        const auto flushRows = [&] {
            if (rows.empty())
                return;
            found.push_back(rowsSprite({rows}));
            offsets.push_back(rowsOffset);
            rows.clear();
        };
        for (const SetDataLine& line : run.data) {
            if (line.tokens.size() >= 3 && !line.mask) {
                flushRows();
                SetSprite sprite;
                sprite.layout = SetLayout::OneLine;
                sprite.planes = {{line}};
                PlaneValues values;
                for (const SetToken& token : line.tokens)
                    values.rows.push_back({token.value});
                decode(sprite, {values}, 8);
                found.push_back(std::move(sprite));
                offsets.push_back(offset);
            } else {
                if (rows.empty())
                    rowsOffset = offset;
                rows.push_back(line);
            }
            offset += line.tokens.size();
        }
        flushRows();
        for (std::size_t s = 0; s < found.size(); ++s) {
            SetSprite& sprite = found[s];
            const std::size_t firstData = sprite.planes.front().front().line;
            const bool starts = !run.label.empty() && offsets[s] == 0;
            if (run.label.empty())
                sprite.label = lineName(firstData);
            else
                sprite.label = starts ? run.label : run.label + "+" + std::to_string(offsets[s]);
            sprite.firstLine = static_cast<int>(starts ? run.labelLine : firstData) + 1;
            if (starts && run.labelAlone && found.size() == 1)
                sprite.labelLines.push_back(run.labelLine);
            sprites_.push_back(std::move(sprite));
        }
    }
    for (SetSprite& sprite : sprites_)
        for (const char* size : {"_HEIGHT", "_WIDTH"})
            if (auto at = sizeLines.find(sprite.label + size); at != sizeLines.end())
                sprite.sizeLines.push_back(at->second);
}

void SpriteSet::parseC()
{
    struct Array {
        std::string name;
        std::size_t first = 0, last = 0;
        std::vector<SetDataLine> data;
        bool bytes = true;
    };
    std::vector<Array> arrays;
    bool inComment = false, inArray = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const std::string& text = lines_[i].text;
        // The line with its comments blanked out, so that offsets stay.
        std::string code = text;
        bool mask = false;
        for (std::size_t at = 0; at < code.size(); ++at) {
            if (inComment) {
                const std::size_t end = text.find("*/", at);
                const std::size_t stop = end == std::string::npos ? text.size() : end + 2;
                mask = mask || isMaskComment(std::string_view(text).substr(
                                   at, (end == std::string::npos ? text.size() : end) - at));
                std::fill(code.begin() + std::ptrdiff_t(at), code.begin() + std::ptrdiff_t(stop),
                          ' ');
                inComment = end == std::string::npos;
                at = stop - 1;
            } else if (text.compare(at, 2, "//") == 0) {
                mask = mask || isMaskComment(std::string_view(text).substr(at + 2));
                std::fill(code.begin() + std::ptrdiff_t(at), code.end(), ' ');
                break;
            } else if (text.compare(at, 2, "/*") == 0) {
                inComment = true;
                code[at] = ' ';
                code[at + 1] = ' ';
                ++at;
            }
        }
        std::size_t from = 0;
        if (!inArray) {
            const std::size_t bracket = code.find('[');
            const std::size_t equals = code.find('=', bracket == std::string::npos ? 0 : bracket);
            const std::size_t brace = code.find('{', equals == std::string::npos ? 0 : equals);
            if (trimmed(code).substr(0, 1) == "#" || bracket == std::string::npos ||
                equals == std::string::npos || brace == std::string::npos)
                continue;
            std::string_view before = trimmed(std::string_view(code).substr(0, bracket));
            std::size_t nameStart = before.size();
            while (nameStart > 0 && isNameChar(before[nameStart - 1]))
                --nameStart;
            Array array;
            array.name = std::string(before.substr(nameStart));
            if (array.name.empty())
                array.name = lineName(i); // "= {" with no name before it
            array.first = i;
            names_.push_back(array.name);
            arrays.push_back(std::move(array));
            inArray = true;
            from = brace + 1;
        }
        Array& array = arrays.back();
        array.last = i;
        const std::size_t close = code.find('}', from);
        const std::size_t to = close == std::string::npos ? code.size() : close;
        if (close != std::string::npos)
            inArray = false;
        if (trimmed(std::string_view(code).substr(from, to - from)).empty() || !array.bytes)
            continue;
        // Values past a byte make a table of other numbers, no sprite.
        std::optional<std::vector<SetToken>> tokens = commaValues(code, from, to);
        if (!tokens || std::any_of(tokens->begin(), tokens->end(),
                                   [](const SetToken& token) { return token.value > 0xFF; }))
            array.bytes = false;
        else
            array.data.push_back({i, std::move(*tokens), mask});
    }
    if (inArray && !arrays.empty())
        arrays.back().bytes = false; // never closed

    const auto arraySprite = [&](const std::vector<const Array*>& planes) {
        SetSprite sprite;
        sprite.firstLine = static_cast<int>(planes.front()->first) + 1;
        std::vector<std::vector<SetDataLine>> lines;
        for (const Array* array : planes) {
            lines.push_back(array->data);
            for (std::size_t l = array->first; l <= array->last; ++l)
                if (std::none_of(array->data.begin(), array->data.end(),
                                 [l](const SetDataLine& d) { return d.line == l; }))
                    sprite.labelLines.push_back(l);
        }
        const bool masked = std::any_of(lines.front().begin(), lines.front().end(),
                                        [](const SetDataLine& l) { return l.mask; });
        std::vector<PlaneValues> values;
        int width = 8;
        if (masked) {
            // A row a line, as the byte writers lay masked C arrays out.
            std::optional<HeaderKind> header = headerOf(lines.front());
            sprite.header = header.has_value();
            sprite.headerKind = header.value_or(HeaderKind::HeightAndBytesPerRow);
            sprite.maskOrder = maskOrderOf(lines.front(), sprite.header ? 1 : 0);
            for (const auto& plane : lines)
                values.push_back(rowValues(plane, sprite.header));
            const std::vector<std::vector<std::uint64_t>>& rows = values.front().rows;
            if (sprite.header && sprite.headerKind == HeaderKind::WidthAndHeight)
                width = static_cast<int>(values.front().header[0]);
            else if (!rows.empty())
                width = 8 * static_cast<int>(rows.front().size());
        } else {
            sprite.layout = SetLayout::Poured;
            for (const auto& plane : lines) {
                std::vector<std::uint64_t> all;
                for (const SetDataLine& line : plane)
                    for (const SetToken& token : line.tokens)
                        all.push_back(token.value);
                // A first line "W,H" when the rest is H rows of W pixels, as
                // z88dk and the converter's C header write it.
                std::size_t perRow = 1;
                PlaneValues plainValues;
                const bool pair = plane.front().tokens.size() == 2 && all.size() > 2;
                const std::uint64_t a = pair ? all[0] : 0, b = pair ? all[1] : 0;
                if (pair && a > 0 && b > 0 && b * ((a + 7) / 8) == all.size() - 2) {
                    sprite.header = true;
                    sprite.headerKind = HeaderKind::WidthAndHeight;
                    perRow = std::size_t((a + 7) / 8);
                    width = static_cast<int>(a);
                }
                const std::size_t start = sprite.header ? 2 : 0;
                plainValues.header.assign(all.begin(), all.begin() + std::ptrdiff_t(start));
                for (std::size_t at = start; at + perRow <= all.size(); at += perRow)
                    plainValues.rows.emplace_back(all.begin() + std::ptrdiff_t(at),
                                                  all.begin() + std::ptrdiff_t(at + perRow));
                values.push_back(std::move(plainValues));
            }
        }
        sprite.planes = std::move(lines);
        decode(sprite, values, width);
        return sprite;
    };

    for (std::size_t a = 0; a < arrays.size(); ++a) {
        const Array& array = arrays[a];
        if (!array.bytes || array.data.empty())
            continue;
        const std::string dark = "_dark";
        const bool planes =
            array.name.size() > dark.size() &&
            array.name.compare(array.name.size() - dark.size(), dark.size(), dark) == 0 &&
            a + 1 < arrays.size() && arrays[a + 1].bytes && !arrays[a + 1].data.empty() &&
            arrays[a + 1].name == array.name.substr(0, array.name.size() - dark.size()) + "_light";
        SetSprite sprite = planes ? arraySprite({&array, &arrays[a + 1]}) : arraySprite({&array});
        sprite.label = planes ? array.name.substr(0, array.name.size() - dark.size()) : array.name;
        sprites_.push_back(std::move(sprite));
        a += planes ? 1 : 0;
    }
}

namespace
{

// The name a store gives after an Axe or TI-BASIC value ("→Pic1", "->Pic1").
std::string storeName(std::string_view rest)
{
    rest = trimmed(rest);
    if (startsWith(rest, Arrow))
        rest.remove_prefix(Arrow.size());
    else if (startsWith(rest, "->"))
        rest.remove_prefix(2);
    else
        return {};
    rest = trimmed(rest);
    std::size_t end = 0;
    while (end < rest.size() && std::isalnum(static_cast<unsigned char>(rest[end])))
        ++end;
    return std::string(rest.substr(0, end));
}

} // namespace

void SpriteSet::noteStores()
{
    // Every name stored to, so that a new sprite takes none of them.
    for (const Line& line : lines_)
        for (std::size_t at = 0; at < line.text.size(); ++at) {
            const std::string_view rest = std::string_view(line.text).substr(at);
            if (startsWith(rest, Arrow) || startsWith(rest, "->"))
                if (std::string name = storeName(rest); !name.empty())
                    names_.push_back(std::move(name));
        }
}

void SpriteSet::parseAxe()
{
    noteStores();
    std::optional<std::size_t> ptMaskLine;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const std::string_view text = lines_[i].text;
        std::string_view held = trimmed(text);
        if (!held.empty() && held.front() == ':')
            held = trimmed(held.substr(1));
        if (held.empty())
            continue;
        std::string upper(held.substr(0, 8));
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (upper == ".PT-MASK") {
            ptMaskLine = i;
            continue;
        }
        const std::size_t close = held.find(']');
        const std::optional<std::size_t> ptMask = ptMaskLine;
        ptMaskLine.reset();
        if (held.front() != '[' || close == std::string_view::npos)
            continue;
        const std::string_view digits = held.substr(1, close - 1);
        if (!allHex(digits) || digits.size() % 2 != 0)
            continue;
        const std::size_t from = std::size_t(digits.data() - text.data());
        SetSprite sprite;
        sprite.label = storeName(held.substr(close + 1));
        if (!sprite.label.empty())
            names_.push_back(sprite.label);
        if (sprite.label.empty())
            sprite.label = lineName(i);
        sprite.planes = {{{i, hexPairs(text, from, from + digits.size()), false}}};
        const std::vector<SetToken>& tokens = sprite.planes.front().front().tokens;
        if (ptMask && tokens.size() == 16) {
            sprite.layout = SetLayout::PtMask;
            sprite.labelLines.push_back(*ptMask);
            sprite.firstLine = static_cast<int>(*ptMask) + 1;
            SpritePixels pixels(8, 8);
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x) {
                    const bool first = (tokens[std::size_t(y)].value >> (7 - x)) & 1;
                    const bool second = (tokens[std::size_t(y + 8)].value >> (7 - x)) & 1;
                    const std::size_t at = pixels.at(x, y);
                    pixels.levels[at] = static_cast<unsigned char>(first ? (second ? 3 : 2) : 0);
                    pixels.transparent[at] = !first && !second;
                }
            sprite.pixels = std::move(pixels);
        } else {
            sprite.layout = SetLayout::OneLine;
            sprite.firstLine = static_cast<int>(i) + 1;
            PlaneValues values;
            for (const SetToken& token : tokens)
                values.rows.push_back({token.value});
            decode(sprite, {values}, 8);
        }
        sprites_.push_back(std::move(sprite));
    }
}

void SpriteSet::parseBasic()
{
    noteStores();
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const std::string_view text = lines_[i].text;
        std::size_t at = 0;
        while ((at = text.find('"', at)) != std::string_view::npos) {
            const std::size_t from = at + 1;
            std::size_t to = from;
            while (to < text.size() && text[to] != '"' && !startsWith(text.substr(to), Arrow) &&
                   !startsWith(text.substr(to), "->"))
                ++to;
            const std::string_view digits = text.substr(from, to - from);
            const std::size_t after = to < text.size() && text[to] == '"' ? to + 1 : to;
            at = after;
            if (!allHex(digits) || digits.size() % 2 != 0)
                continue;
            SetSprite sprite;
            sprite.label = storeName(text.substr(after));
            if (!sprite.label.empty())
                names_.push_back(sprite.label);
            if (sprite.label.empty())
                sprite.label = lineName(i);
            sprite.layout = SetLayout::OneLine;
            sprite.firstLine = static_cast<int>(i) + 1;
            sprite.planes = {{{i, hexPairs(text, from, to), false}}};
            PlaneValues values;
            for (const SetToken& token : sprite.planes.front().front().tokens)
                values.rows.push_back({token.value});
            decode(sprite, {values}, 8);
            sprites_.push_back(std::move(sprite));
        }
    }
}

std::optional<SpritePixels> SpriteSet::gridPixels(std::size_t index) const
{
    const SetSprite& sprite = sprites_.at(index);
    if (sprite.pixels.width == 0)
        return std::nullopt;
    if (!sprite.problem.empty())
        return std::nullopt;
    if (sprite.pixels.width <= SpriteGrid::Side)
        return sprite.pixels;
    SpritePixels cut(SpriteGrid::Side, sprite.pixels.height);
    for (int y = 0; y < cut.height; ++y)
        for (int x = 0; x < cut.width; ++x) {
            cut.levels[cut.at(x, y)] = sprite.pixels.levels[sprite.pixels.at(x, y)];
            cut.transparent[cut.at(x, y)] = sprite.pixels.transparent[sprite.pixels.at(x, y)];
        }
    return cut;
}

namespace
{

// The pixels as the sprite's form lays them out: widened to whole bytes
// (or to the width it had, when only its padding was cut for the grid),
// the new columns clear, or transparent under a mask.
SpritePixels widened(const SpritePixels& pixels, int width, bool transparent)
{
    if (width <= pixels.width)
        return pixels;
    SpritePixels out(width, pixels.height);
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::size_t at = out.at(x, y);
            if (x < pixels.width) {
                out.levels[at] = pixels.levels[pixels.at(x, y)];
                out.transparent[at] = pixels.transparent[pixels.at(x, y)];
            } else {
                out.transparent[at] = transparent ? 1 : 0;
            }
        }
    return out;
}

bool samePixels(const SpritePixels& a, const SpritePixels& b)
{
    return a.width == b.width && a.height == b.height && a.levels == b.levels &&
           a.transparent == b.transparent;
}

} // namespace

bool SpriteSet::setPixels(std::size_t index, const SpritePixels& pixels, std::string& reason)
{
    const std::vector<Line> before = lines_;
    const std::vector<SetSprite> sprites = sprites_;
    const std::vector<std::string> names = names_;
    if (!rewritePlanes(index, pixels, reason))
        return false;
    const SetSprite& old = sprites[index];
    parseAs(form_);
    // What was written must read as the same sprite, or nothing is written.
    const bool masked = old.maskOrder != MaskOrder::None || old.layout == SetLayout::PtMask;
    const bool exactWidth = old.layout == SetLayout::EditorRows ||
                            (old.header && old.headerKind == HeaderKind::WidthAndHeight);
    int width = exactWidth ? pixels.width : 8 * static_cast<int>(bytesPerRow(pixels.width));
    if (pixels.width == SpriteGrid::Side && old.pixels.width > width &&
        bytesPerRow(old.pixels.width) == bytesPerRow(pixels.width))
        width = old.pixels.width;
    if (sprites_.size() != sprites.size() ||
        !samePixels(sprites_[index].pixels, widened(pixels, width, masked))) {
        lines_ = before;
        sprites_ = sprites;
        names_ = names;
        reason = "it would not read back as drawn in its form";
        return false;
    }
    return true;
}

void SpriteSet::replaceValues(std::size_t line, const std::vector<SetToken>& tokens,
                              const std::vector<std::uint64_t>& values, int binaryDigits)
{
    const std::string& text = lines_[line].text;
    const bool hexPair = form_ == SetForm::Axe || form_ == SetForm::Basic;
    bool upper = true;
    for (const SetToken& token : tokens)
        for (std::size_t at = token.begin; at < token.end; ++at)
            if (std::isalpha(static_cast<unsigned char>(text[at])) && isHex(text[at]) &&
                (hexPair || at > token.begin))
                upper = std::isupper(static_cast<unsigned char>(text[at])) != 0;
    const std::string separator = tokens.size() >= 2
                                      ? text.substr(tokens[0].end, tokens[1].begin - tokens[0].end)
                                      : (hexPair ? "" : ", ");
    std::string out = text.substr(0, tokens.front().begin);
    for (std::size_t i = 0; i < values.size(); ++i) {
        const SetToken& like = tokens[std::min(i, tokens.size() - 1)];
        const std::string_view likeText =
            std::string_view(text).substr(like.begin, like.end - like.begin);
        if (i > 0)
            out += i < tokens.size()
                       ? text.substr(tokens[i - 1].end, tokens[i].begin - tokens[i - 1].end)
                       : separator;
        out += i < tokens.size() && tokens[i].value == values[i]
                   ? std::string(likeText)
                   : formatLike(likeText, values[i], hexPair, upper, binaryDigits);
    }
    out += text.substr(tokens.back().end);
    lines_[line].text = std::move(out);
}

// The values of a line this set wrote: comma lists, or hex pairs.
std::optional<std::vector<SetToken>> SpriteSet::commaOrPairs(std::string_view text) const
{
    if (form_ == SetForm::Axe || form_ == SetForm::Basic) {
        const std::size_t from = text.find_first_of("[\"") + 1;
        std::size_t to = from;
        while (to < text.size() && isHex(text[to]))
            ++to;
        return hexPairs(text, from, to);
    }
    std::size_t from = 0;
    if (form_ == SetForm::Assembler) {
        const std::string_view held = trimmed(text);
        from = std::size_t(held.data() - text.data()) + held.find_first_of(" \t");
    }
    std::size_t to = text.find(form_ == SetForm::C ? '/' : ';');
    if (to == std::string_view::npos)
        to = text.size();
    while (to > from && (isSpace(text[to - 1]) || text[to - 1] == ','))
        --to;
    return commaValues(text, from, to);
}

// A new data line built on one of the plane's rows (or mask rows): its
// indentation and directive, its values' forms, no comment.
SpriteSet::Line SpriteSet::newLineLike(const std::vector<SetDataLine>& plane, bool mask) const
{
    const SetDataLine* like = &plane.back();
    for (const SetDataLine& line : plane)
        if (line.mask == mask && &line != &plane.front())
            like = &line;
    const std::string& text = lines_[like->line].text;
    std::string prefix = text.substr(0, like->tokens.front().begin);
    const std::size_t code = prefix.find_first_not_of(" \t");
    if (form_ == SetForm::C) {
        prefix = prefix.substr(0, code);
        if (prefix.empty())
            prefix = "    ";
    } else if (code != std::string::npos) {
        // A label before the directive stays where it is.
        const std::string_view rest = std::string_view(prefix).substr(code);
        const std::string_view word = rest.substr(0, rest.find_first_of(" \t"));
        if (!isDataDirective(word)) {
            const std::size_t colon = rest.find(':');
            const std::string_view directive =
                trimmed(rest.substr(colon != std::string_view::npos ? colon + 1 : word.size()));
            prefix = "\t" + std::string(directive) + " ";
        }
    }
    std::string line = prefix + text.substr(like->tokens.front().begin,
                                            like->tokens.back().end - like->tokens.front().begin);
    if (form_ == SetForm::C)
        line += ",";
    return Line{line, lineEnd()};
}

// Marks a data line as a mask row, or takes its mark away.
void SpriteSet::markMask(std::size_t index, bool mask)
{
    std::string& text = lines_[index].text;
    const auto cut = [&](std::size_t from, std::size_t to) {
        while (from > 0 && isSpace(text[from - 1]))
            --from;
        text.erase(from, to - from);
    };
    if (form_ == SetForm::C) {
        const std::size_t open = text.find("/*");
        const std::size_t close = text.find("*/", open == std::string::npos ? 0 : open);
        const std::size_t line = text.find("//");
        if (!mask && open != std::string::npos && close != std::string::npos &&
            isMaskComment(std::string_view(text).substr(open + 2, close - open - 2)))
            cut(open, close + 2);
        else if (!mask && line != std::string::npos &&
                 isMaskComment(std::string_view(text).substr(line + 2)))
            cut(line, text.size());
        else if (mask)
            text += " /* mask */";
        return;
    }
    const std::size_t semicolon = text.find(';');
    if (!mask && semicolon != std::string::npos)
        cut(semicolon, text.size());
    else if (mask)
        text = (semicolon == std::string::npos ? text : text.substr(0, semicolon)) + " ; mask";
}

bool SpriteSet::rewritePlanes(std::size_t index, const SpritePixels& pixels, std::string& reason)
{
    const SetSprite& sprite = sprites_.at(index);
    const bool eightWide = sprite.layout == SetLayout::OneLine ||
                           sprite.layout == SetLayout::PtMask ||
                           (sprite.layout == SetLayout::Poured && !sprite.header);
    if (eightWide && pixels.width > 8) {
        static const char* const places[] = {
            "a line of one byte a row", "a C array of 8-pixel rows", "an Axe line of 8-pixel rows",
            "a hex string of 8-pixel rows"};
        reason = "a width of " + std::to_string(pixels.width) + " does not fit " +
                 places[form_ == SetForm::Assembler ? 0 : static_cast<int>(form_)];
        return false;
    }
    if (sprite.layout == SetLayout::PtMask) {
        if (pixels.height != 8 || pixels.width != 8) {
            reason = "Pt-Mask( data is 8 x 8, not " + std::to_string(pixels.width) + " x " +
                     std::to_string(pixels.height);
            return false;
        }
        if (std::find(pixels.levels.begin(), pixels.levels.end(), 1) != pixels.levels.end()) {
            reason = "Pt-Mask( data holds one grey, and the sprite has light grey";
            return false;
        }
    } else {
        if (sprite.planes.size() == 1 && hasGrey(pixels)) {
            reason = "it has grey, and its form holds black and white only (grey needs a "
                     "dark and a light plane)";
            return false;
        }
        if (sprite.maskOrder == MaskOrder::None && hasTransparency(pixels)) {
            reason = "it has transparent pixels, and its form has no mask";
            return false;
        }
    }
    const bool masked = sprite.maskOrder != MaskOrder::None;
    int width = pixels.width;
    if (eightWide)
        width = 8;
    if (pixels.width == SpriteGrid::Side && sprite.pixels.width > SpriteGrid::Side &&
        bytesPerRow(sprite.pixels.width) == bytesPerRow(pixels.width))
        width = sprite.pixels.width;
    const SpritePixels whole = widened(pixels, width, masked);

    // The new values of each plane, line by line.
    std::vector<std::vector<std::vector<std::uint64_t>>> planes;
    std::vector<std::vector<bool>> maskLines;
    if (sprite.layout == SetLayout::PtMask) {
        std::vector<std::uint64_t> bytes(16);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                const std::size_t at = whole.at(x, y);
                const int level = whole.levels[at];
                const bool opaque = !whole.transparent[at];
                if (opaque && level != 0)
                    bytes[std::size_t(y)] |= 0x80u >> x;
                if (opaque && (level == 0 || level == 3))
                    bytes[std::size_t(y + 8)] |= 0x80u >> x;
            }
        planes = {{bytes}};
        maskLines = {{false}};
    } else if (sprite.layout == SetLayout::EditorRows) {
        std::vector<std::vector<std::uint64_t>> rows;
        for (int y = 0; y < whole.height; ++y) {
            std::uint64_t row = 0;
            for (int x = 0; x < whole.width; ++x)
                row = row << 1 | (whole.levels[whole.at(x, y)] != 0 ? 1 : 0);
            rows.push_back({row});
        }
        maskLines = {std::vector<bool>(rows.size())};
        planes = {std::move(rows)};
    } else {
        ByteStyle style;
        style.header = sprite.header;
        style.headerKind = sprite.headerKind;
        style.maskOrder = sprite.maskOrder;
        style.maskPolarity = sprite.maskPolarity;
        style.shades = sprite.planes.size() == 2 ? 4 : 2;
        if (sprite.header && !headerProblem(whole, style).empty()) {
            reason = headerProblem(whole, style);
            return false;
        }
        for (const BytePlane& plane : bytePlanesOf(whole, style)) {
            std::vector<std::vector<std::uint64_t>> lines;
            for (const auto& line : plane.lines)
                lines.emplace_back(line.begin(), line.end());
            planes.push_back(std::move(lines));
            maskLines.push_back(plane.maskLines);
        }
    }

    // Sizes named in equ lines follow.
    for (const std::size_t line : sprite.sizeLines) {
        const std::string& text = lines_[line].text;
        const std::size_t semicolon = text.find(';');
        const std::string_view code = std::string_view(text).substr(0, semicolon);
        std::size_t end = code.size();
        while (end > 0 && isSpace(code[end - 1]))
            --end;
        std::size_t begin = end;
        while (begin > 0 && !isSpace(code[begin - 1]) && code[begin - 1] != '=')
            --begin;
        const std::optional<std::uint64_t> old = codeValue(code.substr(begin, end - begin));
        if (!old)
            continue;
        // The width in bytes a row, as the converter writes it, or in pixels.
        const bool height = text.find("_HEIGHT") != std::string::npos;
        std::uint64_t value = std::uint64_t(whole.height);
        if (!height && *old == bytesPerRow(sprite.pixels.width))
            value = bytesPerRow(whole.width);
        else if (!height && *old == std::uint64_t(sprite.pixels.width))
            value = std::uint64_t(whole.width);
        else if (!height)
            continue;
        replaceValues(line, {{begin, end, *old}}, {value});
    }

    // Planes from the last, so that the lines of earlier ones keep their places.
    for (std::size_t p = planes.size(); p-- > 0;) {
        const std::vector<SetDataLine>& old = sprite.planes[p];
        std::vector<std::vector<std::uint64_t>> chunks = planes[p];
        std::vector<bool> chunkMasks = maskLines[p];
        const auto flatten = [&] {
            std::vector<std::uint64_t> all;
            for (const auto& chunk : chunks)
                all.insert(all.end(), chunk.begin(), chunk.end());
            return all;
        };
        if (sprite.layout == SetLayout::OneLine || sprite.layout == SetLayout::PtMask) {
            chunks = {flatten()};
            chunkMasks = {false};
        } else if (sprite.layout == SetLayout::Poured) {
            // Poured into lines as they held values: the same counts when the
            // size stays, else the count of a row line.
            const std::vector<std::uint64_t> all = flatten();
            std::size_t oldCount = 0;
            for (const SetDataLine& line : old)
                oldCount += line.tokens.size();
            chunks.clear();
            std::size_t at = 0;
            for (std::size_t l = 0; at < all.size(); ++l) {
                std::size_t count = old.size() == 1 ? all.size()
                                    : oldCount == all.size()
                                        ? old[l].tokens.size()
                                        : (l == 0 ? old[0].tokens.size() : old[1].tokens.size());
                count = std::min(count, all.size() - at);
                chunks.emplace_back(all.begin() + std::ptrdiff_t(at),
                                    all.begin() + std::ptrdiff_t(at + count));
                at += count;
            }
            chunkMasks.assign(chunks.size(), false);
        } else if (sprite.maskOrder != MaskOrder::None) {
            // As many rows and mask rows as before: each goes to a line of
            // its kind, in whatever order the author put them.
            std::vector<std::size_t> oldOf[2], newOf[2];
            for (std::size_t j = 0; j < old.size(); ++j)
                oldOf[old[j].mask ? 1 : 0].push_back(j);
            for (std::size_t i = 0; i < chunks.size(); ++i)
                newOf[chunkMasks[i] ? 1 : 0].push_back(i);
            if (oldOf[0].size() == newOf[0].size() && oldOf[1].size() == newOf[1].size()) {
                std::vector<std::vector<std::uint64_t>> ordered(chunks.size());
                std::vector<bool> orderedMasks(chunks.size());
                for (const int kind : {0, 1})
                    for (std::size_t q = 0; q < oldOf[kind].size(); ++q) {
                        ordered[oldOf[kind][q]] = chunks[newOf[kind][q]];
                        orderedMasks[oldOf[kind][q]] = kind == 1;
                    }
                chunks = std::move(ordered);
                chunkMasks = std::move(orderedMasks);
            }
        }
        const std::size_t k = old.size(), n = chunks.size();
        // The editor's lines hold a digit a pixel.
        const int digits = sprite.layout == SetLayout::EditorRows ? whole.width : 0;
        const std::vector<Line> templates = {newLineLike(old, false), newLineLike(old, true)};
        // Chunk i's values on the plane's line j, as a row or a mask row.
        const auto place = [&](std::size_t j, std::size_t i) {
            replaceValues(old[j].line, old[j].tokens, chunks[i], digits);
            if (old[j].mask != chunkMasks[i])
                markMask(old[j].line, chunkMasks[i]);
        };
        const auto insert = [&](std::size_t at, std::size_t i) {
            const Line& like = templates[chunkMasks[i] ? 1 : 0];
            lines_.insert(lines_.begin() + std::ptrdiff_t(at), like);
            // Every value differs from the template's, so each is written anew.
            std::optional<std::vector<SetToken>> tokens = commaOrPairs(like.text);
            for (SetToken& token : *tokens)
                token.value = ~std::uint64_t(0);
            replaceValues(at, *tokens, chunks[i], digits);
            if (chunkMasks[i])
                markMask(at, true);
        };
        if (form_ == SetForm::C && k > 1 && n == 1) {
            // One line left: the first, which holds the array's start; the
            // last keeps the array's end without its values.
            const SetDataLine& last = old[k - 1];
            std::string& text = lines_[last.line].text;
            std::size_t end = last.tokens.back().end;
            if (end < text.size() && text[end] == ',')
                ++end;
            text.erase(last.tokens.front().begin, end - last.tokens.front().begin);
            for (std::size_t i = k - 1; i-- > 1;)
                lines_.erase(lines_.begin() + std::ptrdiff_t(old[i].line));
            place(0, 0);
            if (trimmed(lines_[last.line - (k - 2)].text).empty())
                lines_.erase(lines_.begin() + std::ptrdiff_t(last.line - (k - 2)));
        } else if (form_ == SetForm::C && k > 1) {
            // The last line keeps the array's end: lines come and go before it.
            place(k - 1, n - 1);
            for (std::size_t i = 0; i + 1 < std::min(n, k); ++i)
                place(i, i);
            for (std::size_t i = k - 1; i + 1 < n; ++i)
                insert(old[k - 1].line + (i - (k - 1)), i);
            for (std::size_t i = k - 1; i-- > (n > 0 ? n - 1 : 0);)
                lines_.erase(lines_.begin() + std::ptrdiff_t(old[i].line));
        } else {
            for (std::size_t i = 0; i < std::min(n, k); ++i)
                place(i, i);
            for (std::size_t i = k; i < n; ++i)
                insert(old[k - 1].line + 1 + (i - k), i);
            for (std::size_t i = k; i-- > n;)
                lines_.erase(lines_.begin() + std::ptrdiff_t(old[i].line));
        }
    }
    return true;
}

bool SpriteSet::canUseLabel(const std::string& label, std::string& reason) const
{
    bool valid = !label.empty();
    switch (form_) {
    case SetForm::Assembler:
    case SetForm::C:
        valid = valid && isNameStart(label.front()) &&
                std::all_of(label.begin(), label.end(), [&](char c) {
                    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' ||
                           (form_ == SetForm::Assembler && c == '.');
                });
        break;
    case SetForm::Axe:
    case SetForm::Basic: {
        const std::string kinds = form_ == SetForm::Axe ? "Pic, GDB or Str" : "Str";
        const bool known =
            startsWith(label, "Str") ||
            (form_ == SetForm::Axe && (startsWith(label, "Pic") || startsWith(label, "GDB")));
        const std::string_view rest = std::string_view(label).substr(known ? 3 : 0);
        valid = known && !rest.empty() && rest.size() <= (form_ == SetForm::Axe ? 2 : 1) &&
                std::all_of(rest.begin(), rest.end(), [&](char c) {
                    return form_ == SetForm::Axe ? std::isalnum(static_cast<unsigned char>(c)) != 0
                                                 : std::isdigit(static_cast<unsigned char>(c)) != 0;
                });
        if (!valid) {
            reason = "\"" + label + "\" is not a name to store to here: " + kinds +
                     (form_ == SetForm::Axe ? " and one or two letters or digits" : " and a digit");
            return false;
        }
        break;
    }
    }
    if (!valid) {
        reason = "\"" + label + "\" is not a " + (form_ == SetForm::C ? "C name" : "label") +
                 ": it takes letters, digits and _, and starts with a letter or _";
        return false;
    }
    const auto taken = [&](const std::string& name) {
        return std::find(names_.begin(), names_.end(), name) != names_.end() ||
               std::any_of(sprites_.begin(), sprites_.end(),
                           [&](const SetSprite& s) { return s.label == name; });
    };
    if (taken(label) || taken(label + "_dark") || taken(label + "_light")) {
        reason = "\"" + label + "\" is already in the file";
        return false;
    }
    return true;
}

// The lines a sprite owns, in order: its label and size lines and its data.
std::vector<std::size_t> SpriteSet::ownLines(const SetSprite& sprite)
{
    std::vector<std::size_t> own = sprite.labelLines;
    own.insert(own.end(), sprite.sizeLines.begin(), sprite.sizeLines.end());
    for (const auto& plane : sprite.planes)
        for (const SetDataLine& line : plane)
            own.push_back(line.line);
    std::sort(own.begin(), own.end());
    own.erase(std::unique(own.begin(), own.end()), own.end());
    return own;
}

bool SpriteSet::insertCopy(std::size_t index, const std::string& label,
                           const std::optional<SpritePixels>& pixels, std::string& reason)
{
    if (!canUseLabel(label, reason))
        return false;
    const SetSprite& sprite = sprites_.at(index);
    std::vector<std::size_t> own = ownLines(sprite);
    if (form_ == SetForm::C) {
        // The whole declaration, from its first line to its last.
        const std::size_t first = own.front(), last = own.back();
        own.clear();
        for (std::size_t l = first; l <= last; ++l)
            own.push_back(l);
    }
    const std::string base = sprite.label.substr(0, sprite.label.find('+'));
    // After the sprite, or after the rest of its run when it shares a label.
    std::size_t after = own.back();
    if (form_ == SetForm::Assembler)
        for (std::size_t s = index + 1;
             s < sprites_.size() && sprites_[s].label.rfind(base + "+", 0) == 0; ++s)
            after = std::max(after, sprites_[s].planes.back().back().line);
    const bool ownLabel =
        sprite.label.find('+') == std::string::npos && sprite.label.rfind("line ", 0) != 0;
    std::vector<Line> copy;
    for (const std::size_t l : own) {
        Line line{lines_[l].text, lineEnd()};
        if (ownLabel && !base.empty()) {
            // The sprite's name where it stands as a word: its labels, its
            // size names, its array names, its store.
            std::size_t at = 0;
            while ((at = line.text.find(base, at)) != std::string::npos) {
                const bool startOk = at == 0 || !isNameChar(line.text[at - 1]);
                const std::size_t after = at + base.size();
                const bool endOk = after == line.text.size() || !isNameChar(line.text[after]) ||
                                   line.text.compare(after, 5, "_dark") == 0 ||
                                   line.text.compare(after, 6, "_light") == 0 ||
                                   line.text.compare(after, 7, "_HEIGHT") == 0 ||
                                   line.text.compare(after, 6, "_WIDTH") == 0;
                if (startOk && endOk) {
                    line.text.replace(at, base.size(), label);
                    at += label.size();
                } else {
                    at = after;
                }
            }
        }
        copy.push_back(std::move(line));
    }
    if (!ownLabel) {
        switch (form_) {
        case SetForm::Assembler: {
            // Without a label of its own, the copy's data lines get one.
            copy.insert(copy.begin(), Line{label + ":", lineEnd()});
            break;
        }
        case SetForm::Axe:
        case SetForm::Basic:
            copy.back().text += std::string(Arrow) + label;
            break;
        case SetForm::C:
            break;
        }
    }
    const std::vector<Line> before = lines_;
    // A file that ended without a line end still does.
    if (after + 1 == lines_.size() && lines_[after].end.empty()) {
        lines_[after].end = lineEnd();
        copy.back().end.clear();
    }
    const std::vector<int> ids = ids_;
    lines_.insert(lines_.begin() + std::ptrdiff_t(after + 1), copy.begin(), copy.end());
    const std::size_t count = sprites_.size();
    parseAs(form_);
    std::size_t added = sprites_.size();
    for (std::size_t s = 0; s < sprites_.size(); ++s)
        if (sprites_[s].label == label) {
            added = s;
            break;
        }
    const auto undo = [&](std::string why) {
        lines_ = before;
        parseAs(form_);
        reason = std::move(why);
        return false;
    };
    if (sprites_.size() != count + 1 || added == sprites_.size())
        return undo("the copy would not read as one sprite in this file");
    ids_.insert(ids_.begin() + std::ptrdiff_t(added), nextId_++);
    if (pixels && !setPixels(added, *pixels, reason)) {
        ids_ = ids;
        --nextId_;
        return undo(reason);
    }
    return true;
}

bool SpriteSet::remove(std::size_t index, std::string& reason)
{
    const SetSprite& sprite = sprites_.at(index);
    std::vector<std::size_t> own = ownLines(sprite);
    const std::vector<Line> before = lines_;
    const std::vector<SetSprite> sprites = sprites_;
    const std::vector<std::string> names = names_;
    // A file that ended without a line end still does.
    const std::string lastEnd = lines_.back().end;
    for (std::size_t i = own.size(); i-- > 0;)
        lines_.erase(lines_.begin() + std::ptrdiff_t(own[i]));
    if (!lines_.empty() && own.back() >= lines_.size())
        lines_.back().end = lastEnd;
    parseAs(form_);
    // Its lines may hold another sprite, or join two others into one.
    if (sprites_.size() + 1 != sprites.size()) {
        lines_ = before;
        sprites_ = sprites;
        names_ = names;
        reason = "its lines hold or join other sprites";
        return false;
    }
    ids_.erase(ids_.begin() + std::ptrdiff_t(index));
    return true;
}

} // namespace quillox
