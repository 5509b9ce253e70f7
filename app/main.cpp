#include "applicationshell.h"
#include "qtplatform.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.quillox"));
    // The program ends only when its main window ends or the splash is closed.
    QApplication::setQuitOnLastWindowClosed(false);
    quillox::QtPlatform platform;
    quillox::ApplicationShell shell(platform);
    shell.start();
    return application.exec();
}
