#pragma once

#include <QWidget>

#include <optional>

class QLabel;

namespace quillox
{

class Platform;

// The About window `Form2`: name, version, credits, the two links, the exit
// log's size and the button that deletes the log.
class AboutWindow : public QWidget
{
public:
    explicit AboutWindow(Platform& platform);

    // The program's own name, kept as it is.
    void ShowLogSize();

protected:
    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void clearLog();

    Platform& platform_;
    QLabel* sizeLabel_ = nullptr;
    // The failure last shown, so that the activation that follows closing its
    // message box does not show it again and again.
    std::optional<QString> shownFailure_;
};

} // namespace quillox
