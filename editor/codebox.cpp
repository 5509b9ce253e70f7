#include "codebox.h"

#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QMenu>
#include <QMimeData>
#include <QTextBlock>

namespace quillox
{

namespace
{

// Tab stops of four characters: TAB ".db" TAB "%" and 15 digits take 24.
constexpr int TabStopCharacters = 4;
constexpr int LongestLineCharacters = 2 * TabStopCharacters + 1 + CodeBox::MaxDigits;

} // namespace

CodeBox::CodeBox(QWidget* parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUndoRedoEnabled(false);
    setBackgroundColour(QColor(0, 192, 192));
    fitFontToSize();
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

void CodeBox::resizeEvent(QResizeEvent* event)
{
    QPlainTextEdit::resizeEvent(event);
    fitFontToSize();
}

// The font is chosen from the box's size, not from the desktop's default, so
// that the longest code (15 rows of 15 digits) always shows whole, unwrapped.
// Sizes are in device-independent pixels, which Qt scales for the screen.
void CodeBox::fitFontToSize()
{
    const QSize room = viewport()->size();
    const qreal margins = 2 * document()->documentMargin();
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::TypeWriter);
    for (int pixels = 16; pixels > 4; --pixels) {
        font.setPixelSize(pixels);
        const QFontMetricsF metrics(font);
        const qreal width = LongestLineCharacters * metrics.horizontalAdvance(QLatin1Char('0'));
        // A line of a plain text layout is as high as the font's height.
        const qreal height = MaxRows * metrics.height();
        if (width + margins < room.width() && height + margins <= room.height())
            break;
    }
    setFont(font);
    setTabStopDistance(TabStopCharacters * QFontMetricsF(font).horizontalAdvance(QLatin1Char('0')));
}

QMenu* CodeBox::createContextMenu()
{
    QMenu* menu = createStandardContextMenu();
    menu->addSeparator();
    menu->addActions(extraActions_);
    return menu;
}

void CodeBox::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

// A copied selection has the code's own CR LF line ends.
QMimeData* CodeBox::createMimeDataFromSelection() const
{
    QString text = textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    auto* data = new QMimeData;
    data->setText(text);
    return data;
}

} // namespace quillox
