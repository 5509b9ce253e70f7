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
    // A sprite file starts with its height; the lenient reader takes any
    // damaged one as it is.
    if (hasSpriteFileName(name) || (!bytes.empty() && bytes.front() >= '0' && bytes.front() <= '9'))
        return InputKind::SpriteFile;
    if (!bytes.empty() && bytes.front() == '\t')
        return InputKind::EditorCode;
    // Code refused at a line after its first rows is code, so that the line is named.
    return isCode() || readAsCode ? InputKind::Code : InputKind::Picture;
}

} // namespace quillox
