#pragma once

#include <QPointer>

#include <memory>

namespace quillox
{

class Platform;
class MainWindow;
class SplashWindow;
class AboutWindow;
class HelpWindow;
enum class WayOfClosing;

// The program from the splash to the exit log: creates each window when it
// is first needed and ends everything when the main window ends.
class ApplicationShell
{
public:
    explicit ApplicationShell(Platform& platform);
    ~ApplicationShell();

    // Shows the splash; `fileToOpen`, when given, opens in the editor after OK.
    void start(const QString& fileToOpen = {});

    SplashWindow* splash() const { return splash_.get(); }
    MainWindow* mainWindow() const { return mainWindow_.get(); }
    AboutWindow* aboutWindow() const;
    HelpWindow* helpWindow() const;

private:
    void openMainWindow();
    void splashClosed();
    void quitRequested();
    void showAbout();
    void showHelp();
    void endProgram(WayOfClosing way);

    Platform& platform_;
    std::unique_ptr<SplashWindow> splash_;
    std::unique_ptr<MainWindow> mainWindow_;
    // Closing these through the window system deletes them.
    QPointer<AboutWindow> about_;
    QPointer<HelpWindow> help_;
    QString fileToOpen_;
    bool ending_ = false;
};

} // namespace quillox
