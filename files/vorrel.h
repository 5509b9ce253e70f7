#pragma once

#include "files/spritefile.h"

#include <QString>

#include <optional>
#include <string>

namespace quillox::vorrel
{

// The main window's side of a sprite load: setting a slider runs the size
// refresh when the position changes and refuses a position outside 1..15.
class LoadTarget
{
public:
    virtual ~LoadTarget() = default;
    virtual void setRowSliderPosition(int position) = 0;
    virtual void setColumnSliderPosition(int position) = 0;
    virtual void setCellColour(int row, int column, Rgb colour) = 0;
    virtual void rebuildCode() = 0;
};

// SaveSpriteFile and LoadSpriteFile: the program's own command names, kept
// as they are.

// Writes `buffer` and CR LF to `name`, replacing the file atomically: a save
// that fails leaves an existing file as it was. Returns the reason on failure.
std::optional<QString> SaveSpriteFile(const QString& name, const std::string& buffer);

// Reads at most `limit` bytes of a regular file; folders, pipes, devices and
// sockets are refused without being waited on. Returns the reason on failure.
std::optional<QString> readFilePrefix(const QString& name, std::size_t limit, std::string& out);

// Reads the file into `buffer` and applies it: sizes (row slider, then column
// slider), cells, code. A file that cannot be read changes nothing, not even
// the buffer, and returns the reason.
std::optional<QString> LoadSpriteFile(const QString& name, std::string& buffer, LoadTarget& target);

// The steps of a load after the read, on the buffer's content.
void applySpriteFile(const std::string& buffer, LoadTarget& target);

// The same steps for a sprite read from elsewhere: its sizes, its block's
// cells with every cell outside the block white, as New leaves them, the code.
void applySprite(const SpriteGrid& sprite, LoadTarget& target);

} // namespace quillox::vorrel
