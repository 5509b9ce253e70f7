#pragma once

#include "editor/calculatorscreen.h"
#include "platform/platform.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QImage>
#include <QTimer>

#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;

namespace quillox
{

class SpriteDocument;
class ScreenView;

// The calculator's screen beside the grid: the sprite at its real size,
// drawn on the TI-83 Plus screen as the common routines draw it, redrawn
// with every change of the document. Modeless; Esc and the close button
// hide it with its state kept.
class ScreenWindow : public QDialog
{
    Q_OBJECT
public:
    static constexpr int MinimumZoom = 1;
    static constexpr int MaximumZoom = 8;

    ScreenWindow(Platform& platform, SpriteDocument& document, QWidget* parent = nullptr);
    ~ScreenWindow() override;

    const CalculatorScreen& screen() const { return screen_; }
    // The sprite's top-left corner on the screen.
    QPoint position() const { return position_; }
    void setPosition(QPoint position);
    void moveSprite(int dx, int dy);
    int zoom() const;
    void setZoom(int zoom);
    // How many bytes the last unclipped draw would have written past the
    // buffer's end.
    int bytesPastEnd() const { return bytesPastEnd_; }
    // The screen as shown: at the zoom, in the chosen colours (in Flicker,
    // the frame shown now).
    QImage shownImage() const;
    // One pixel a screen pixel, in the Black and White colours.
    QImage screenPicture() const;

    // Draws this frame in place of the document's sprite (a set's frames
    // played), or the document's sprite again with none.
    void showFrame(std::optional<SpritePixels> frame);
    const std::optional<SpritePixels>& shownFrame() const { return playedFrame_; }

    void openBackground();
    void saveScreen();
    void copyScreen();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void createControls();
    void redraw();
    void updateFlicker();
    QImage frameImage() const;
    CalculatorScreen::Mode mode() const;
    bool clips() const;

    Platform& platform_;
    SpriteDocument& document_;
    CalculatorScreen screen_;
    QPoint position_;
    bool placed_ = false;
    int bytesPastEnd_ = 0;
    std::optional<SpritePixels> background_;
    std::optional<SpritePixels> playedFrame_;
    FileDialogRequest backgroundDialog_;
    FileDialogRequest saveDialog_;
    QTimer flickerTimer_;
    QElapsedTimer flickerClock_;
    int frame_ = 0;

    ScreenView* view_ = nullptr;
    QSpinBox* zoomBox_ = nullptr;
    QComboBox* coloursBox_ = nullptr;
    QComboBox* modeBox_ = nullptr;
    QCheckBox* clipBox_ = nullptr;
    QComboBox* greyBox_ = nullptr;
    QComboBox* backgroundBox_ = nullptr;
    QLabel* positionLabel_ = nullptr;
    QLabel* pastEndLabel_ = nullptr;
};

} // namespace quillox
