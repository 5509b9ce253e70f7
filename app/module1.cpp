#include "app/module1.h"

#include "platform/platform.h"

#include <QUrl>

namespace quillox
{

QString makersWebAddress()
{
    return QStringLiteral(QUILLOX_WEB_ADDRESS);
}

QString makersMailAddress()
{
    return QStringLiteral(QUILLOX_MAIL_ADDRESS);
}

void OpenWebPage(Platform& platform)
{
    platform.openUrl(QUrl(makersWebAddress()));
}

void OpenMailTo(Platform& platform)
{
    platform.openUrl(QUrl(QStringLiteral("mailto:") + makersMailAddress()));
}

} // namespace quillox
