#include "platform/systemquit.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>

#include <sys/socket.h>
#include <unistd.h>

namespace quillox
{

namespace
{

constexpr int QuitSignals[] = {SIGTERM, SIGHUP, SIGINT};
constexpr int SignalCount = sizeof QuitSignals / sizeof QuitSignals[0];

volatile sig_atomic_t signalSocket = -1;

void onQuitSignal(int number)
{
    const int savedError = errno;
    const auto byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = ::write(signalSocket, &byte, 1);
    errno = savedError;
}

class SignalWatch final : public QObject
{
public:
    explicit SignalWatch(std::function<void()> onRequest) : onRequest_(std::move(onRequest))
    {
        if (QCoreApplication* application = QCoreApplication::instance())
            connect(application, &QCoreApplication::aboutToQuit, this, [this] { onRequest_(); });
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends_) != 0)
            return;
        previousSocket_ = signalSocket;
        signalSocket = ends_[1];
        auto* notifier = new QSocketNotifier(ends_[0], QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this] {
            unsigned char bytes[16];
            while (::read(ends_[0], bytes, sizeof bytes) > 0) {
            }
            onRequest_();
        });
        struct sigaction action = {};
        action.sa_handler = onQuitSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (int i = 0; i < SignalCount; ++i) {
            ::sigaction(QuitSignals[i], nullptr, &previous_[i]);
            // A signal ignored from the start (nohup) stays ignored.
            if (previous_[i].sa_handler != SIG_IGN)
                ::sigaction(QuitSignals[i], &action, nullptr);
        }
    }

    ~SignalWatch() override
    {
        if (ends_[0] < 0)
            return;
        for (int i = 0; i < SignalCount; ++i)
            ::sigaction(QuitSignals[i], &previous_[i], nullptr);
        signalSocket = previousSocket_;
        ::close(ends_[0]);
        ::close(ends_[1]);
    }

private:
    std::function<void()> onRequest_;
    int ends_[2] = {-1, -1};
    int previousSocket_ = -1;
    struct sigaction previous_[SignalCount] = {};
};

} // namespace

std::unique_ptr<QObject> watchSystemQuit(std::function<void()> onRequest)
{
    return std::make_unique<SignalWatch>(std::move(onRequest));
}

} // namespace quillox
