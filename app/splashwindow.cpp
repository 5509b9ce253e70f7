#include "app/splashwindow.h"

#include "app/classicfont.h"
#include "app/picturebox.h"
#include "editor/twips.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

namespace quillox
{

namespace
{

QLabel* banner(QWidget* parent)
{
    auto* picture = new PictureBox(QStringLiteral(":/quillox/banner.bmp"), parent);
    picture->setObjectName(QStringLiteral("Picture1"));
    picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picture->setGeometry(twipRect(495, 90, 3945, 1245));
    return picture;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, const QRect& rect)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(rect);
    return label;
}

} // namespace

SplashWindow::SplashWindow(std::function<void()> onOk, std::function<void()> onClosed)
    : QWidget(nullptr,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      onOk_(std::move(onOk)), onClosed_(std::move(onClosed))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Quillox"));
    setFixedSize(twips(4995), twips(2745));

    banner(this);
    QLabel* product = label(this, "Label1", QStringLiteral("Quillox\u2122 for Windows\u00AE"),
                            twipRect(300, 1395, 4320, 540));
    product->setFont(classicFont("Arial", 14.25, true));
    fitTextToWidth(product);
    fitTextToWidth(label(this, "Label2", QStringLiteral("Version 1.25 (11-2000)"),
                         twipRect(285, 1800, 1620, 270)));

    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setGeometry(twipRect(4065, 2490, 945, 270));
    ok->setDefault(true);
    ok->setFocus();
    connect(ok, &QPushButton::clicked, this, &SplashWindow::pressOk);
}

void SplashWindow::pressOk()
{
    hide();
    onOk_();
}

void SplashWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    onClosed_();
}

} // namespace quillox
