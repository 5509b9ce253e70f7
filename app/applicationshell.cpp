#include "app/applicationshell.h"

#include "app/aboutwindow.h"
#include "app/exitlog.h"
#include "app/helpwindow.h"
#include "editor/mainwindow.h"
#include "platform/platform.h"
#include "app/splashwindow.h"

#include <utility>

namespace quillox
{

namespace
{

template <typename Window> void showModeless(Window* window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

ApplicationShell::ApplicationShell(Platform& platform) : platform_(platform) {}

ApplicationShell::~ApplicationShell()
{
    delete about_;
    delete help_;
}

AboutWindow* ApplicationShell::aboutWindow() const
{
    return about_;
}

HelpWindow* ApplicationShell::helpWindow() const
{
    return help_;
}

void ApplicationShell::start(const QString& fileToOpen)
{
    fileToOpen_ = fileToOpen;
    splash_ =
        std::make_unique<SplashWindow>([this] { openMainWindow(); }, [this] { splashClosed(); });
    splash_->show();
    platform_.watchQuitRequests([this] { quitRequested(); });
}

void ApplicationShell::openMainWindow()
{
    if (!mainWindow_) {
        mainWindow_ = std::make_unique<MainWindow>(platform_);
        QObject::connect(mainWindow_.get(), &MainWindow::aboutRequested, [this] { showAbout(); });
        QObject::connect(mainWindow_.get(), &MainWindow::helpRequested, [this] { showHelp(); });
        QObject::connect(mainWindow_.get(), &MainWindow::programEnding, [this](bool byExit) {
            endProgram(byExit ? WayOfClosing::ExitCommand : WayOfClosing::Other);
        });
    }
    mainWindow_->show();
    if (!fileToOpen_.isEmpty())
        mainWindow_->openFile(std::exchange(fileToOpen_, QString()));
}

void ApplicationShell::splashClosed()
{
    // Only the splash's own close ends the program before the main window
    // exists; once it does, the main window decides.
    if (mainWindow_ || ending_)
        return;
    ending_ = true;
    platform_.endProgram();
}

void ApplicationShell::quitRequested()
{
    // The system asking the program to end closes it as the window system
    // would: the main window once it exists, the splash before.
    if (mainWindow_)
        endProgram(WayOfClosing::Other);
    else
        splashClosed();
}

void ApplicationShell::showAbout()
{
    if (!about_) {
        about_ = new AboutWindow(platform_);
        about_->setAttribute(Qt::WA_DeleteOnClose);
    }
    showModeless(about_.data());
}

void ApplicationShell::showHelp()
{
    if (!help_) {
        help_ = new HelpWindow();
        help_->setAttribute(Qt::WA_DeleteOnClose);
    }
    showModeless(help_.data());
}

void ApplicationShell::endProgram(WayOfClosing way)
{
    if (ending_)
        return;
    ending_ = true;
    if (const auto failure = appendExitRecord(platform_, way))
        platform_.messageBox(*failure, QStringLiteral("Quillox"), MessageButtons::Ok,
                             MessageIcon::None);
    platform_.endProgram();
}

} // namespace quillox
