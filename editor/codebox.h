#pragma once

#include <QPlainTextEdit>

namespace quillox
{

// The code box: shows the sprite code read-only but selectable, and keeps the
// exact text (with its CR LF line ends) for the export commands.
class CodeBox : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit CodeBox(QWidget* parent = nullptr);

    void setCodeText(const QString& text);
    const QString& codeText() const { return codeText_; }

    void setBackgroundColour(const QColor& colour);
    QColor backgroundColour() const;

private:
    QString codeText_;
};

} // namespace quillox
