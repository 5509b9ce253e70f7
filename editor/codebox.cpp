#include "codebox.h"

namespace quillox
{

CodeBox::CodeBox(QWidget* parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUndoRedoEnabled(false);
    // Tab stops of four digits: a 15-digit row fits the box without wrapping.
    setTabStopDistance(4 * fontMetrics().horizontalAdvance(QLatin1Char('0')));
    setBackgroundColour(QColor(0, 192, 192));
}

void CodeBox::setCodeText(const QString& text)
{
    codeText_ = text;
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    setPlainText(shown);
}

void CodeBox::setBackgroundColour(const QColor& colour)
{
    QPalette p = palette();
    p.setColor(QPalette::Base, colour);
    setPalette(p);
}

QColor CodeBox::backgroundColour() const
{
    return palette().color(QPalette::Base);
}

} // namespace quillox
