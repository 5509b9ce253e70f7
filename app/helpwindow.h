#pragma once

#include <QWidget>

namespace quillox
{

// The tutorial, exactly as stored in the program's resources.
QByteArray tutorialText();

// The help window `Form3`: the read-only tutorial and a Close button.
class HelpWindow : public QWidget
{
public:
    HelpWindow();
};

} // namespace quillox
