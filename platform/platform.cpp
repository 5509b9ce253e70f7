#include "platform/platform.h"

namespace quillox
{

QString dialogFilter(const QString& labelAndPattern)
{
    const int bar = labelAndPattern.indexOf(QLatin1Char('|'));
    if (bar < 0)
        return labelAndPattern;
    const QString label = labelAndPattern.left(bar);
    const QString pattern = labelAndPattern.mid(bar + 1);
    if (label.endsWith(QStringLiteral("(") + pattern + QStringLiteral(")")))
        return label;
    return label + QStringLiteral(" (") + pattern + QStringLiteral(")");
}

bool hidesFilterPattern(const QString& labelAndPattern)
{
    return dialogFilter(labelAndPattern) !=
           labelAndPattern.left(labelAndPattern.indexOf(QLatin1Char('|')));
}

} // namespace quillox
