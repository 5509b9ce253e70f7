#pragma once

#include "platform/platform.h"

#include <QObject>

class QLabel;
class QTimer;
class QWidget;

namespace quillox
{

// The status bar's two panels: the hint of the control under the pointer on
// the left, the clock on the right.
class StatusPanels : public QObject
{
    Q_OBJECT
public:
    // Places the status bar at the bottom of `client` and starts the clock.
    StatusPanels(Platform& platform, QWidget* client);

    // Pointing at `control` shows `hint`.
    void addHint(QWidget* control, const QString& hint);
    // Pointing at the bare area of `frame`, not at a control in it, clears the hint.
    void addBareArea(QWidget* frame);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void tickClock();

    Platform& platform_;
    QLabel* hintPanel_ = nullptr;
    QLabel* clockPanel_ = nullptr;
    QTimer* clock_ = nullptr;
};

} // namespace quillox
