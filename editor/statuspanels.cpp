#include "editor/statuspanels.h"

#include "editor/twips.h"

#include <QCursor>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTime>
#include <QTimer>

namespace quillox
{

namespace
{

const char HintProperty[] = "quilloxHint";
const char BareAreaProperty[] = "quilloxBareArea";

} // namespace

StatusPanels::StatusPanels(Platform& platform, QWidget* client)
    : QObject(client), platform_(platform)
{
    auto* status = new QStatusBar(client);
    status->setObjectName(QStringLiteral("StatusBar1"));
    status->setSizeGripEnabled(false);
    status->setGeometry(twipRect(0, 5325, 8040, 255));
    auto panel = [status](const char* name, const QRect& rect) {
        auto* label = new QLabel(status);
        label->setObjectName(QString::fromLatin1(name));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setGeometry(rect);
        return label;
    };
    hintPanel_ = panel("Panel1", twipRect(0, 0, 5000, 255));
    clockPanel_ = panel("Panel2", twipRect(5000, 0, 3000, 255));

    clock_ = new QTimer(this);
    clock_->setObjectName(QStringLiteral("Timer1"));
    clock_->setSingleShot(true);
    clock_->setTimerType(Qt::PreciseTimer);
    connect(clock_, &QTimer::timeout, this, &StatusPanels::tickClock);
    tickClock();
}

void StatusPanels::addHint(QWidget* control, const QString& hint)
{
    control->setMouseTracking(true);
    control->setProperty(HintProperty, hint);
    control->installEventFilter(this);
}

void StatusPanels::addBareArea(QWidget* frame)
{
    frame->setMouseTracking(true);
    frame->setProperty(BareAreaProperty, true);
    frame->installEventFilter(this);
}

void StatusPanels::tickClock()
{
    const QTime now = platform_.currentTime();
    clockPanel_->setText(QStringLiteral("               Time: ") +
                         now.toString(QStringLiteral("HH:mm:ss")));
    // Wake at the next second boundary rather than every millisecond.
    clock_->start(1000 - now.msec());
}

bool StatusPanels::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseMove && type != QEvent::Enter)
        return false;
    if (watched->property(BareAreaProperty).toBool()) {
        // Moves over a child reach the frame too; only its bare area clears.
        auto* frame = static_cast<QWidget*>(watched);
        const QPoint pos = type == QEvent::MouseMove
                               ? static_cast<QMouseEvent*>(event)->position().toPoint()
                               : frame->mapFromGlobal(QCursor::pos());
        if (!frame->childAt(pos))
            hintPanel_->clear();
    } else if (const QVariant hint = watched->property(HintProperty); hint.isValid()) {
        hintPanel_->setText(hint.toString());
    }
    return false;
}

} // namespace quillox
