// The baseline for the shell budgets: a bare QMainWindow with a status bar
// whose clock is rewritten by a plain one-second timer.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QTime>
#include <QTimer>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare"));
    window.resize(536, 410);
    auto* clock = new QLabel(&window);
    window.statusBar()->addPermanentWidget(clock);
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [clock] {
        clock->setText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
    });
    timer.start(1000);
    window.show();
    return application.exec();
}
