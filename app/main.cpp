#include "mainwindow.h"
#include "qtplatform.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    quillox::QtPlatform platform;
    quillox::MainWindow window(platform);
    window.show();
    return application.exec();
}
