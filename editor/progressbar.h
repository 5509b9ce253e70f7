#pragma once

#include <QProgressBar>

namespace quillox
{

// A progress bar with a plain, quick look: the effects repaint it for every
// cell, and the style's gradients would take longer than the effect itself.
class ProgressBar : public QProgressBar
{
    Q_OBJECT
public:
    using QProgressBar::QProgressBar;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace quillox
