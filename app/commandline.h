#pragma once

#include <QString>
#include <QStringList>

namespace quillox
{

// What the command line asks of the program: `quillox [FILE]`, with --help
// and --version answered without a window.
struct CommandLine {
    enum class Action { Run, Help, Version, UsageError };
    Action action = Action::Run;
    // A sprite file or a picture to open once the editor is shown.
    QString file;
    // Why the command line was refused.
    QString error;
};

// `arguments` starts with the program's name, as QCoreApplication gives it.
CommandLine parseCommandLine(const QStringList& arguments);

QString usageText();
QString versionText();

} // namespace quillox
