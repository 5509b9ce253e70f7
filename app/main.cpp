#include "app/applicationshell.h"
#include "app/commandline.h"
#include "platform/qtplatform.h"

#include <QApplication>

#include <cstdio>

namespace
{

QStringList argumentsOf(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

void print(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

} // namespace

int main(int argc, char* argv[])
{
    using quillox::CommandLine;
    // Help and version are answered before Qt looks for a display.
    const CommandLine early = quillox::parseCommandLine(argumentsOf(argc, argv));
    if (early.action == CommandLine::Action::Help || early.action == CommandLine::Action::Version) {
        print(stdout, early.action == CommandLine::Action::Help ? quillox::usageText()
                                                                : quillox::versionText());
        return 0;
    }
    QApplication application(argc, argv);
    // Qt has taken its own options by now; what is left is ours.
    const CommandLine line = quillox::parseCommandLine(QApplication::arguments());
    if (line.action == CommandLine::Action::UsageError) {
        print(stderr, QStringLiteral("quillox: %1\n\n").arg(line.error) + quillox::usageText());
        return 2;
    }
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.quillox"));
    // The program ends only when its main window ends or the splash is closed.
    QApplication::setQuitOnLastWindowClosed(false);
    quillox::QtPlatform platform;
    quillox::ApplicationShell shell(platform);
    shell.start(line.file);
    return application.exec();
}
