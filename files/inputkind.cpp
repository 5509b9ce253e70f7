#include "files/inputkind.h"

#include "code/codereader.h"
#include "files/spritefile.h"

#include <algorithm>
#include <cctype>

namespace quillox
{

namespace
{

constexpr std::string_view CalculatorSignature = "**TI83F*";

bool hasSpriteFileName(std::string_view name)
{
    constexpr std::string_view extension = ".spr";
    return name.size() >= extension.size() &&
           std::equal(extension.rbegin(), extension.rend(), name.rbegin(), [](char a, char b) {
               return a == std::tolower(static_cast<unsigned char>(b));
           });
}

// Sprite files hold digits; a line of hex digits such as "3C42A5" may also
// start with one.
bool hasLetterInFirstLine(std::string_view bytes)
{
    const std::string_view line = bytes.substr(0, bytes.find_first_of("\r\n"));
    return std::any_of(line.begin(), line.end(),
                       [](char c) { return std::isalpha(static_cast<unsigned char>(c)); });
}

} // namespace

InputKind kindOfInput(std::string_view name, std::string_view bytes)
{
    if (bytes.substr(0, CalculatorSignature.size()) == CalculatorSignature)
        return InputKind::CalculatorFile;
    std::string reason;
    bool readAsCode = false;
    // Code is text of a sprite file's size at most; a larger input is a picture.
    const auto isCode = [&] {
        return bytes.size() <= MaxSpriteFileRead &&
               readSpriteCodeText(bytes, reason, readAsCode).has_value();
    };
    if (hasSpriteFileName(name))
        return InputKind::SpriteFile;
    if (!bytes.empty() && std::isdigit(static_cast<unsigned char>(bytes.front())))
        return hasLetterInFirstLine(bytes) && isCode() ? InputKind::Code : InputKind::SpriteFile;
    if (!bytes.empty() && bytes.front() == '\t')
        return InputKind::EditorCode;
    // Code refused at a line after its first rows is code, so that the line is named.
    return isCode() || readAsCode ? InputKind::Code : InputKind::Picture;
}

} // namespace quillox
