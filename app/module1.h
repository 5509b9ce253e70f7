#pragma once

#include <QString>

namespace quillox
{

class Platform;

// The makers' addresses, set when the program is built.
QString makersWebAddress();
QString makersMailAddress();

// Open the makers' web page and a new mail to them with the desktop's
// programs. Failures are the desktop's to show. The program's own command
// names, kept as they are.
void OpenWebPage(Platform& platform);
void OpenMailTo(Platform& platform);

} // namespace quillox
