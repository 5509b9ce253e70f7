#include "files/inputkind.h"

#include "files/spriteset.h"

#include "code/codereader.h"
#include "code/spritecode.h"
#include "files/calculatorfile.h"
#include "files/spritefile.h"

#include <algorithm>
#include <cctype>

namespace quillox
{

namespace
{

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Two size fields of two digits, then digits 0 and 1, then CR LF, LF or
// nothing: a line of hex digits that starts with a digit is no sprite file.
bool hasSpriteFileForm(std::string_view bytes)
{
    if (bytes.size() < 4 || !std::all_of(bytes.begin(), bytes.begin() + 4, isDigit))
        return false;
    std::string_view cells = bytes.substr(4);
    if (cells.size() >= 2 && cells.substr(cells.size() - 2) == "\r\n")
        cells.remove_suffix(2);
    else if (!cells.empty() && cells.back() == '\n')
        cells.remove_suffix(1);
    return cells.find_first_not_of("01") == std::string_view::npos;
}

} // namespace

bool hasSpriteFileName(std::string_view name)
{
    constexpr std::string_view extension = ".spr";
    return name.size() >= extension.size() &&
           std::equal(extension.rbegin(), extension.rend(), name.rbegin(), [](char a, char b) {
               return a == std::tolower(static_cast<unsigned char>(b));
           });
}

InputKind kindOfInput(std::string_view name, std::string_view bytes)
{
    if (isCalculatorFile(bytes))
        return InputKind::CalculatorFile;
    if (hasSpriteFileName(name) || hasSpriteFileForm(bytes))
        return InputKind::SpriteFile;
    // Two sprites or more in a text are a set, whatever the text starts with,
    // unless the text reads as one sprite as code always did.
    if (bytes.size() <= MaxSpriteSetRead && bytes.find('\0') == std::string_view::npos &&
        SpriteSet::read(bytes).size() >= 2) {
        std::string reason;
        bool readAsCode = false;
        if (bytes.size() > MaxSpriteFileRead || !readSpriteCodePixels(bytes, reason, readAsCode))
            return InputKind::SpriteSet;
    }
    // Code is told from a sprite file's size of it, so that a larger text
    // that starts as code is refused as code, for its size.
    const std::string_view text = bytes.substr(0, MaxSpriteFileRead);
    if (isEditorCodeForm(text))
        return InputKind::EditorCode;
    std::string reason;
    bool readAsCode = false;
    // Code refused at a line after its first rows is code, so that the line is named.
    return readSpriteCodeText(text, reason, readAsCode) || readAsCode ? InputKind::Code
                                                                      : InputKind::Picture;
}

} // namespace quillox
