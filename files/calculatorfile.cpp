#include "files/calculatorfile.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace quillox
{

namespace
{

constexpr std::string_view Signature = CalculatorFileSignature;
// TI Connect CE writes 1A 0A 0A where older programs write 1A 0A 00: only the
// first two bytes are checked on reading.
constexpr std::string_view SignatureEnd("\x1A\x0A\x00", 3);
constexpr std::size_t CheckedSignatureEnd = 2;
constexpr std::size_t CommentSize = 42;
constexpr std::size_t HeadSize = 55; // signature, its end, comment, data length
constexpr std::size_t ChecksumSize = 2;
constexpr std::size_t NameSize = 8;
// The entry's header after its own length word: the variable's length, type
// and name (0Bh), then on the TI-83 Plus its version and flag (0Dh).
constexpr unsigned ShortEntryHeader = 0x0B;
constexpr unsigned PlusEntryHeader = 0x0D;
constexpr unsigned char AppVarType = 0x15;
constexpr unsigned char PicType = 0x07;
constexpr unsigned char ArchivedFlag = 0x80;

void appendWord(std::string& out, std::size_t word)
{
    out += static_cast<char>(word & 0xFF);
    out += static_cast<char>((word >> 8) & 0xFF);
}

unsigned word(std::string_view bytes, std::size_t at)
{
    return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
}

unsigned checksumOf(std::string_view bytes)
{
    unsigned sum = 0;
    for (const char byte : bytes)
        sum += static_cast<unsigned char>(byte);
    return sum & 0xFFFF;
}

std::string hexByte(unsigned value)
{
    static const char digits[] = "0123456789ABCDEF";
    return std::string{digits[(value >> 4) & 0xF], digits[value & 0xF], 'h'};
}

std::string hexWord(unsigned value)
{
    return hexByte(value >> 8).substr(0, 2) + hexByte(value);
}

// One variable's file: the head, the entry, the variable's data, the checksum.
std::string calculatorFile(std::string_view comment, unsigned char type, std::string_view name,
                           std::string_view data, bool archived)
{
    std::string entry;
    appendWord(entry, PlusEntryHeader);
    appendWord(entry, data.size());
    entry += static_cast<char>(type);
    entry += name.substr(0, NameSize);
    entry.append(NameSize - std::min(name.size(), NameSize), '\0');
    entry += '\0'; // version
    entry += static_cast<char>(archived ? ArchivedFlag : 0);
    appendWord(entry, data.size());
    entry += data;

    std::string file(Signature);
    file += SignatureEnd;
    file += comment;
    file.append(CommentSize - comment.size(), '\0');
    appendWord(file, entry.size());
    file += entry;
    appendWord(file, checksumOf(entry));
    return file;
}

} // namespace

bool isAppVarName(std::string_view name)
{
    const auto isAlnum = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; };
    return !name.empty() && name.size() <= NameSize &&
           std::isalpha(static_cast<unsigned char>(name.front())) &&
           std::all_of(name.begin(), name.end(), isAlnum);
}

std::optional<std::string> picVariableName(std::string_view name)
{
    if (name.size() != 4 || (name.substr(0, 3) != "Pic" && name.substr(0, 3) != "pic") ||
        name[3] < '0' || name[3] > '9')
        return std::nullopt;
    // Pic1 is 0, Pic9 8 and Pic0 9, in the order of the calculator's menu.
    const int number = name[3] == '0' ? 9 : name[3] - '1';
    return std::string{'\x60', static_cast<char>(number)};
}

std::string appVarFile(std::string_view name, std::string_view content, bool archived)
{
    std::string data;
    appendWord(data, content.size());
    data += content;
    return calculatorFile("Quillox sprites", AppVarType, name, data, archived);
}

std::string picFile(std::string_view nameBytes, std::string_view picture, bool archived)
{
    std::string data;
    appendWord(data, picture.size());
    data += picture;
    return calculatorFile("Quillox picture", PicType, nameBytes, data, archived);
}

std::optional<std::string> picBytesOf(const SpritePixels& pixels, std::string& reason)
{
    if (pixels.width > PicWidth || pixels.height > ScreenHeight) {
        reason = "the picture is " + std::to_string(pixels.width) + " x " +
                 std::to_string(pixels.height) + " pixels; a Pic is at most 96 x 64";
        return std::nullopt;
    }
    std::string bytes(PicBytes, '\0');
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x) {
            const std::size_t at = pixels.at(x, y);
            if (pixels.levels[at] == 0 || pixels.transparent[at])
                continue;
            if (y == PicHeight) {
                reason = "the pixel at " + std::to_string(x) + "," + std::to_string(y) +
                         " is set in the 64th row, which a Pic cannot hold";
                return std::nullopt;
            }
            bytes[std::size_t(y) * (PicWidth / 8) + std::size_t(x / 8)] |=
                static_cast<char>(0x80 >> (x % 8));
        }
    return bytes;
}

bool isCalculatorFile(std::string_view bytes)
{
    return bytes.substr(0, Signature.size()) == Signature;
}

std::optional<SpritePixels> readPicFile(std::string_view bytes, std::string& reason)
{
    const auto fail = [&reason](std::string text) {
        reason = std::move(text);
        return std::nullopt;
    };
    if (bytes.size() < HeadSize + ChecksumSize)
        return fail("it is cut short: " + std::to_string(bytes.size()) +
                    " bytes, less than a calculator file's head");
    if (bytes.substr(0, Signature.size()) != Signature ||
        bytes.substr(Signature.size(), CheckedSignatureEnd) !=
            SignatureEnd.substr(0, CheckedSignatureEnd))
        return fail("its signature is not **TI83F* followed by 1A 0A");
    const std::size_t dataSize = word(bytes, HeadSize - 2);
    const std::size_t present = bytes.size() - HeadSize - ChecksumSize;
    if (dataSize != present)
        return fail("its data section should be " + std::to_string(dataSize) +
                    " bytes long, but the file holds " + std::to_string(present) +
                    (dataSize > present ? " (cut short)" : ""));
    const std::string_view data = bytes.substr(HeadSize, dataSize);
    const unsigned stored = word(bytes, HeadSize + dataSize);
    if (checksumOf(data) != stored)
        return fail("its checksum is " + hexWord(stored) + ", but its data sums to " +
                    hexWord(checksumOf(data)));
    if (data.size() < 2 + ShortEntryHeader + 2)
        return fail("its variable entry is cut short");
    const unsigned header = word(data, 0);
    if (header != ShortEntryHeader && header != PlusEntryHeader)
        return fail("its variable header is " + hexWord(header) + " bytes long, not 0Bh or 0Dh");
    const std::size_t start = 2 + header + 2; // where the variable's data begins
    if (data.size() < start)
        return fail("its variable entry is cut short");
    const std::size_t length = word(data, 2);
    if (word(data, 2 + header) != length)
        return fail("its variable's two lengths differ: " + std::to_string(length) + " and " +
                    std::to_string(word(data, 2 + header)));
    if (data.size() - start < length)
        return fail("its variable is " + std::to_string(length) + " bytes long, but the entry " +
                    "holds " + std::to_string(data.size() - start) + " (cut short)");
    if (data.size() - start > length)
        return fail("it holds more than one variable; a picture file holds one Pic");
    const unsigned type = static_cast<unsigned char>(data[4]);
    if (type != PicType)
        return fail("it holds a variable of type " + hexByte(type) +
                    ", not a picture (Pic, type 07h)");
    if (length < 2 || word(data, start) != length - 2)
        return fail("its picture's size word does not match the variable's length");
    if (length - 2 != PicBytes)
        return fail("its picture is " + std::to_string(length - 2) + " bytes, not " +
                    std::to_string(PicBytes) + " (96 x 63)");
    const std::string_view picture = data.substr(start + 2, PicBytes);
    SpritePixels pixels(PicWidth, PicHeight);
    for (int y = 0; y < PicHeight; ++y)
        for (int x = 0; x < PicWidth; ++x)
            if (static_cast<unsigned char>(
                    picture[std::size_t(y) * (PicWidth / 8) + std::size_t(x / 8)]) &
                (0x80 >> (x % 8)))
                pixels.levels[pixels.at(x, y)] = 3;
    return pixels;
}

} // namespace quillox
