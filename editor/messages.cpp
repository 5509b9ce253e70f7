#include "editor/messages.h"

#include "code/codeexport.h"
#include "files/spritefile.h"

namespace quillox
{

void reportProblem(Platform& platform, const QString& text)
{
    platform.messageBox(text, ApplicationTitle, MessageButtons::Ok, MessageIcon::Stop);
}

void reportUnappliedSizes(Platform& platform, const QString& path, const std::string& buffer)
{
    const std::string unapplied = unappliedSizes(buffer);
    if (!unapplied.empty())
        reportProblem(platform, path + QStringLiteral(": ") + QString::fromLatin1(unapplied));
}

} // namespace quillox
