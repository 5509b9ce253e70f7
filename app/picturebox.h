#pragma once

#include <QLabel>
#include <QPixmap>
#include <QString>

namespace quillox
{

// A picture of the program's resources for a screen of the given device pixel
// ratio: above 1, its "@2x" version, drawn at twice the size, so that the
// screen shows it sharp instead of a blurred enlargement.
QPixmap resourcePicture(const QString& path, qreal devicePixelRatio);

// A label showing a resource picture, unscaled from its top left corner,
// in the version that suits the screen it is on.
class PictureBox : public QLabel
{
public:
    PictureBox(const QString& path, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showPictureFor(qreal devicePixelRatio);

    QString path_;
    qreal shownRatio_ = 0;
};

} // namespace quillox
