#include "platform/platform.h"

namespace quillox
{

namespace
{

QString filterLabels(const QStringList& parts)
{
    QStringList labels;
    for (qsizetype i = 0; i < parts.size(); i += 2)
        labels << parts[i];
    return labels.join(QStringLiteral(";;"));
}

} // namespace

QString dialogFilter(const QString& labelAndPattern)
{
    const QStringList parts = labelAndPattern.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& label = parts[i];
        const QString& pattern = parts[i + 1];
        filters << (label.endsWith(QStringLiteral("(") + pattern + QStringLiteral(")"))
                        ? label
                        : label + QStringLiteral(" (") + pattern + QStringLiteral(")"));
    }
    return filters.isEmpty() ? labelAndPattern : filters.join(QStringLiteral(";;"));
}

bool hidesFilterPattern(const QString& labelAndPattern)
{
    return dialogFilter(labelAndPattern) != filterLabels(labelAndPattern.split(QLatin1Char('|')));
}

std::optional<QString> askFileToSave(Platform& platform, FileDialogRequest& dialog,
                                     const FileDialogRequest& first)
{
    if (dialog.title.isEmpty())
        dialog = first;
    std::optional<QString> path = platform.saveFileName(dialog);
    if (path)
        dialog.fileName = *path;
    return path;
}

} // namespace quillox
