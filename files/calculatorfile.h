#pragma once

#include "editor/spritepixels.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quillox
{

// TI-83 Plus variable files ("**TI83F*"), as the link programs and emulators
// read them: the 55-byte head, one variable entry, the checksum. Plain C++.

// What every such file starts with; the writers follow it with 1A 0A 00.
constexpr std::string_view CalculatorFileSignature = "**TI83F*";

// Whether the bytes start as a calculator file does.
bool isCalculatorFile(std::string_view bytes);

// An AppVar holds at most this many bytes besides its own size word, so that
// the file's data section fits its 16-bit length.
constexpr std::size_t MaxAppVarContent = 65516;

// A Pic variable is the top 63 rows of the 96 x 64 screen, 12 bytes a row.
constexpr int PicWidth = 96;
constexpr int PicHeight = 63;
constexpr int ScreenHeight = 64;
constexpr std::size_t PicBytes = PicWidth / 8 * PicHeight;

// 1 to 8 letters and digits, a letter first.
bool isAppVarName(std::string_view name);

// The two name bytes of "Pic1" to "Pic9" and "Pic0" (60h, then 0 to 9), or
// nothing for another name.
std::optional<std::string> picVariableName(std::string_view name);

// An AppVar file (type 15h) holding `content`, at most MaxAppVarContent
// bytes. The entry has the TI-83 Plus header of 0Dh bytes: version 00 and
// the flag 80h when archived, else 00.
std::string appVarFile(std::string_view name, std::string_view content, bool archived);

// A Pic file (type 07h) of a picture's PicBytes bytes; `nameBytes` from
// picVariableName.
std::string picFile(std::string_view nameBytes, std::string_view picture, bool archived);

// The Pic's bytes of a picture of at most 96 x 64 placed at the top left, the
// rest clear; nothing with the reason when it is larger or has a pixel set in
// the 64th row, which a Pic cannot hold.
std::optional<std::string> picBytesOf(const SpritePixels& pixels, std::string& reason);

// The 96 x 63 picture of a Pic file; nothing with the reason when the file is
// damaged or holds something else.
std::optional<SpritePixels> readPicFile(std::string_view bytes, std::string& reason);

} // namespace quillox
