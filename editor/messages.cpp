#include "editor/messages.h"

#include "code/codeexport.h"

namespace quillox
{

void reportProblem(Platform& platform, const QString& text)
{
    platform.messageBox(text, ApplicationTitle, MessageButtons::Ok, MessageIcon::Stop);
}

} // namespace quillox
