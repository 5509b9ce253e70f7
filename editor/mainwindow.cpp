#include "mainwindow.h"

#include "codebox.h"
#include "codeexport.h"
#include "gridview.h"
#include "progressbar.h"
#include "spritecode.h"
#include "spritefile.h"
#include "twips.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QStatusBar>
#include <QTimer>

namespace quillox
{

namespace
{

constexpr int StartPosition = 8;
constexpr int ProgressMinimum = 1;
constexpr int ProgressMaximum = 226;
const char HintProperty[] = "quilloxHint";
const QString SpriteFilter = QStringLiteral("Quillox (*.spr)|*.spr");

QString sizeText(const SpriteGrid& grid)
{
    return QStringLiteral("%1 x %2").arg(grid.height()).arg(grid.width());
}

QString failureMessage(const char* what)
{
    return QStringLiteral("Oh no! something is wrong,\nplease report the problem.\nError(s):\n") +
           QString::fromLocal8Bit(what);
}

// The application's font, set explicitly so that it does not inherit the
// caption font of the frame it sits in.
QFont defaultFont()
{
    QFont font = QApplication::font();
    font.setFamily(font.family());
    font.setPointSizeF(font.pointSizeF());
    font.setBold(false);
    return font;
}

// Places `widget` at a rectangle given in the client area's twips, inside
// `parent`, which itself sits at `parentOrigin` in the client area.
void place(QWidget* widget, const QRect& clientRect, QPoint parentOrigin = {})
{
    widget->setGeometry(clientRect.translated(-parentOrigin));
}

} // namespace

MainWindow::MainWindow(Platform& platform, QWidget* parent)
    : QMainWindow(parent), platform_(platform),
      codeBuilder_([](std::string& out, const SpriteGrid& grid) {
          appendSpriteCode(out, grid.columnPosition(), grid.rowPosition(), grid.colours());
      })
{
    setObjectName(QStringLiteral("progg"));
    setWindowTitle(QStringLiteral("Quillox"));
    setWindowIcon(QIcon(QStringLiteral(":/quillox/quillox-32.png")));
    setWindowFlags(windowFlags() & ~Qt::WindowMaximizeButtonHint);

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(twips(8040), twips(5580));
    setCentralWidget(client);

    createActions();
    createMenus();
    auto* rule = new QFrame(client);
    rule->setObjectName(QStringLiteral("rule"));
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Plain);
    rule->setGeometry(0, 0, client->width(), 1);
    createGridArea(client);
    createCodeFrame(client);
    createSpriteFrame(client);
    createProgressFrame(client);
    createStatusBar(client);
    setFixedSize(sizeHint());

    // The load step: both sliders to 8, then the size refresh.
    columnSlider_->setValue(StartPosition);
    rowSlider_->setValue(StartPosition);
    RefreshSize();
    tickClock();
}

MainWindow::~MainWindow() = default;

void MainWindow::createActions()
{
    auto action = [this](const char* name, const QString& text, void (MainWindow::*run)(),
                         const QKeySequence& shortcut = {}) {
        auto* a = new QAction(text, this);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(shortcut);
        connect(a, &QAction::triggered, this, run);
        return a;
    };
    openAction_ = action("open", QStringLiteral("&Open Sprite..."), &MainWindow::OpenSprite);
    saveAsAction_ = action("saveas", QStringLiteral("&Save Sprite As..."), &MainWindow::SaveSprite);
    printAction_ = action("sada", QStringLiteral("&Print Code"), &MainWindow::PrintCodeText);
    exitAction_ = action("sdfdsf", QStringLiteral("&Exit"), &MainWindow::Exit,
                         QKeySequence(Qt::CTRL | Qt::Key_Q));
    clearAction_ = action("dsfdsfsdf", QStringLiteral("&Clear Sprite"), &MainWindow::ClearSprite);
    backColourAction_ = action("sdsdsdsd", QStringLiteral("C&odeText Background color"),
                               &MainWindow::SetCodeBackColour);
    invertAction_ = action("sfdsf", QStringLiteral("&Invert"), &MainWindow::Invert,
                           QKeySequence(Qt::CTRL | Qt::Key_I));
    fillBlackAction_ = action("erh", QStringLiteral("&Fill Black"), &MainWindow::FillBlack,
                              QKeySequence(Qt::CTRL | Qt::Key_B));
    helpAction_ = new QAction(QStringLiteral("&About Sprites"), this);
    helpAction_->setObjectName(QStringLiteral("ds"));
    connect(helpAction_, &QAction::triggered, this, &MainWindow::helpRequested);
    aboutAction_ = new QAction(QStringLiteral("A&bout"), this);
    aboutAction_->setObjectName(QStringLiteral("sa"));
    connect(aboutAction_, &QAction::triggered, this, &MainWindow::aboutRequested);
    // Commands that only buttons carry.
    newAction_ = action("newSprite", QStringLiteral("&New"), &MainWindow::NewSprite);
    saveCodeAction_ = action("saveCode", QStringLiteral("&Save"), &MainWindow::SaveCodeFile);
    copyAction_ = action("copyCode", QStringLiteral("&Copy"), &MainWindow::CopyCodeText);
}

void MainWindow::createMenus()
{
    auto separator = [this](QMenu* menu, const char* name) {
        QAction* s = menu->addSeparator();
        s->setObjectName(QString::fromLatin1(name));
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("sdfgsd"));
    file->addAction(openAction_);
    file->addAction(saveAsAction_);
    separator(file, "gg");
    file->addAction(printAction_);
    separator(file, "fdd");
    file->addAction(exitAction_);

    QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
    options->setObjectName(QStringLiteral("dfsf"));
    options->addAction(clearAction_);
    options->addAction(backColourAction_);
    QMenu* effects = options->addMenu(QStringLiteral("&Effects"));
    effects->setObjectName(QStringLiteral("gh"));
    effects->addAction(invertAction_);
    effects->addAction(fillBlackAction_);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("asdas"));
    help->addAction(helpAction_);
    help->addAction(aboutAction_);
}

void MainWindow::createGridArea(QWidget* client)
{
    sizeLabel_ = new QLabel(client);
    sizeLabel_->setObjectName(QStringLiteral("Label1"));
    QFont labelFont(QStringLiteral("Arial"));
    labelFont.setPointSizeF(14.25);
    labelFont.setBold(true);
    labelFont.setUnderline(true);
    sizeLabel_->setFont(labelFont);
    place(sizeLabel_, twipRect(1560, 0, 1935, 375));

    gridView_ = new GridView(grid_, client);
    gridView_->move(twips(240), twips(360));
    connect(gridView_, &GridView::cellClicked, this, &MainWindow::clickCell);

    auto slider = [client](const char* name, Qt::Orientation orientation, const QRect& rect) {
        auto* s = new QSlider(orientation, client);
        s->setObjectName(QString::fromLatin1(name));
        s->setRange(SpriteGrid::MinPosition, SpriteGrid::MaxPosition);
        s->setPageStep(1);
        s->setTracking(true);
        place(s, rect);
        return s;
    };
    columnSlider_ = slider("Slider1", Qt::Horizontal, twipRect(120, 4080, 3855, 375));
    columnSlider_->setAccessibleName(tr("Sprite width"));
    rowSlider_ = slider("Slider2", Qt::Vertical, twipRect(3960, 315, 375, 3750));
    rowSlider_->setAccessibleName(tr("Sprite height"));
    // Position 1 at the top end.
    rowSlider_->setInvertedAppearance(true);
    rowSlider_->setInvertedControls(true);
    columnSlider_->setValue(StartPosition);
    rowSlider_->setValue(StartPosition);
    connect(columnSlider_, &QSlider::valueChanged, this, &MainWindow::RefreshSize);
    connect(rowSlider_, &QSlider::valueChanged, this, &MainWindow::RefreshSize);
}

QPushButton* MainWindow::createButton(QWidget* frame, const char* name, const QString& text,
                                      const QRect& rect, QAction* command, const QString& hint)
{
    auto* button = new QPushButton(text, frame);
    button->setObjectName(QString::fromLatin1(name));
    button->setFont(defaultFont());
    button->setAutoDefault(false);
    place(button, rect, frame->pos());
    button->setMouseTracking(true);
    button->setProperty(HintProperty, hint);
    button->installEventFilter(this);
    connect(button, &QPushButton::clicked, command, &QAction::trigger);
    return button;
}

void MainWindow::createCodeFrame(QWidget* client)
{
    codeFrame_ = new QGroupBox(QStringLiteral("   &Code     "), client);
    codeFrame_->setObjectName(QStringLiteral("Frame1"));
    codeFrame_->setFont(QFont(QStringLiteral("MS Sans Serif"), 12));
    place(codeFrame_, twipRect(4440, 120, 3375, 4215));
    codeFrame_->setMouseTracking(true);
    codeFrame_->installEventFilter(this);

    source_ = new CodeBox(codeFrame_);
    source_->setObjectName(QStringLiteral("source"));
    source_->setFont(defaultFont());
    source_->setTabStopDistance(4 * source_->fontMetrics().horizontalAdvance(QLatin1Char('0')));
    source_->setAccessibleName(tr("Sprite code"));
    place(source_, twipRect(4560, 480, 3135, 3135), codeFrame_->pos());

    createButton(codeFrame_, "Command6", QStringLiteral("&Print"), twipRect(4680, 3720, 615, 495),
                 printAction_, QStringLiteral("Print the code."));
    createButton(codeFrame_, "Command8", QStringLiteral("&Save"), twipRect(5400, 3720, 615, 495),
                 saveCodeAction_, QStringLiteral("Save the code as a z80-file."));
    createButton(codeFrame_, "Command7", QStringLiteral("&Copy"), twipRect(6120, 3720, 615, 495),
                 copyAction_, QStringLiteral("Copy the code into the clipboard."));
}

void MainWindow::createSpriteFrame(QWidget* client)
{
    spriteFrame_ = new QGroupBox(QStringLiteral("&Sprite  Options"), client);
    spriteFrame_->setObjectName(QStringLiteral("Frame2"));
    spriteFrame_->setFont(QFont(QStringLiteral("MS Sans Serif"), 12));
    place(spriteFrame_, twipRect(240, 4440, 1965, 870));
    spriteFrame_->setMouseTracking(true);
    spriteFrame_->installEventFilter(this);

    createButton(spriteFrame_, "Command9", QStringLiteral("&Save"), twipRect(360, 4785, 570, 405),
                 saveAsAction_, QStringLiteral("Save the sprite as a spr-file."));
    createButton(spriteFrame_, "Command10", QStringLiteral("&Open"), twipRect(975, 4785, 555, 405),
                 openAction_, QStringLiteral("Open a saved sprite."));
    createButton(spriteFrame_, "Command11", QStringLiteral("&New"), twipRect(1560, 4785, 555, 405),
                 newAction_, QStringLiteral("Create a empty 8x8 sprite."));
}

void MainWindow::createProgressFrame(QWidget* client)
{
    auto* frame = new QGroupBox(QStringLiteral("&Progress"), client);
    frame->setObjectName(QStringLiteral("Frame3"));
    place(frame, twipRect(4440, 4440, 3375, 615));
    progressBar_ = new ProgressBar(frame);
    progressBar_->setObjectName(QStringLiteral("ProgressBar1"));
    progressBar_->setRange(ProgressMinimum, ProgressMaximum);
    progressBar_->setValue(ProgressMinimum);
    progressBar_->setTextVisible(false);
    progressBar_->setAccessibleName(tr("Progress"));
    place(progressBar_, twipRect(4560, 4680, 3135, 255), frame->pos());
}

void MainWindow::createStatusBar(QWidget* client)
{
    auto* status = new QStatusBar(client);
    status->setObjectName(QStringLiteral("StatusBar1"));
    status->setSizeGripEnabled(false);
    place(status, twipRect(0, 5325, 8040, 255));
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
    connect(clock_, &QTimer::timeout, this, &MainWindow::tickClock);
}

QString MainWindow::codeText() const
{
    return source_->codeText();
}

void MainWindow::RefreshSize()
{
    grid_.setColumnPosition(columnSlider_->value());
    grid_.setRowPosition(rowSlider_->value());
    sizeLabel_->setText(sizeText(grid_));
    grid_.updateShownFlags();
    gridView_->update();
    GenerateSpriteCode();
    emit sizeRefreshed();
}

void MainWindow::GenerateSpriteCode()
{
    std::string text;
    try {
        codeBuilder_(text, grid_);
    } catch (const std::exception& failure) {
        source_->setCodeText(QString::fromLatin1(text.data(), static_cast<int>(text.size())));
        platform_.messageBox(failureMessage(failure.what()), ApplicationTitle, MessageButtons::Ok,
                             MessageIcon::Stop);
        return;
    }
    source_->setCodeText(QString::fromLatin1(text.data(), static_cast<int>(text.size())));
}

void MainWindow::clickCell(int index)
{
    grid_.setColour(index, grid_.isClear(index) ? Black : White);
    gridView_->update();
    GenerateSpriteCode();
}

void MainWindow::showProgress(int value)
{
    progressBar_->setValue(value);
    // Paint now: the loop keeps the event queue waiting.
    progressBar_->repaint();
}

void MainWindow::NewSprite()
{
    for (int index = 1; index <= SpriteGrid::CellCount; ++index) {
        showProgress(index);
        grid_.setColour(index, White);
    }
    columnSlider_->setValue(StartPosition);
    rowSlider_->setValue(StartPosition);
    RefreshSize();
    showProgress(ProgressMinimum);
}

void MainWindow::ClearSprite()
{
    for (int index = 1; index <= SpriteGrid::CellCount; ++index)
        grid_.setColour(index, White);
    gridView_->update();
    GenerateSpriteCode();
}

void MainWindow::Invert()
{
    for (int index = 1; index <= SpriteGrid::CellCount; ++index) {
        showProgress(index);
        if (grid_.isShown(index))
            grid_.setColour(index, grid_.isClear(index) ? Black : White);
    }
    showProgress(ProgressMinimum);
    RefreshSize();
}

void MainWindow::FillBlack()
{
    for (int index = 1; index <= SpriteGrid::CellCount; ++index) {
        showProgress(index);
        if (grid_.isShown(index))
            grid_.setColour(index, Black);
    }
    showProgress(ProgressMinimum);
    RefreshSize();
}

void MainWindow::SaveSprite()
{
    text2_ = spriteFileText(grid_);
    commonDialog1_.title = QStringLiteral("Save Sprite as *.spr");
    commonDialog1_.filter = SpriteFilter;
    commonDialog1_.defaultSuffix = QStringLiteral("spr");
    const std::optional<QString> name = platform_.saveFileName(commonDialog1_);
    if (!name)
        return;
    commonDialog1_.fileName = *name;
    if (const std::optional<QString> failure = vorrel::SaveSpriteFile(*name, text2_))
        platform_.messageBox(
            QStringLiteral("The sprite could not be saved as \"%1\":\n%2").arg(*name, *failure),
            ApplicationTitle, MessageButtons::Ok, MessageIcon::Stop);
}

void MainWindow::OpenSprite()
{
    commonDialog1_.filter = SpriteFilter;
    // The shared dialog keeps the save title; opening shows one of its own.
    FileDialogRequest request = commonDialog1_;
    request.title = QStringLiteral("Open Sprite");
    const std::optional<QString> name = platform_.openFileName(request);
    if (!name)
        return;
    commonDialog1_.fileName = *name;
    if (const std::optional<QString> failure = vorrel::LoadSpriteFile(*name, text2_, *this))
        platform_.messageBox(
            QStringLiteral("The sprite file \"%1\" could not be opened:\n%2").arg(*name, *failure),
            ApplicationTitle, MessageButtons::Ok, MessageIcon::Stop);
}

void MainWindow::SaveCodeFile()
{
    SaveCode(platform_, box_, codeText());
}

void MainWindow::PrintCodeText()
{
    PrintCode(platform_, codeText());
}

void MainWindow::CopyCodeText()
{
    CopyCode(platform_, *progressBar_, codeText());
}

void MainWindow::SetCodeBackColour()
{
    SetCodeBackColor(platform_,
                     [this](const QColor& colour) { source_->setBackgroundColour(colour); });
}

void MainWindow::Exit()
{
    if (ending_)
        return;
    ending_ = true;
    emit programEnding(true);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!ending_) {
        ending_ = true;
        emit programEnding(false);
    }
    event->accept();
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (centred_)
        return;
    centred_ = true;
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void MainWindow::setRowSliderPosition(int position)
{
    if (SpriteGrid::isValidPosition(position))
        rowSlider_->setValue(position);
}

void MainWindow::setColumnSliderPosition(int position)
{
    if (SpriteGrid::isValidPosition(position))
        columnSlider_->setValue(position);
}

void MainWindow::setCellColour(int row, int column, Rgb colour)
{
    grid_.setColour(row, column, colour);
    gridView_->update();
}

void MainWindow::rebuildCode()
{
    // A failure while rebuilding after a load is skipped without a message.
    std::string text;
    try {
        codeBuilder_(text, grid_);
    } catch (const std::exception&) {
    }
    source_->setCodeText(QString::fromLatin1(text.data(), static_cast<int>(text.size())));
}

void MainWindow::tickClock()
{
    const QTime now = platform_.currentTime();
    clockPanel_->setText(QStringLiteral("               Time: ") +
                         now.toString(QStringLiteral("HH:mm:ss")));
    // Wake at the next second boundary rather than every millisecond.
    clock_->start(1000 - now.msec());
}

void MainWindow::setHint(const QString& text)
{
    hintPanel_->setText(text);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseMove && type != QEvent::Enter)
        return QMainWindow::eventFilter(watched, event);
    if (watched == codeFrame_ || watched == spriteFrame_) {
        // Moves over a child reach the frame too; only its bare area clears.
        auto* frame = static_cast<QWidget*>(watched);
        const QPoint at = frame->mapFromGlobal(QCursor::pos());
        const QPoint pos =
            type == QEvent::MouseMove ? static_cast<QMouseEvent*>(event)->position().toPoint() : at;
        if (!frame->childAt(pos))
            setHint(QString());
    } else if (const QVariant hint = watched->property(HintProperty); hint.isValid()) {
        setHint(hint.toString());
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace quillox
