#include "app/helpwindow.h"

#include "editor/twips.h"

#include <QFile>
#include <QIcon>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>

namespace quillox
{

QByteArray tutorialText()
{
    QFile file(QStringLiteral(":/quillox/tutorial.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

HelpWindow::HelpWindow()
    : QWidget(nullptr,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Thanks to the Quillox developers for this tutorial"));
    setWindowIcon(QIcon(QStringLiteral(":/quillox/quillox-32.png")));
    setFixedSize(twips(6900), twips(5100));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    setPalette(palette);
    setAutoFillBackground(true);

    auto* text = new QPlainTextEdit(this);
    text->setObjectName(QStringLiteral("Text1"));
    text->setGeometry(twipRect(120, 120, 6615, 4575));
    text->setReadOnly(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    text->setPlainText(QString::fromLatin1(tutorialText()));
    text->setFocus();

    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("Command1"));
    close->setGeometry(twipRect(5865, 4755, 975, 315));
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    // Esc leaves as Close does: hidden, not closed, so the tutorial keeps its place.
    connect(new QShortcut(Qt::Key_Escape, this), &QShortcut::activated, close, &QPushButton::click);
}

} // namespace quillox
