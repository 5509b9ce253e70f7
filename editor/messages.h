#pragma once

#include "platform/platform.h"

namespace quillox
{

// The editor's reports of what went wrong: the text with the stop icon and
// an OK button, under the application's title.
void reportProblem(Platform& platform, const QString& text);

// After a sprite file load: says which size field of `buffer`, the file's
// text, was not applied, naming the file; nothing when both were.
void reportUnappliedSizes(Platform& platform, const QString& path, const std::string& buffer);

} // namespace quillox
