#include "platform/systemquit.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>

#include <windows.h>

namespace quillox
{

namespace
{

// The console's Ctrl+C, Ctrl+Break and close arrive on a thread of their
// own; they are passed to the event loop as a queued call.
QPointer<QObject> consoleWatch;
std::function<void()>* consoleRequest = nullptr;

BOOL WINAPI onConsoleEvent(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    if (QObject* watch = consoleWatch.data())
        QMetaObject::invokeMethod(
            watch, [] { (*consoleRequest)(); }, Qt::QueuedConnection);
    return TRUE;
}

class QuitWatch final : public QObject
{
public:
    explicit QuitWatch(std::function<void()> onRequest) : onRequest_(std::move(onRequest))
    {
        // The session's end reaches a Windows program as the application quitting.
        if (QCoreApplication* application = QCoreApplication::instance())
            connect(application, &QCoreApplication::aboutToQuit, this, [this] { onRequest_(); });
        consoleWatch = this;
        consoleRequest = &onRequest_;
        SetConsoleCtrlHandler(onConsoleEvent, TRUE);
    }

    ~QuitWatch() override
    {
        SetConsoleCtrlHandler(onConsoleEvent, FALSE);
        consoleRequest = nullptr;
    }

private:
    std::function<void()> onRequest_;
};

} // namespace

std::unique_ptr<QObject> watchSystemQuit(std::function<void()> onRequest)
{
    return std::make_unique<QuitWatch>(std::move(onRequest));
}

} // namespace quillox
