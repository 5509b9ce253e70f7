#include "app/aboutwindow.h"

#include "app/classicfont.h"
#include "app/exitlog.h"
#include "app/module1.h"
#include "app/picturebox.h"
#include "editor/twips.h"
#include "platform/platform.h"

#include <QEvent>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcut>

#include <functional>

namespace quillox
{

namespace
{

const QColor Background(134, 125, 134);
const QColor Yellow(255, 255, 0);
const QColor Navy(0, 0, 128);

// A label that runs a command when clicked, under the upward-arrow pointer.
class LinkLabel : public QLabel
{
public:
    LinkLabel(const QString& text, QWidget* parent, std::function<void()> onClick)
        : QLabel(text, parent), onClick_(std::move(onClick))
    {
        setCursor(Qt::UpArrowCursor);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        QLabel::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            onClick_();
    }

private:
    std::function<void()> onClick_;
};

template <typename Label>
Label* setUp(Label* label, const char* name, const QRect& rect, const QColor& colour)
{
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(rect);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    return label;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, const QRect& rect,
              const QColor& colour = Yellow)
{
    return setUp(new QLabel(text, parent), name, rect, colour);
}

} // namespace

AboutWindow::AboutWindow(Platform& platform)
    : QWidget(nullptr,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      platform_(platform)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("About"));
    setWindowIcon(QIcon(QStringLiteral(":/quillox/about-32.png")));
    setFixedSize(twips(4290), twips(2700));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Background);
    setPalette(palette);
    setAutoFillBackground(true);

    label(this, "Label3", QStringLiteral(" Quillox"), twipRect(600, 0, 2895, 735), Qt::black)
        ->setFont(classicFont("Impact", 21.75, true));
    label(this, "Label8", QStringLiteral("1.25"), twipRect(3255, 90, 600, 240), Qt::red)
        ->setFont(classicFont("Small Fonts", 6, true));
    label(this, "Label4", QStringLiteral("Made by the Quillox developers"),
          twipRect(360, 600, 3975, 255))
        ->setFont(classicFont("MS Sans Serif", 9.75));

    auto* logo = new PictureBox(QStringLiteral(":/quillox/logo-60.png"), this);
    logo->setObjectName(QStringLiteral("Picture1"));
    logo->setGeometry(twipRect(0, 960, 975, 975));

    setUp(new LinkLabel(makersWebAddress(), this, [this] { OpenWebPage(platform_); }), "Label1",
          twipRect(1080, 960, 3015, 255), Navy)
        ->setFont(classicFont("MS Sans Serif", 9.75, false, true));
    setUp(new LinkLabel(makersMailAddress(), this, [this] { OpenMailTo(platform_); }), "Label2",
          twipRect(1080, 1440, 3135, 255), Navy)
        ->setFont(classicFont("MS Sans Serif", 8.25, false, true));

    label(this, "Label5",
          QStringLiteral("All exits are logged into ") + displayedLogPath(platform_.exitLogPath()),
          twipRect(120, 1920, 2655, 255));
    label(this, "Label6", QStringLiteral("Size:"), twipRect(120, 2160, 495, 255));
    sizeLabel_ = label(this, "Label7", QString(), twipRect(600, 2160, 2175, 255));

    auto* clear = new QPushButton(QStringLiteral("Clear quillox.ini"), this);
    clear->setObjectName(QStringLiteral("Command2"));
    clear->setGeometry(twipRect(120, 2400, 1095, 255));
    clear->setFont(classicFont("Small Fonts", 6.75));
    connect(clear, &QPushButton::clicked, this, &AboutWindow::clearLog);

    auto* thanks = new QPushButton(QStringLiteral("Thanks"), this);
    thanks->setObjectName(QStringLiteral("Command1"));
    thanks->setGeometry(twipRect(3480, 2280, 735, 375));
    connect(thanks, &QPushButton::clicked, this, &QWidget::hide);
    // Esc leaves as Thanks does: hidden, not closed, so the window keeps its state.
    connect(new QShortcut(Qt::Key_Escape, this), &QShortcut::activated, thanks,
            &QPushButton::click);
    setTabOrder(thanks, clear);
    thanks->setFocus();

    for (QLabel* label : findChildren<QLabel*>())
        fitTextToWidth(label);
    ShowLogSize();
}

void AboutWindow::ShowLogSize()
{
    const LogSize size = exitLogSize(platform_.exitLogPath());
    switch (size.state) {
    case LogSize::State::Present:
        sizeLabel_->setText(QString::number(size.bytes) + QStringLiteral(" b"));
        fitTextToWidth(sizeLabel_);
        break;
    case LogSize::State::Missing:
        sizeLabel_->setText(QStringLiteral("File doesn\u00B4t exist."));
        fitTextToWidth(sizeLabel_);
        break;
    case LogSize::State::Failed:
        if (shownFailure_ != size.failure) {
            shownFailure_ = size.failure;
            platform_.messageBox(size.failure, QStringLiteral("Quillox"), MessageButtons::Ok,
                                 MessageIcon::None);
        }
        return;
    }
    shownFailure_.reset();
}

void AboutWindow::clearLog()
{
    if (const auto failure = deleteExitLog(platform_.exitLogPath()))
        platform_.messageBox(*failure, QStringLiteral("Quillox"), MessageButtons::Ok,
                             MessageIcon::None);
}

bool AboutWindow::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        ShowLogSize();
    return QWidget::event(event);
}

void AboutWindow::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    ShowLogSize();
}

} // namespace quillox
