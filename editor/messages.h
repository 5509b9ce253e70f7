#pragma once

#include "platform/platform.h"

namespace quillox
{

// The editor's reports of what went wrong: the text with the stop icon and
// an OK button, under the application's title.
void reportProblem(Platform& platform, const QString& text);

} // namespace quillox
