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
    if (hasSpriteFileName(name) || (!bytes.empty() && bytes.front() >= '0' && bytes.front() <= '9'))
        return InputKind::SpriteFile;
    if (!bytes.empty() && bytes.front() == '\t')
        return InputKind::EditorCode;
    std::string reason;
    // Code is text of a sprite file's size at most; a larger input is a picture.
    if (bytes.size() <= MaxSpriteFileRead && readSpriteCodeText(bytes, reason))
        return InputKind::Code;
    return InputKind::Picture;
}

} // namespace quillox
