#include "app/picturebox.h"

namespace quillox
{

QPixmap resourcePicture(const QString& path, qreal devicePixelRatio)
{
    if (devicePixelRatio > 1) {
        const qsizetype dot = path.lastIndexOf(u'.');
        QPixmap sharp(path.left(dot) + QStringLiteral("@2x") + path.mid(dot));
        if (!sharp.isNull()) {
            sharp.setDevicePixelRatio(2);
            return sharp;
        }
    }
    return QPixmap(path);
}

PictureBox::PictureBox(const QString& path, QWidget* parent) : QLabel(parent), path_(path)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    showPictureFor(devicePixelRatioF());
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    // The window may have moved to a screen of another scale since.
    if (devicePixelRatioF() != shownRatio_)
        showPictureFor(devicePixelRatioF());
    QLabel::paintEvent(event);
}

void PictureBox::showPictureFor(qreal devicePixelRatio)
{
    shownRatio_ = devicePixelRatio;
    setPixmap(resourcePicture(path_, devicePixelRatio));
}

} // namespace quillox
