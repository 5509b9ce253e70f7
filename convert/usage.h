#pragma once

namespace quillox
{

// What --help prints: every option with an example, as the manual page has them.
extern const char UsageText[];

} // namespace quillox
