#include "editor/mainwindow.h"

#include "code/bytecode.h"
#include "code/codeexport.h"
#include "code/codereader.h"
#include "code/spritecode.h"
#include "editor/codebox.h"
#include "editor/gridview.h"
#include "editor/progressbar.h"
#include "editor/twips.h"
#include "files/inputkind.h"
#include "files/picture.h"
#include "files/spritefile.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
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

class MainWindow::EditStep
{
public:
    explicit EditStep(MainWindow& window) : window_(window) { window_.beginStep(); }
    ~EditStep() { window_.endStep(); }
    EditStep(const EditStep&) = delete;
    EditStep& operator=(const EditStep&) = delete;

private:
    MainWindow& window_;
};

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
    setAcceptDrops(true);

    // The load step: both sliders to 8, then the size refresh.
    columnSlider_->setValue(StartPosition);
    rowSlider_->setValue(StartPosition);
    RefreshSize();
    tickClock();
    updateEditActions();
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
    createEditActions();
}

// Commands beyond the menu bar: window shortcuts, the grid's and the code
// box's context menus. The menu bar keeps its items and their look.
void MainWindow::createEditActions()
{
    auto action = [this](const char* name, const QString& text, QList<QKeySequence> keys,
                         auto run) {
        auto* a = new QAction(text, this);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcuts(keys);
        connect(a, &QAction::triggered, this, run);
        return a;
    };
    undoAction_ = action("undo", tr("&Undo"), {Qt::CTRL | Qt::Key_Z}, [this] { undo(); });
    redoAction_ =
        action("redo", tr("&Redo"), {Qt::CTRL | Qt::SHIFT | Qt::Key_Z, Qt::CTRL | Qt::Key_Y},
               [this] { redo(); });
    addActions({undoAction_, redoAction_});

    gridMenu_ = new QMenu(this);
    gridMenu_->setObjectName(QStringLiteral("gridMenu"));
    gridMenu_->addActions({undoAction_, redoAction_});
    gridMenu_->addSeparator();
    const struct {
        const char* name;
        QString text;
        SpriteTransform transform;
    } transforms[] = {
        {"flipHorizontal", tr("Flip &Horizontal"), SpriteTransform::FlipHorizontal},
        {"flipVertical", tr("Flip &Vertical"), SpriteTransform::FlipVertical},
        {"rotate", tr("R&otate 90\u00B0"), SpriteTransform::RotateClockwise},
        {"shiftLeft", tr("Shift &Left"), SpriteTransform::ShiftLeft},
        {"shiftRight", tr("Shift &Right"), SpriteTransform::ShiftRight},
        {"shiftUp", tr("Shift U&p"), SpriteTransform::ShiftUp},
        {"shiftDown", tr("Shift &Down"), SpriteTransform::ShiftDown},
    };
    for (const auto& entry : transforms) {
        QAction* a =
            action(entry.name, entry.text, {}, [this, t = entry.transform] { transform(t); });
        gridMenu_->addAction(a);
        if (entry.transform == SpriteTransform::RotateClockwise) {
            rotateAction_ = a;
            gridMenu_->addSeparator();
        }
    }
    gridMenu_->addSeparator();
    pasteAction_ =
        action("pasteCode", tr("&Paste Code"), {Qt::CTRL | Qt::Key_V}, [this] { pasteCode(); });
    pasteAction_->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    gridMenu_->addAction(pasteAction_);

    copyAssemblerBytesAction_ = action("copyAssemblerBytes", tr("Copy as Assembler Bytes"), {},
                                       [this] { copyCodeAsBytes(false); });
    copyHexBytesAction_ =
        action("copyHexBytes", tr("Copy as Hex Bytes"), {}, [this] { copyCodeAsBytes(true); });

    // Shortcuts people expect, which the menus do not show.
    const std::pair<QKeySequence, QAction*> shortcuts[] = {
        {Qt::CTRL | Qt::Key_O, openAction_}, {Qt::CTRL | Qt::Key_S, saveAsAction_},
        {Qt::CTRL | Qt::Key_N, newAction_},  {Qt::CTRL | Qt::Key_P, printAction_},
        {Qt::Key_F1, helpAction_},
    };
    for (const auto& [keys, command] : shortcuts)
        connect(new QShortcut(keys, this), &QShortcut::activated, command, &QAction::trigger);
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
    connect(gridView_, &GridView::cellPainted, this, &MainWindow::paintCell);
    connect(gridView_, &GridView::strokeStarted, this, &MainWindow::beginStep);
    connect(gridView_, &GridView::strokeEnded, this, &MainWindow::endStep);
    gridView_->addAction(pasteAction_);
    gridView_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(gridView_, &QWidget::customContextMenuRequested, this, [this](QPoint at) {
        updateEditActions();
        gridMenu_->popup(gridView_->mapToGlobal(at));
    });

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
    for (QSlider* s : {columnSlider_, rowSlider_}) {
        connect(s, &QSlider::valueChanged, this, &MainWindow::sliderMoved);
        // A drag is one undo step from press to release.
        connect(s, &QSlider::sliderPressed, this, &MainWindow::beginStep);
        connect(s, &QSlider::sliderReleased, this, &MainWindow::endStep);
    }
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
    source_->setAccessibleName(tr("Sprite code"));
    place(source_, twipRect(4560, 480, 3135, 3135), codeFrame_->pos());
    source_->setExtraMenuActions({copyAssemblerBytesAction_, copyHexBytesAction_});

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
    const EditStep step(*this);
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
    const EditStep step(*this);
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
    const EditStep step(*this);
    for (int index = 1; index <= SpriteGrid::CellCount; ++index)
        grid_.setColour(index, White);
    gridView_->update();
    GenerateSpriteCode();
}

void MainWindow::Invert()
{
    const EditStep step(*this);
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
    const EditStep step(*this);
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
    loadSprite(*name);
}

void MainWindow::loadSprite(const QString& path)
{
    const EditStep step(*this);
    if (const std::optional<QString> failure = vorrel::LoadSpriteFile(path, text2_, *this))
        platform_.messageBox(
            QStringLiteral("The sprite file \"%1\" could not be opened:\n%2").arg(path, *failure),
            ApplicationTitle, MessageButtons::Ok, MessageIcon::Stop);
}

void MainWindow::openFile(const QString& path)
{
    std::string bytes;
    if (const std::optional<QString> failure =
            vorrel::readFilePrefix(path, MaxSpriteFileRead, bytes)) {
        platform_.messageBox(
            QStringLiteral("The sprite file \"%1\" could not be opened:\n%2").arg(path, *failure),
            ApplicationTitle, MessageButtons::Ok, MessageIcon::Stop);
        return;
    }
    // A sprite file starts with its height; anything else is read as a picture.
    const bool spriteFile = path.endsWith(QStringLiteral(".spr"), Qt::CaseInsensitive) ||
                            (!bytes.empty() && bytes.front() >= '0' && bytes.front() <= '9');
    if (spriteFile) {
        commonDialog1_.fileName = path;
        loadSprite(path);
        return;
    }
    // The picture reader of the converter, with its defaults: one sprite,
    // exactly white is clear.
    std::string reason;
    std::optional<SpriteGrid> sprite;
    const auto takeSprite = [&sprite](const SpritePixels& pixels) {
        sprite = spriteOfPixels(pixels);
        return true;
    };
    if (tilesOfPicture(bytes, PictureRequest(), takeSprite, reason) && sprite)
        applySprite(*sprite);
    else
        platform_.messageBox(QStringLiteral("The picture \"%1\" could not be opened:\n%2")
                                 .arg(path, QString::fromStdString(reason)),
                             ApplicationTitle, MessageButtons::Ok, MessageIcon::Stop);
}

// A sprite from elsewhere takes the way of a sprite file load: sizes, cells,
// code. The file buffer stays as it is.
void MainWindow::applySprite(const SpriteGrid& sprite)
{
    const EditStep step(*this);
    vorrel::applySpriteFile(spriteFileText(sprite), *this);
}

void MainWindow::pasteCode()
{
    const QString text = platform_.clipboardText();
    std::string reason = "it is longer than any sprite code";
    std::optional<SpriteGrid> sprite;
    if (static_cast<std::size_t>(text.size()) <= MaxSpriteFileRead)
        sprite = readSpriteCodeText(text.toStdString(), reason);
    if (!sprite) {
        platform_.messageBox(QStringLiteral("The clipboard holds no sprite code: %1.")
                                 .arg(QString::fromStdString(reason)),
                             ApplicationTitle, MessageButtons::Ok, MessageIcon::Stop);
        return;
    }
    applySprite(*sprite);
}

void MainWindow::copyCodeAsBytes(bool hex)
{
    const std::string text = spriteByteCode(grid_, hex ? ByteRadix::Hex : ByteRadix::Binary);
    platform_.clearClipboard();
    platform_.setClipboardText(QString::fromStdString(text));
}

void MainWindow::transform(SpriteTransform transform)
{
    if (!canTransform(grid_, transform))
        return;
    const EditStep step(*this);
    transformSprite(grid_, transform);
    gridView_->update();
    GenerateSpriteCode();
}

void MainWindow::paintCell(int index, Rgb colour)
{
    const EditStep step(*this);
    grid_.setColour(index, colour);
    gridView_->update(GridView::cellRect(index));
    GenerateSpriteCode();
}

void MainWindow::beginStep()
{
    if (stepDepth_++ == 0)
        stepStart_ = stateOf(grid_);
}

void MainWindow::endStep()
{
    if (stepDepth_ == 0 || --stepDepth_ > 0)
        return;
    if (stateOf(grid_) != stepStart_)
        history_.record(stepStart_);
    updateEditActions();
}

void MainWindow::sliderMoved()
{
    if (restoring_) {
        RefreshSize();
        return;
    }
    const EditStep step(*this);
    RefreshSize();
}

void MainWindow::undo()
{
    if (stepDepth_ == 0)
        if (const std::optional<SpriteState> state = history_.undo(stateOf(grid_)))
            restore(*state);
}

void MainWindow::redo()
{
    if (stepDepth_ == 0)
        if (const std::optional<SpriteState> state = history_.redo(stateOf(grid_)))
            restore(*state);
}

// Back to a state through the size refresh and the code generator, as the
// commands that made it went.
void MainWindow::restore(const SpriteState& state)
{
    restoring_ = true;
    for (int index = 1; index <= SpriteGrid::CellCount; ++index)
        grid_.setColour(index, state.colours[static_cast<std::size_t>(index - 1)]);
    setColumnSliderPosition(state.columnPosition);
    setRowSliderPosition(state.rowPosition);
    RefreshSize();
    restoring_ = false;
    updateEditActions();
}

void MainWindow::updateEditActions()
{
    undoAction_->setEnabled(history_.canUndo());
    redoAction_->setEnabled(history_.canRedo());
    rotateAction_->setEnabled(canTransform(grid_, SpriteTransform::RotateClockwise));
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.constFirst().isLocalFile())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls.constFirst().isLocalFile())
        return;
    event->acceptProposedAction();
    openFile(urls.constFirst().toLocalFile());
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
