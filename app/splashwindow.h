#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

namespace quillox
{

// The splash `Form1`: the banner, the product and version lines and OK.
class SplashWindow : public QWidget
{
public:
    // `onOk` runs after OK has hidden the splash; `onClosed` when the window
    // system closes it.
    SplashWindow(std::function<void()> onOk, std::function<void()> onClosed);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void pressOk();

    std::function<void()> onOk_;
    std::function<void()> onClosed_;
};

} // namespace quillox
