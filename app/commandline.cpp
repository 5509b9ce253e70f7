#include "app/commandline.h"

namespace quillox
{

CommandLine parseCommandLine(const QStringList& arguments)
{
    CommandLine line;
    bool optionsEnd = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (!optionsEnd && (argument == QLatin1String("--help") || argument == QLatin1String("-h")))
            return {CommandLine::Action::Help, {}, {}};
        if (!optionsEnd && argument == QLatin1String("--version"))
            return {CommandLine::Action::Version, {}, {}};
        if (!optionsEnd && argument == QLatin1String("--")) {
            optionsEnd = true;
        } else if (!optionsEnd && argument.startsWith(QLatin1Char('-'))) {
            if (line.error.isEmpty())
                line.error = QStringLiteral("unknown option \"%1\"").arg(argument);
        } else if (!line.file.isEmpty()) {
            if (line.error.isEmpty())
                line.error = QStringLiteral("only one file can be opened");
        } else {
            line.file = argument;
        }
    }
    if (!line.error.isEmpty())
        line.action = CommandLine::Action::UsageError;
    return line;
}

QString usageText()
{
    return QStringLiteral(
        "Usage: quillox [FILE]\n"
        "Quillox, an editor for monochrome sprites of up to 15 x 15 pixels that shows\n"
        "each sprite as Z80 assembly code.\n"
        "\n"
        "FILE, a sprite file (.spr), sprite code, a TI-83 Plus picture file (.8xi) or\n"
        "a picture, whose drawn pixels must fit 15 x 15, is opened in the editor once\n"
        "the splash window's OK is pressed, read as quillox-convert reads it.\n"
        "A .spr file keeps black and white only; the grid's Save as Picture keeps\n"
        "grey and transparent cells in a PNG, which opens again as the same cells.\n"
        "\n"
        "  -h, --help     show this help and exit\n"
        "      --version  show the version and exit\n");
}

QString versionText()
{
    return QStringLiteral("quillox " QUILLOX_VERSION "\n");
}

} // namespace quillox
