#include "editor/mainwindow.h"

#include "code/bytecode.h"
#include "code/codeexport.h"
#include "code/toolchaindata.h"
#include "editor/codebox.h"
#include "editor/gridview.h"
#include "editor/messages.h"
#include "editor/progressbar.h"
#include "editor/screenwindow.h"
#include "editor/spritesetwindow.h"
#include "editor/statuspanels.h"
#include "editor/twips.h"
#include "files/picture.h"
#include "platform/qtfileaccess.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSlider>

namespace quillox
{

namespace
{

constexpr int ProgressMinimum = 1;
constexpr int ProgressMaximum = 226;
const QString SpriteFilter = QStringLiteral("Quillox (*.spr)|*.spr");

QString failureMessage(const QString& what)
{
    return QStringLiteral("Oh no! something is wrong,\nplease report the problem.\nError(s):\n") +
           what;
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
    : QMainWindow(parent), platform_(platform), intake_(platform, document_, commonDialog1_)
{
    setObjectName(QStringLiteral("progg"));
    setWindowTitle(QStringLiteral("Quillox"));
    setWindowIcon(QIcon(QStringLiteral(":/quillox/quillox-32.png")));
    setWindowFlags(windowFlags() & ~Qt::WindowMaximizeButtonHint);

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(twips(8040), twips(5580));
    setCentralWidget(client);

    intake_.openSet = [this](const QString& path, const std::string& bytes) {
        spriteSetWindow()->openSet(path, bytes);
    };
    createActions();
    createMenus();
    auto* rule = new QFrame(client);
    rule->setObjectName(QStringLiteral("rule"));
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Plain);
    rule->setGeometry(0, 0, client->width(), 1);
    statusPanels_ = new StatusPanels(platform_, client);
    createGridArea(client);
    createCodeFrame(client);
    createSpriteFrame(client);
    createProgressFrame(client);
    setFixedSize(sizeHint());
    setAcceptDrops(true);

    showDocument();
    document_.load();
    updateEditActions();
}

MainWindow::~MainWindow() = default;

// The window follows the document: its size, cells, code, progress and history.
void MainWindow::showDocument()
{
    connect(&document_, &SpriteDocument::sizeChanged, this, &MainWindow::showSize);
    connect(&document_, &SpriteDocument::cellsChanged, this, &MainWindow::showCells);
    connect(&document_, &SpriteDocument::codeChanged, this, &MainWindow::showCode);
    connect(&document_, &SpriteDocument::codeFailed, this,
            [this](const QString& what) { reportProblem(platform_, failureMessage(what)); });
    connect(&document_, &SpriteDocument::sizeRefreshed, this, &MainWindow::sizeRefreshed);
    connect(&document_, &SpriteDocument::progressed, this, &MainWindow::showProgress);
    connect(&document_, &SpriteDocument::historyChanged, this, &MainWindow::updateEditActions);
}

template <typename Command>
QAction* MainWindow::makeAction(const char* name, const QString& text,
                                const QList<QKeySequence>& keys, Command run)
{
    auto* action = new QAction(text, this);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcuts(keys);
    connect(action, &QAction::triggered, this, run);
    return action;
}

// One of a group's exclusive choices, in `menu`.
template <typename Command>
QAction* MainWindow::makeChoice(QMenu* menu, QActionGroup* group, const char* name,
                                const QString& text, const QList<QKeySequence>& keys, bool chosen,
                                Command run)
{
    QAction* action = makeAction(name, text, keys, run);
    action->setCheckable(true);
    action->setChecked(chosen);
    group->addAction(action);
    menu->addAction(action);
    return action;
}

void MainWindow::createActions()
{
    openAction_ =
        makeAction("open", QStringLiteral("&Open Sprite..."), {}, &MainWindow::openSprite);
    saveAsAction_ =
        makeAction("saveas", QStringLiteral("&Save Sprite As..."), {}, &MainWindow::saveSprite);
    printAction_ =
        makeAction("sada", QStringLiteral("&Print Code"), {}, &MainWindow::printCodeText);
    exitAction_ =
        makeAction("sdfdsf", QStringLiteral("&Exit"), {Qt::CTRL | Qt::Key_Q}, &MainWindow::exit);
    clearAction_ = makeAction("dsfdsfsdf", QStringLiteral("&Clear Sprite"), {},
                              [this] { document_.ClearSprite(); });
    backColourAction_ = makeAction("sdsdsdsd", QStringLiteral("C&odeText Background color"), {},
                                   &MainWindow::SetCodeBackColor);
    invertAction_ = makeAction("sfdsf", QStringLiteral("&Invert"), {Qt::CTRL | Qt::Key_I},
                               [this] { document_.Invert(); });
    fillBlackAction_ = makeAction("erh", QStringLiteral("&Fill Black"), {Qt::CTRL | Qt::Key_B},
                                  [this] { document_.FillBlack(); });
    helpAction_ =
        makeAction("ds", QStringLiteral("&About Sprites"), {}, &MainWindow::helpRequested);
    aboutAction_ = makeAction("sa", QStringLiteral("A&bout"), {}, &MainWindow::aboutRequested);
    // Commands that only buttons carry.
    newAction_ =
        makeAction("newSprite", QStringLiteral("&New"), {}, [this] { document_.NewSprite(); });
    saveCodeAction_ =
        makeAction("saveCode", QStringLiteral("&Save"), {}, &MainWindow::saveCodeFile);
    copyAction_ = makeAction("copyCode", QStringLiteral("&Copy"), {}, &MainWindow::copyCodeText);
    createEditActions();
}

// Commands beyond the menu bar: window shortcuts, the grid's and the code
// box's context menus. The menu bar keeps its items and their look.
void MainWindow::createEditActions()
{
    undoAction_ =
        makeAction("undo", tr("&Undo"), {Qt::CTRL | Qt::Key_Z}, [this] { document_.undo(); });
    redoAction_ =
        makeAction("redo", tr("&Redo"), {Qt::CTRL | Qt::SHIFT | Qt::Key_Z, Qt::CTRL | Qt::Key_Y},
                   [this] { document_.redo(); });
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
        {"shiftRight", tr("Shift R&ight"), SpriteTransform::ShiftRight},
        {"shiftUp", tr("Shift U&p"), SpriteTransform::ShiftUp},
        {"shiftDown", tr("Shift &Down"), SpriteTransform::ShiftDown},
    };
    for (const auto& entry : transforms) {
        QAction* a = makeAction(entry.name, entry.text, {},
                                [this, t = entry.transform] { document_.transform(t); });
        gridMenu_->addAction(a);
        if (entry.transform == SpriteTransform::RotateClockwise) {
            rotateAction_ = a;
            gridMenu_->addSeparator();
        }
    }
    gridMenu_->addSeparator();
    pasteAction_ = makeAction("pasteCode", tr("P&aste Code"), {Qt::CTRL | Qt::Key_V},
                              [this] { intake_.pasteCode(); });
    pasteAction_->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    QAction* openPictureOrCode =
        makeAction("openPictureOrCode", tr("Open Pi&cture or Code..."),
                   {Qt::CTRL | Qt::SHIFT | Qt::Key_O}, [this] { openPictureOrCodeFile(); });
    addAction(openPictureOrCode);
    gridMenu_->addActions({pasteAction_, openPictureOrCode});
    gridMenu_->addSeparator();
    createInkActions();
    createCodeMenuActions();

    // Shortcuts people expect, which the menus do not show.
    const std::pair<QKeySequence, QAction*> shortcuts[] = {
        {Qt::CTRL | Qt::Key_O, openAction_}, {Qt::CTRL | Qt::Key_S, saveAsAction_},
        {Qt::CTRL | Qt::Key_N, newAction_},  {Qt::CTRL | Qt::Key_P, printAction_},
        {Qt::Key_F1, helpAction_},
    };
    for (const auto& [keys, command] : shortcuts)
        connect(new QShortcut(keys, this), &QShortcut::activated, command, &QAction::trigger);
}

// The code box's menu: byte copies and a byte save in the directive and radix
// chosen there, kept while the program runs.
void MainWindow::createCodeMenuActions()
{
    codeMenuActions_ = {
        makeAction("copyAssemblerBytes", tr("Copy as Assembler &Bytes"), {},
                   [this] { copyCodeAsBytes(false); }),
        makeAction("copyHexBytes", tr("Copy as &Hex Bytes"), {}, [this] { copyCodeAsBytes(true); }),
        makeAction("copyAxeHex", tr("Copy as A&xe Hex"), {},
                   [this] { copyToClipboard(axeDataOf(document_.pixels(), byteStyle_)); }),
        makeAction("copyCArray", tr("Copy as C A&rray"), {},
                   [this] { copyToClipboard(cArrayOf(document_.pixels(), byteStyle_)); }),
        makeAction("saveAssemblerBytes", tr("Sa&ve as Assembler Bytes..."), {},
                   [this] {
                       saveAssemblerBytes(platform_, bytesDialog_, document_.pixels(), byteStyle_);
                   }),
    };

    auto* styles = new QMenu(tr("&Directive and Radix"), this);
    styles->setObjectName(QStringLiteral("byteStyleMenu"));
    codeMenuActions_ << styles->menuAction();
    auto choice = [this, styles](QActionGroup* group, const char* name, const QString& text,
                                 bool chosen, auto choose) {
        makeChoice(styles, group, name, text, {}, chosen, choose);
    };
    auto* directives = new QActionGroup(this);
    for (const char* directive : {".db", "db", "defb", ".byte"})
        choice(directives, directive, QString::fromLatin1(directive),
               byteStyle_.directive == directive,
               [this, directive] { byteStyle_.directive = directive; });
    styles->addSeparator();
    auto* radixes = new QActionGroup(this);
    const struct {
        const char* name;
        QString text;
        ByteRadix radix;
    } radixChoices[] = {
        {"binary", tr("%10100000 (binary)"), ByteRadix::Binary},
        {"hex", tr("$A0 (hex)"), ByteRadix::Hex},
        {"hexC", tr("0xA0 (hex for sdasz80)"), ByteRadix::HexC},
        {"decimal", tr("160 (decimal)"), ByteRadix::Decimal},
    };
    for (const auto& entry : radixChoices)
        choice(radixes, entry.name, entry.text, byteStyle_.radix == entry.radix,
               [this, radix = entry.radix] { byteStyle_.radix = radix; });
    createMaskMenu();
}

// Where a sprite with transparent cells puts its mask, and which bits mean
// transparent; kept while the program runs.
void MainWindow::createMaskMenu()
{
    auto* masks = new QMenu(tr("&Mask"), this);
    masks->setObjectName(QStringLiteral("maskMenu"));
    codeMenuActions_ << masks->menuAction();
    byteStyle_.maskOrder = MaskOrder::Before;
    auto choice = [this, masks](QActionGroup* group, const char* name, const QString& text,
                                bool chosen, auto choose) {
        makeChoice(masks, group, name, text, {}, chosen, choose);
    };
    auto* orders = new QActionGroup(this);
    const std::tuple<const char*, QString, MaskOrder> orderChoices[] = {
        {"maskBefore", tr("&Before"), MaskOrder::Before},
        {"maskAfter", tr("&After"), MaskOrder::After},
        {"maskInterleaved", tr("&Interleaved"), MaskOrder::Interleaved},
    };
    for (const auto& [name, text, order] : orderChoices)
        choice(orders, name, text, byteStyle_.maskOrder == order,
               [this, order = order] { byteStyle_.maskOrder = order; });
    masks->addSeparator();
    auto* polarities = new QActionGroup(this);
    const std::tuple<const char*, QString, MaskPolarity> polarityChoices[] = {
        {"maskAnd", tr("A&ND"), MaskPolarity::And},
        {"maskOr", tr("&OR"), MaskPolarity::Or},
    };
    for (const auto& [name, text, polarity] : polarityChoices)
        choice(polarities, name, text, byteStyle_.maskPolarity == polarity,
               [this, polarity = polarity] { byteStyle_.maskPolarity = polarity; });
}

// The inks a press puts on, kept while the program runs; and the commands
// that keep them: Invert Grey Levels and Save as Picture.
void MainWindow::createInkActions()
{
    auto* inks = new QMenu(tr("I&nk"), this);
    inks->setObjectName(QStringLiteral("inkMenu"));
    auto* group = new QActionGroup(this);
    const struct {
        const char* name;
        QString text;
        Ink ink;
        Qt::Key key;
    } choices[] = {
        {"inkBlack", tr("&Black"), Ink::Black, Qt::Key_1},
        {"inkDarkGrey", tr("&Dark Grey"), Ink::DarkGrey, Qt::Key_2},
        {"inkLightGrey", tr("&Light Grey"), Ink::LightGrey, Qt::Key_3},
        {"inkTransparent", tr("&Transparent"), Ink::Transparent, Qt::Key_4},
    };
    for (const auto& choice : choices)
        makeChoice(inks, group, choice.name, choice.text, {Qt::CTRL | choice.key},
                   choice.ink == Ink::Black, [this, ink = choice.ink] { gridView_->setInk(ink); });
    addActions(group->actions());
    gridMenu_->addMenu(inks);
    gridMenu_->addAction(makeAction("invertGreyLevels", tr("Invert &Grey Levels"), {},
                                    [this] { document_.invertGreyLevels(); }));
    gridMenu_->addAction(
        makeAction("savePicture", tr("Save as Pictur&e..."), {}, &MainWindow::savePicture));
    QAction* screen = makeAction("calculatorScreen", tr("Calculator &Screen"), {Qt::Key_F5},
                                 &MainWindow::showCalculatorScreen);
    addAction(screen);
    QAction* set =
        makeAction("spriteSet", tr("Sprite Se&t"), {Qt::Key_F6}, &MainWindow::showSpriteSet);
    addAction(set);
    gridMenu_->addSeparator();
    gridMenu_->addAction(screen);
    gridMenu_->addAction(set);
}

void MainWindow::showSpriteSet()
{
    SpriteSetWindow* window = spriteSetWindow();
    window->show();
    window->raise();
    window->activateWindow();
}

SpriteSetWindow* MainWindow::spriteSetWindow()
{
    if (!spriteSetWindow_)
        spriteSetWindow_ = new SpriteSetWindow(
            platform_, document_,
            [this] {
                if (!screenWindow_)
                    screenWindow_ = new ScreenWindow(platform_, document_, this);
                return screenWindow_;
            },
            this);
    return spriteSetWindow_;
}

void MainWindow::showCalculatorScreen()
{
    if (!screenWindow_)
        screenWindow_ = new ScreenWindow(platform_, document_, this);
    screenWindow_->show();
    screenWindow_->raise();
    screenWindow_->activateWindow();
}

void MainWindow::savePicture()
{
    // A dialog of its own, as Open Picture or Code has.
    const std::optional<QString> path =
        askFileToSave(platform_, savePictureDialog_,
                      {tr("Save as Picture"), QStringLiteral("PNG pictures|*.png"),
                       QStringLiteral("png"), QStringLiteral("sprite.png")});
    if (!path)
        return;
    FileError failure;
    if (!writeWholeFile(*path, QByteArray::fromStdString(pngOfGreyPixels(document_.pixels())),
                        failure))
        reportProblem(platform_, QStringLiteral("The picture could not be saved as \"%1\":\n%2")
                                     .arg(*path, failure.reason));
}

void MainWindow::openPictureOrCodeFile()
{
    // A dialog of its own: its file never becomes the sprite save's proposal.
    pictureDialog_.title = tr("Open Picture or Code");
    pictureDialog_.filter = QStringLiteral(
        "Pictures and code|*.png *.bmp *.gif *.jpg *.jpeg *.ico *.pbm *.pgm *.ppm *.xbm *.xpm "
        "*.z80 *.asm *.inc *.s *.txt *.8xi|All files|*");
    if (const std::optional<QString> path = platform_.openFileName(pictureDialog_)) {
        pictureDialog_.fileName = *path;
        intake_.openFile(*path, SpriteIntake::SharedDialog::Untouched);
    }
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

    gridView_ = new GridView(document_.grid(), document_.inks(), client);
    gridView_->move(twips(240), twips(360));
    connect(gridView_, &GridView::cellPressed, this,
            [this](int index) { document_.pressCell(index, gridView_->ink()); });
    connect(gridView_, &GridView::cellPainted, &document_, &SpriteDocument::paintInk);
    connect(gridView_, &GridView::strokeStarted, &document_, &SpriteDocument::beginStep);
    connect(gridView_, &GridView::strokeEnded, &document_, &SpriteDocument::endStep);
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
    connect(columnSlider_, &QSlider::valueChanged, &document_, &SpriteDocument::moveColumnSlider);
    connect(rowSlider_, &QSlider::valueChanged, &document_, &SpriteDocument::moveRowSlider);
    for (QSlider* s : {columnSlider_, rowSlider_}) {
        // A drag is one undo step from press to release.
        connect(s, &QSlider::sliderPressed, &document_, &SpriteDocument::beginStep);
        connect(s, &QSlider::sliderReleased, &document_, &SpriteDocument::endStep);
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
    statusPanels_->addHint(button, hint);
    connect(button, &QPushButton::clicked, command, &QAction::trigger);
    return button;
}

void MainWindow::createCodeFrame(QWidget* client)
{
    auto* codeFrame = new QGroupBox(QStringLiteral("   &Code     "), client);
    codeFrame->setObjectName(QStringLiteral("Frame1"));
    codeFrame->setFont(QFont(QStringLiteral("MS Sans Serif"), 12));
    place(codeFrame, twipRect(4440, 120, 3375, 4215));
    statusPanels_->addBareArea(codeFrame);

    source_ = new CodeBox(codeFrame);
    source_->setObjectName(QStringLiteral("source"));
    source_->setAccessibleName(tr("Sprite code"));
    place(source_, twipRect(4560, 480, 3135, 3135), codeFrame->pos());
    source_->setExtraMenuActions(codeMenuActions_);
    connect(source_, &CodeBox::pasteRequested, pasteAction_, &QAction::trigger);

    createButton(codeFrame, "Command6", QStringLiteral("&Print"), twipRect(4680, 3720, 615, 495),
                 printAction_, QStringLiteral("Print the code."));
    createButton(codeFrame, "Command8", QStringLiteral("&Save"), twipRect(5400, 3720, 615, 495),
                 saveCodeAction_, QStringLiteral("Save the code as a z80-file."));
    createButton(codeFrame, "Command7", QStringLiteral("&Copy"), twipRect(6120, 3720, 615, 495),
                 copyAction_, QStringLiteral("Copy the code into the clipboard."));
}

void MainWindow::createSpriteFrame(QWidget* client)
{
    auto* spriteFrame = new QGroupBox(QStringLiteral("&Sprite  Options"), client);
    spriteFrame->setObjectName(QStringLiteral("Frame2"));
    spriteFrame->setFont(QFont(QStringLiteral("MS Sans Serif"), 12));
    place(spriteFrame, twipRect(240, 4440, 1965, 870));
    statusPanels_->addBareArea(spriteFrame);

    createButton(spriteFrame, "Command9", QStringLiteral("&Save"), twipRect(360, 4785, 570, 405),
                 saveAsAction_, QStringLiteral("Save the sprite as a spr-file."));
    createButton(spriteFrame, "Command10", QStringLiteral("&Open"), twipRect(975, 4785, 555, 405),
                 openAction_, QStringLiteral("Open a saved sprite."));
    createButton(spriteFrame, "Command11", QStringLiteral("&New"), twipRect(1560, 4785, 555, 405),
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

QString MainWindow::codeText() const
{
    return source_->codeText();
}

void MainWindow::showSize()
{
    const SpriteGrid& grid = document_.grid();
    sizeLabel_->setText(QStringLiteral("%1 x %2").arg(grid.height()).arg(grid.width()));
    // The sliders show the document's positions without moving it again.
    const QSignalBlocker columnBlocker(columnSlider_);
    const QSignalBlocker rowBlocker(rowSlider_);
    columnSlider_->setValue(grid.columnPosition());
    rowSlider_->setValue(grid.rowPosition());
    gridView_->update();
}

void MainWindow::showCells(int index)
{
    if (index == 0)
        gridView_->update();
    else
        gridView_->update(GridView::cellRect(index));
}

void MainWindow::showCode()
{
    const std::string& text = document_.codeText();
    source_->setCodeText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

void MainWindow::showProgress(int value)
{
    progressBar_->setValue(value);
    // Paint now: the command's loop keeps the event queue waiting.
    progressBar_->repaint();
}

void MainWindow::saveSprite()
{
    const std::string& text2 = document_.buildSpriteFileText();
    commonDialog1_.title = QStringLiteral("Save Sprite as *.spr");
    commonDialog1_.filter = SpriteFilter;
    commonDialog1_.defaultSuffix = QStringLiteral("spr");
    const std::optional<QString> name = platform_.saveFileName(commonDialog1_);
    if (!name)
        return;
    commonDialog1_.fileName = *name;
    if (const std::optional<QString> failure = vorrel::SaveSpriteFile(*name, text2))
        reportProblem(
            platform_,
            QStringLiteral("The sprite could not be saved as \"%1\":\n%2").arg(*name, *failure));
}

void MainWindow::openSprite()
{
    commonDialog1_.filter = SpriteFilter;
    // The shared dialog keeps the save title; opening shows one of its own.
    FileDialogRequest request = commonDialog1_;
    request.title = QStringLiteral("Open Sprite");
    const std::optional<QString> name = platform_.openFileName(request);
    if (!name)
        return;
    commonDialog1_.fileName = *name;
    if (const std::optional<QString> failure = document_.loadSpriteFile(*name))
        reportProblem(
            platform_,
            QStringLiteral("The sprite file \"%1\" could not be opened:\n%2").arg(*name, *failure));
    else
        reportUnappliedSizes(platform_, *name, document_.text2());
}

void MainWindow::openFile(const QString& path)
{
    intake_.openFile(path);
}

void MainWindow::copyCodeAsBytes(bool hex)
{
    ByteStyle style = byteStyle_;
    if (hex && style.radix != ByteRadix::HexC)
        style.radix = ByteRadix::Hex;
    copyToClipboard(inkedByteCode(document_.pixels(), style, ""));
}

void MainWindow::copyToClipboard(const std::string& text)
{
    platform_.clearClipboard();
    platform_.setClipboardText(QString::fromStdString(text));
}

void MainWindow::updateEditActions()
{
    undoAction_->setEnabled(document_.history().canUndo());
    redoAction_->setEnabled(document_.history().canRedo());
    rotateAction_->setEnabled(canTransform(document_.grid(), SpriteTransform::RotateClockwise));
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!SpriteIntake::droppedFiles(*event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    const QList<QString> paths = SpriteIntake::droppedFiles(*event->mimeData());
    if (!paths.isEmpty()) {
        event->acceptProposedAction();
        intake_.openDroppedFiles(paths);
    }
}

void MainWindow::saveCodeFile()
{
    SaveCode(platform_, box_, codeText());
}

void MainWindow::printCodeText()
{
    PrintCode(platform_, codeText());
}

void MainWindow::copyCodeText()
{
    CopyCode(platform_, *progressBar_, codeText());
}

void MainWindow::SetCodeBackColor()
{
    quillox::SetCodeBackColor(
        platform_, [this](const QColor& colour) { source_->setBackgroundColour(colour); });
}

void MainWindow::exit()
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

} // namespace quillox
