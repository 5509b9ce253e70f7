#include "editor/codebox.h"

#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTextBlock>
#include <QTextLayout>

namespace quillox
{

namespace
{

// Tab stops of four characters: TAB ".db" TAB "%" and 15 digits take 24.
constexpr int TabStopCharacters = 4;
constexpr int LongestLineCharacters = 2 * TabStopCharacters + 1 + CodeBox::MaxDigits;

// The height of a line of code as the box lays it out: its font's ascent and
// descent, rounded up, with the leading, which some fonts and font engines
// (Windows') make more than nothing.
qreal plainTextLineHeight(const QFont& font)
{
    QTextLayout layout(QStringLiteral("\t.db\t%01"), font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLeadingIncluded(true);
    layout.endLayout();
    return line.height();
}

// The desktop's fixed-pitch font, or where it names none (Qt's offscreen
// platform on Windows) the first fixed-pitch family there is.
QFont fixedPitchFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::TypeWriter);
    if (QFontInfo(font).fixedPitch())
        return font;
    const QStringList families = QFontDatabase::families();
    const auto fixed = std::find_if(families.begin(), families.end(), [](const QString& family) {
        return QFontDatabase::isFixedPitch(family);
    });
    if (fixed != families.end())
        font.setFamily(*fixed);
    return font;
}

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
    QFont font = fixedPitchFont();
    for (int pixels = 16; pixels > 4; --pixels) {
        font.setPixelSize(pixels);
        const QFontMetricsF metrics(font);
        const qreal width = LongestLineCharacters * metrics.horizontalAdvance(QLatin1Char('0'));
        const qreal height = MaxRows * plainTextLineHeight(font);
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
void CodeBox::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste)) {
        emit pasteRequested();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

QMimeData* CodeBox::createMimeDataFromSelection() const
{
    QString text = textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    auto* data = new QMimeData;
    data->setText(text);
    return data;
}

} // namespace quillox
