#include "editor/screenwindow.h"

#include "editor/messages.h"
#include "editor/spritedocument.h"
#include "files/calculatorfile.h"
#include "files/inputreader.h"
#include "files/picture.h"
#include "platform/qtfileaccess.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QVBoxLayout>

namespace quillox
{

namespace
{

constexpr int StartZoom = 4;
constexpr int FramesPerSecond = 60;
constexpr int ShiftStep = 8;

// Each level's colour, white to black.
using Colours = std::array<QRgb, 4>;
const Colours LcdColours{qRgb(158, 171, 136), qRgb(105, 114, 90), qRgb(52, 57, 45), qRgb(0, 0, 0)};
const Colours BlackAndWhiteColours{qRgb(0xFF, 0xFF, 0xFF), qRgb(0xAA, 0xAA, 0xAA),
                                   qRgb(0x55, 0x55, 0x55), qRgb(0, 0, 0)};

// The Colours box's choice: "LCD" first, then "Black and White".
const Colours& chosenColours(int index)
{
    return index == 0 ? LcdColours : BlackAndWhiteColours;
}

QImage imageOf(const CalculatorScreen& screen, const Colours& colours,
               std::optional<CalculatorScreen::Buffer> only)
{
    QImage image(CalculatorScreen::Width, CalculatorScreen::Height, QImage::Format_RGB32);
    for (int y = 0; y < CalculatorScreen::Height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < CalculatorScreen::Width; ++x)
            line[x] = only ? colours[screen.bit(*only, x, y) ? 3 : 0]
                           : colours[std::size_t(screen.level(x, y))];
    }
    return image;
}

} // namespace

// The screen at the window's zoom: a drag or the arrow keys move the sprite.
class ScreenView : public QWidget
{
public:
    explicit ScreenView(ScreenWindow& window) : QWidget(&window), window_(window)
    {
        setObjectName(QStringLiteral("screenView"));
        setFocusPolicy(Qt::StrongFocus);
        setAccessibleName(tr("Calculator screen"));
        setCursor(Qt::OpenHandCursor);
    }

    void setImage(const QImage& image)
    {
        image_ = image;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.drawImage(rect(), image_);
        if (hasFocus()) {
            painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
            painter.drawRect(rect().adjusted(0, 0, -1, -1));
        }
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton)
            return;
        grab_ = pixelAt(event->position().toPoint()) - window_.position();
        dragging_ = true;
    }

    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (dragging_)
            window_.setPosition(pixelAt(event->position().toPoint()) - grab_);
    }

    void mouseReleaseEvent(QMouseEvent*) override { dragging_ = false; }

    void keyPressEvent(QKeyEvent* event) override
    {
        const int step = event->modifiers() & Qt::ShiftModifier ? ShiftStep : 1;
        switch (event->key()) {
        case Qt::Key_Left:
            window_.moveSprite(-step, 0);
            break;
        case Qt::Key_Right:
            window_.moveSprite(step, 0);
            break;
        case Qt::Key_Up:
            window_.moveSprite(0, -step);
            break;
        case Qt::Key_Down:
            window_.moveSprite(0, step);
            break;
        default:
            QWidget::keyPressEvent(event);
        }
    }

private:
    QPoint pixelAt(QPoint point) const
    {
        const int zoom = window_.zoom();
        return {point.x() < 0 ? (point.x() - zoom + 1) / zoom : point.x() / zoom,
                point.y() < 0 ? (point.y() - zoom + 1) / zoom : point.y() / zoom};
    }

    ScreenWindow& window_;
    QImage image_;
    QPoint grab_;
    bool dragging_ = false;
};

ScreenWindow::ScreenWindow(Platform& platform, SpriteDocument& document, QWidget* parent)
    : QDialog(parent), platform_(platform), document_(document)
{
    setObjectName(QStringLiteral("calculatorScreenWindow"));
    setWindowTitle(tr("Calculator Screen"));
    createControls();
    flickerTimer_.setParent(this);
    flickerTimer_.setObjectName(QStringLiteral("flickerTimer"));
    flickerTimer_.setTimerType(Qt::PreciseTimer);
    // Ticks a little faster than the frames; each frame is told by the time.
    flickerTimer_.setInterval(1000 / FramesPerSecond / 2);
    connect(&flickerTimer_, &QTimer::timeout, this, [this] {
        const int frame = int(flickerClock_.elapsed() * FramesPerSecond / 1000 % 3);
        if (frame != frame_) {
            frame_ = frame;
            view_->setImage(shownImage());
        }
    });
    // Every change of the sprite redraws the screen in the same event.
    connect(&document_, &SpriteDocument::cellsChanged, this, &ScreenWindow::redraw);
    connect(&document_, &SpriteDocument::sizeChanged, this, &ScreenWindow::redraw);
    redraw();
}

ScreenWindow::~ScreenWindow() = default;

void ScreenWindow::createControls()
{
    view_ = new ScreenView(*this);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(view_, 0, Qt::AlignHCenter);

    positionLabel_ = new QLabel(this);
    positionLabel_->setObjectName(QStringLiteral("positionLabel"));
    pastEndLabel_ = new QLabel(this);
    pastEndLabel_->setObjectName(QStringLiteral("pastEndLabel"));
    auto* where = new QHBoxLayout;
    where->addWidget(positionLabel_);
    where->addStretch();
    where->addWidget(pastEndLabel_);
    layout->addLayout(where);

    auto* form = new QFormLayout;
    const auto combo = [this](const char* name, const QStringList& items) {
        auto* box = new QComboBox(this);
        box->setObjectName(QString::fromLatin1(name));
        box->addItems(items);
        connect(box, &QComboBox::currentIndexChanged, this, &ScreenWindow::redraw);
        return box;
    };
    zoomBox_ = new QSpinBox(this);
    zoomBox_->setObjectName(QStringLiteral("zoom"));
    zoomBox_->setRange(MinimumZoom, MaximumZoom);
    zoomBox_->setValue(StartZoom);
    zoomBox_->setSuffix(tr(" x"));
    connect(zoomBox_, &QSpinBox::valueChanged, this, &ScreenWindow::redraw);
    form->addRow(tr("&Zoom:"), zoomBox_);
    coloursBox_ = combo("colours", {tr("LCD"), tr("Black and White")});
    form->addRow(tr("Co&lours:"), coloursBox_);
    modeBox_ = combo("mode", {tr("XOR (ionPutSprite, Pt-Change)"), tr("OR (Pt-On)"),
                              tr("Overwrite (Pt-Off)"), tr("Masked (AND, then OR)")});
    form->addRow(tr("&Mode:"), modeBox_);
    clipBox_ = new QCheckBox(tr("Clip at the &edges"), this);
    clipBox_->setObjectName(QStringLiteral("clip"));
    clipBox_->setChecked(true);
    connect(clipBox_, &QCheckBox::toggled, this, &ScreenWindow::redraw);
    form->addRow(QString(), clipBox_);
    greyBox_ = combo("grey", {tr("Blend"), tr("Flicker")});
    connect(greyBox_, &QComboBox::currentIndexChanged, this, &ScreenWindow::updateFlicker);
    form->addRow(tr("&Grey:"), greyBox_);
    backgroundBox_ = combo("background", {tr("Blank"), tr("Tiles")});
    form->addRow(tr("Bac&kground:"), backgroundBox_);
    layout->addLayout(form);

    auto* buttons = new QHBoxLayout;
    const auto button = [this, buttons](const char* name, const QString& text, auto run) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, run);
        buttons->addWidget(b);
    };
    button("openBackground", tr("Open &Background..."), &ScreenWindow::openBackground);
    button("saveScreen", tr("Save Screen &As..."), &ScreenWindow::saveScreen);
    button("copyScreen", tr("&Copy Screen"), &ScreenWindow::copyScreen);
    layout->addLayout(buttons);

    const std::pair<QKeySequence, int> zooms[] = {{Qt::CTRL | Qt::Key_Plus, 1},
                                                  {Qt::CTRL | Qt::Key_Equal, 1},
                                                  {Qt::CTRL | Qt::Key_Minus, -1}};
    for (const auto& [keys, step] : zooms)
        connect(new QShortcut(keys, this), &QShortcut::activated, this,
                [this, step = step] { setZoom(zoom() + step); });
}

int ScreenWindow::zoom() const
{
    return zoomBox_->value();
}

void ScreenWindow::setZoom(int zoom)
{
    zoomBox_->setValue(std::clamp(zoom, MinimumZoom, MaximumZoom));
}

CalculatorScreen::Mode ScreenWindow::mode() const
{
    return static_cast<CalculatorScreen::Mode>(modeBox_->currentIndex());
}

bool ScreenWindow::clips() const
{
    return clipBox_->isChecked();
}

void ScreenWindow::setPosition(QPoint position)
{
    position_ = position;
    redraw();
}

void ScreenWindow::moveSprite(int dx, int dy)
{
    setPosition(position_ + QPoint(dx, dy));
}

// The screen again from the document: the background, then the sprite at
// its place, kept within the places the edge rule allows.
void ScreenWindow::showFrame(std::optional<SpritePixels> frame)
{
    playedFrame_ = std::move(frame);
    redraw();
}

void ScreenWindow::redraw()
{
    // Hidden, nothing is drawn: showing draws the screen again.
    if (!isVisible() && placed_)
        return;
    const SpritePixels sprite = playedFrame_ ? *playedFrame_ : document_.pixels();
    if (!placed_) {
        position_ = {(CalculatorScreen::Width - sprite.width) / 2,
                     (CalculatorScreen::Height - sprite.height) / 2};
        placed_ = true;
    }
    const bool clip = clips();
    position_ = {std::clamp(position_.x(), CalculatorScreen::minimumX(sprite.width, clip),
                            CalculatorScreen::maximumX()),
                 std::clamp(position_.y(), CalculatorScreen::minimumY(sprite.height, clip),
                            CalculatorScreen::maximumY())};
    screen_.clear();
    if (backgroundBox_->currentIndex() == 1)
        screen_.drawTiles(sprite, mode());
    else if (backgroundBox_->currentIndex() == 2 && background_)
        screen_.drawPicture(*background_);
    bytesPastEnd_ = screen_.draw(sprite, position_.x(), position_.y(), mode(), clip);
    positionLabel_->setText(tr("x %1, y %2").arg(position_.x()).arg(position_.y()));
    pastEndLabel_->setText(
        bytesPastEnd_ == 0   ? QString()
        : bytesPastEnd_ == 1 ? tr("1 byte past the end of the screen buffer")
                             : tr("%1 bytes past the end of the screen buffer").arg(bytesPastEnd_));
    view_->setFixedSize(CalculatorScreen::Width * zoom(), CalculatorScreen::Height * zoom());
    view_->setImage(shownImage());
}

QImage ScreenWindow::frameImage() const
{
    std::optional<CalculatorScreen::Buffer> only;
    // Flicker shows the dark buffer two frames of every three, the light one.
    if (greyBox_->currentIndex() == 1 && isVisible())
        only = frame_ < 2 ? CalculatorScreen::Buffer::Dark : CalculatorScreen::Buffer::Light;
    return imageOf(screen_, chosenColours(coloursBox_->currentIndex()), only);
}

QImage ScreenWindow::shownImage() const
{
    return frameImage().scaled(CalculatorScreen::Width * zoom(), CalculatorScreen::Height * zoom());
}

QImage ScreenWindow::screenPicture() const
{
    return imageOf(screen_, BlackAndWhiteColours, std::nullopt);
}

void ScreenWindow::updateFlicker()
{
    const bool flicker = greyBox_->currentIndex() == 1 && isVisible();
    if (flicker && !flickerTimer_.isActive()) {
        flickerClock_.start();
        frame_ = 0;
        flickerTimer_.start();
    } else if (!flicker)
        flickerTimer_.stop();
    view_->setImage(shownImage());
}

void ScreenWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    redraw();
    updateFlicker();
    view_->setFocus();
}

void ScreenWindow::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    flickerTimer_.stop();
}

// A Pic or any picture the editor reads, at most the screen's size, at the
// top left; through the one input reader.
void ScreenWindow::openBackground()
{
    backgroundDialog_.title = tr("Open Background");
    backgroundDialog_.filter = QStringLiteral(
        "Calculator pictures and pictures|*.8xi *.png *.bmp *.gif *.jpg *.jpeg *.pbm *.pgm "
        "*.ppm *.xbm *.xpm|All files|*");
    const std::optional<QString> path = platform_.openFileName(backgroundDialog_);
    if (!path)
        return;
    backgroundDialog_.fileName = *path;
    std::string bytes;
    FileError failure;
    if (!readRegularFile(*path, MaxPictureRead, bytes, failure)) {
        reportProblem(platform_, QStringLiteral("The background \"%1\" could not be opened:\n%2")
                                     .arg(*path, failure.reason));
        return;
    }
    InputRequest request;
    request.picture.wholeWidth = CalculatorScreen::Width;
    request.picture.wholeHeight = CalculatorScreen::Height;
    request.picture.greyPicturesInLevels = true;
    request.picture.mask = true;
    request.readPicture = tilesOfPicture;
    request.refuseKind = [](InputKind kind) -> std::optional<std::string> {
        if (kind == InputKind::CalculatorFile || kind == InputKind::Picture)
            return std::nullopt;
        return "it is no picture: a background is a calculator Pic (.8xi) or a picture";
    };
    std::optional<SpritePixels> picture;
    const InputReading reading =
        readInput(path->toStdString(), bytes, request, [&picture](const SpritePixels& pixels) {
            picture = pixels;
            return true;
        });
    if (!reading.read || !picture) {
        reportProblem(platform_, QStringLiteral("The background \"%1\" could not be opened:\n%2")
                                     .arg(*path, QString::fromStdString(reading.reason)));
        return;
    }
    background_ = std::move(picture);
    if (backgroundBox_->count() < 3)
        backgroundBox_->addItem(tr("Picture"));
    backgroundBox_->setCurrentIndex(2);
    redraw();
}

// A PNG of the screen in black and white colours, or a Pic: only black and
// white, only the top 63 rows.
void ScreenWindow::saveScreen()
{
    const std::optional<QString> path = askFileToSave(
        platform_, saveDialog_,
        {tr("Save Screen As"), QStringLiteral("PNG pictures|*.png|TI-83 Plus pictures|*.8xi"),
         QStringLiteral("png"), QStringLiteral("screen.png")});
    if (!path)
        return;
    const auto refuse = [&](const QString& why) {
        reportProblem(
            platform_,
            QStringLiteral("The screen could not be saved as \"%1\":\n%2").arg(*path, why));
    };
    QByteArray bytes;
    if (path->endsWith(QStringLiteral(".8xi"), Qt::CaseInsensitive)) {
        const SpritePixels levels = screen_.levels();
        if (hasGrey(levels))
            return refuse(tr("it has grey pixels; a Pic holds only black and white."));
        std::string reason;
        const std::optional<std::string> picture = picBytesOf(levels, reason);
        if (!picture)
            return refuse(tr("it has a pixel set in row 64; a Pic holds only the top 63 rows."));
        const std::string base = QFileInfo(*path).completeBaseName().toStdString();
        const std::optional<std::string> name = picVariableName(base);
        bytes = QByteArray::fromStdString(
            picFile(name ? *name : *picVariableName("Pic1"), *picture, false));
    } else {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        screenPicture().save(&buffer, "PNG");
    }
    FileError failure;
    if (!writeWholeFile(*path, bytes, failure))
        refuse(failure.reason);
}

void ScreenWindow::copyScreen()
{
    // In Flicker, the Blend colours: one frame would show half the picture.
    const Colours& colours = coloursBox_->currentIndex() == 0 ? LcdColours : BlackAndWhiteColours;
    platform_.setClipboardImage(
        imageOf(screen_, colours, std::nullopt)
            .scaled(CalculatorScreen::Width * zoom(), CalculatorScreen::Height * zoom()));
}

} // namespace quillox
