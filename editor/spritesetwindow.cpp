#include "editor/spritesetwindow.h"

#include "editor/messages.h"
#include "editor/screenwindow.h"
#include "editor/spritedocument.h"
#include "platform/qtfileaccess.h"

#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QVBoxLayout>

namespace quillox
{

namespace
{

// Each cell 2 x 2, in its ink; transparent cells in the grid's two light tones.
QImage thumbnailOf(const SpritePixels& pixels)
{
    constexpr QRgb Levels[] = {0xFFFFFFFF, 0xFFAAAAAA, 0xFF555555, 0xFF000000};
    const int scale = SpriteSetWindow::ThumbnailScale;
    QImage image(std::max(1, pixels.width) * scale, std::max(1, pixels.height) * scale,
                 QImage::Format_RGB32);
    image.fill(0xFFFFFFFF);
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x) {
            const std::size_t at = pixels.at(x, y);
            const QRgb colour = pixels.transparent[at] ? ((x + y) % 2 ? 0xFFCCCCCC : 0xFFEEEEEE)
                                                       : Levels[pixels.levels[at]];
            for (int dy = 0; dy < scale; ++dy)
                for (int dx = 0; dx < scale; ++dx)
                    image.setPixel(x * scale + dx, y * scale + dy, colour);
        }
    return image;
}

} // namespace

SpriteSetWindow::SpriteSetWindow(Platform& platform, SpriteDocument& document,
                                 std::function<ScreenWindow*()> screen, QWidget* parent)
    : QDialog(parent), platform_(platform), document_(document), screen_(std::move(screen))
{
    setObjectName("spriteSetWindow");
    createControls();
    updateTitle();
    connect(&document_, &SpriteDocument::cellsChanged, this, &SpriteSetWindow::followDocument);
    connect(&document_, &SpriteDocument::sizeChanged, this, &SpriteSetWindow::followDocument);
    connect(&playTimer_, &QTimer::timeout, this, &SpriteSetWindow::showFrame);
}

SpriteSetWindow::~SpriteSetWindow() = default;

void SpriteSetWindow::createControls()
{
    list_ = new QListWidget(this);
    list_->setObjectName("spriteList");
    list_->setAccessibleName(tr("Sprites"));
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setIconSize(QSize(SpriteGrid::Side, SpriteGrid::Side) * ThumbnailScale);
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            choose(row);
    });

    const auto button = [this](const char* name, const QString& text, auto slot) {
        auto* pushButton = new QPushButton(text, this);
        pushButton->setObjectName(name);
        pushButton->setAutoDefault(false);
        connect(pushButton, &QPushButton::clicked, this, slot);
        return pushButton;
    };
    auto* edits = new QHBoxLayout;
    edits->addWidget(button("newSprite", tr("&New Sprite"), &SpriteSetWindow::newSprite));
    edits->addWidget(
        button("duplicateSprite", tr("&Duplicate"), &SpriteSetWindow::duplicateSprite));
    edits->addWidget(button("deleteSprite", tr("De&lete"), &SpriteSetWindow::deleteSprite));

    playButton_ = new QPushButton(tr("&Play"), this);
    playButton_->setObjectName("playSprites");
    playButton_->setAutoDefault(false);
    connect(playButton_, &QPushButton::clicked, this, [this] { isPlaying() ? stop() : play(); });
    framesBox_ = new QSpinBox(this);
    framesBox_->setObjectName("framesPerSecond");
    framesBox_->setRange(MinimumFramesPerSecond, MaximumFramesPerSecond);
    framesBox_->setValue(8);
    connect(framesBox_, qOverload<int>(&QSpinBox::valueChanged), this,
            [this](int frames) { playTimer_.setInterval(1000 / frames); });
    auto* playing = new QFormLayout;
    playing->addRow(tr("&Frames a second:"), framesBox_);
    auto* plays = new QHBoxLayout;
    plays->addWidget(playButton_);
    plays->addLayout(playing);

    auto* file = new QHBoxLayout;
    file->addWidget(button("saveSet", tr("&Save"), [this] { save(); }));
    file->addWidget(button("revertSet", tr("&Revert"), &SpriteSetWindow::revert));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(edits);
    layout->addLayout(plays);
    layout->addLayout(file);

    const auto shortcut = [this](QList<QKeySequence> keys, auto slot) {
        auto* keysShortcut = new QShortcut(this);
        keysShortcut->setKeys(keys);
        keysShortcut->setContext(Qt::WindowShortcut);
        connect(keysShortcut, &QShortcut::activated, this, slot);
    };
    shortcut(QKeySequence::keyBindings(QKeySequence::Save), [this] { save(); });
    auto* remove = new QShortcut(QKeySequence::Delete, list_);
    remove->setContext(Qt::WidgetShortcut);
    connect(remove, &QShortcut::activated, this, &SpriteSetWindow::deleteSprite);
    shortcut(QKeySequence::keyBindings(QKeySequence::Undo), [this] { undoSetChange(); });
    // Ctrl+Y on every desktop, beside the desktop's own redo keys.
    QList<QKeySequence> redo = QKeySequence::keyBindings(QKeySequence::Redo);
    if (!redo.contains(QKeySequence(Qt::CTRL | Qt::Key_Y)))
        redo << QKeySequence(Qt::CTRL | Qt::Key_Y);
    shortcut(redo, [this] { redoSetChange(); });
}

bool SpriteSetWindow::settleChanges(const QString& what)
{
    if (!isOpen() || !isModified())
        return true;
    const int answer =
        platform_.askChoice(tr("The set \"%1\" has unsaved changes. Save them before %2?")
                                .arg(QFileInfo(path_).fileName(), what),
                            tr("Sprite Set"), {tr("&Save"), tr("&Discard"), tr("Cancel")}, 2);
    return answer == 1 || (answer == 0 && save());
}

bool SpriteSetWindow::openSet(const QString& path, const std::string& bytes)
{
    if (!settleChanges(tr("opening another")))
        return false;
    stop();
    path_ = path;
    savedBytes_ = bytes;
    undo_.clear();
    redo_.clear();
    load(SpriteSet::read(bytes), 0);
    show();
    raise();
    return true;
}

void SpriteSetWindow::load(SpriteSet set, int chosen)
{
    // The histories go with the entries; the grid starts a new one.
    if (chosen_ >= 0)
        document_.swapHistory(SpriteHistory());
    set_ = std::move(set);
    entries_.clear();
    setChanged_ = false;
    chosen_ = -1;
    fillList();
    choose(std::min(chosen, int(set_.size()) - 1));
    updateTitle();
}

SpriteSetWindow::Entry& SpriteSetWindow::entryAt(int index)
{
    const int id = set_.ids()[std::size_t(index)];
    auto found = entries_.find(id);
    if (found == entries_.end()) {
        Entry entry;
        entry.pixels = set_.gridPixels(std::size_t(index));
        found = entries_.emplace(id, std::move(entry)).first;
    }
    return found->second;
}

std::optional<SpritePixels> SpriteSetWindow::pixelsOf(int index) const
{
    if (index < 0 || std::size_t(index) >= set_.size())
        return std::nullopt;
    const auto found = entries_.find(set_.ids()[std::size_t(index)]);
    return found != entries_.end() ? found->second.pixels : set_.gridPixels(std::size_t(index));
}

void SpriteSetWindow::choose(int index)
{
    if (index < 0 || std::size_t(index) >= set_.size() || index == chosen_)
        return;
    // Each sprite keeps its own history; choosing is no step of it.
    SpriteHistory history = document_.swapHistory(std::move(entryAt(index).history));
    if (chosen_ >= 0)
        entryAt(chosen_).history = std::move(history);
    chosen_ = index;
    if (const std::optional<SpritePixels>& pixels = entryAt(index).pixels) {
        placing_ = true;
        document_.placeSprite(*pixels);
        placing_ = false;
    }
    if (list_->currentRow() != index)
        list_->setCurrentRow(index);
}

void SpriteSetWindow::followDocument()
{
    if (placing_ || chosen_ < 0)
        return;
    Entry& entry = entryAt(chosen_);
    if (!entry.pixels)
        return; // not on the grid: the grid is not this sprite
    entry.pixels = document_.pixels();
    entry.edited = true;
    updateItem(chosen_);
    updateTitle();
}

bool SpriteSetWindow::isModified() const
{
    // Only the sprites the set holds now: one taken back by Undo is gone.
    return setChanged_ || std::any_of(set_.ids().begin(), set_.ids().end(), [this](int id) {
               const auto found = entries_.find(id);
               return found != entries_.end() && found->second.edited;
           });
}

void SpriteSetWindow::fillList()
{
    list_->blockSignals(true);
    list_->clear();
    for (std::size_t i = 0; i < set_.size(); ++i) {
        list_->addItem(QString());
        updateItem(int(i));
    }
    list_->blockSignals(false);
}

void SpriteSetWindow::updateItem(int index)
{
    QListWidgetItem* item = list_->item(index);
    const SetSprite& sprite = set_.sprites()[std::size_t(index)];
    const std::optional<SpritePixels> pixels = pixelsOf(index);
    const SpritePixels& shown = pixels ? *pixels : sprite.pixels;
    const QString size = sprite.problem.empty() ? tr("%1 x %2").arg(shown.width).arg(shown.height)
                                                : QString::fromStdString(sprite.problem);
    item->setText(tr("%1\n%2, line %3")
                      .arg(QString::fromStdString(sprite.label), size)
                      .arg(sprite.firstLine));
    item->setIcon(QIcon(QPixmap::fromImage(thumbnailOf(shown))));
}

void SpriteSetWindow::updateTitle()
{
    setWindowTitle(isOpen() ? tr("%1[*] - Sprite Set").arg(QFileInfo(path_).fileName())
                            : tr("Sprite Set"));
    setWindowModified(isModified());
}

bool SpriteSetWindow::save()
{
    if (!isOpen())
        return false;
    // Every edited sprite in its form, or nothing is written.
    SpriteSet written = set_;
    for (std::size_t i = 0; i < written.size(); ++i) {
        const auto found = entries_.find(written.ids()[i]);
        if (found == entries_.end() || !found->second.edited || !found->second.pixels)
            continue;
        std::string reason;
        if (!written.setPixels(i, *found->second.pixels, reason)) {
            reportProblem(platform_,
                          tr("The set \"%1\" was not saved: %2 cannot be written back: %3.")
                              .arg(path_, QString::fromStdString(set_.sprites()[i].label),
                                   QString::fromStdString(reason)));
            return false;
        }
    }
    // Another program's change is never overwritten unasked.
    std::string onDisk;
    FileError failure;
    const bool read = readRegularFile(path_, MaxSpriteSetRead + 1, onDisk, failure);
    if (!read || onDisk != savedBytes_) {
        const QString change =
            read ? tr("The file \"%1\" changed on disk since it was opened.").arg(path_)
                 : tr("The file \"%1\" can no longer be read: %2").arg(path_, failure.reason);
        if (platform_.askChoice(change + tr(" Overwrite it with the set?"), tr("Sprite Set"),
                                {tr("&Overwrite"), tr("Cancel")}, 1) != 0)
            return false;
    }
    const std::string text = written.text();
    if (!writeWholeFile(path_, QByteArray::fromStdString(text), failure)) {
        reportProblem(platform_,
                      tr("The set \"%1\" could not be saved:\n%2").arg(path_, failure.reason));
        return false;
    }
    savedBytes_ = text;
    set_ = std::move(written);
    setChanged_ = false;
    for (auto& entry : entries_)
        entry.second.edited = false;
    for (std::size_t i = 0; i < set_.size(); ++i)
        updateItem(int(i));
    updateTitle();
    return true;
}

void SpriteSetWindow::revert()
{
    if (!isOpen() || !settleChanges(tr("reading the file again")))
        return;
    std::string bytes;
    FileError failure;
    if (!readRegularFile(path_, MaxSpriteSetRead, bytes, failure)) {
        reportProblem(platform_,
                      tr("The set \"%1\" could not be read again:\n%2").arg(path_, failure.reason));
        return;
    }
    stop();
    savedBytes_ = bytes;
    undo_.clear();
    redo_.clear();
    const int chosen = chosen_;
    load(SpriteSet::read(bytes), std::max(chosen, 0));
}

std::optional<QString> SpriteSetWindow::askLabel(const QString& title, const QString& suggestion)
{
    const std::optional<QString> label =
        platform_.askText(title, tr("&Label of the new sprite:"), suggestion);
    if (!label)
        return std::nullopt;
    std::string reason;
    if (!set_.canUseLabel(label->trimmed().toStdString(), reason)) {
        reportProblem(platform_,
                      tr("The sprite was not added: %1.").arg(QString::fromStdString(reason)));
        return std::nullopt;
    }
    return label->trimmed();
}

void SpriteSetWindow::changeSet(const std::function<bool(SpriteSet&, std::string&)>& change)
{
    SpriteSet changed = set_;
    std::string reason;
    if (!change(changed, reason)) {
        reportProblem(platform_,
                      tr("The set was not changed: %1.").arg(QString::fromStdString(reason)));
        return;
    }
    undo_.push_back({set_, chosen_});
    if (undo_.size() > MaximumSetSteps)
        undo_.erase(undo_.begin());
    redo_.clear();
    const SpriteSet before = set_;
    if (chosen_ >= 0)
        entryAt(chosen_).history = document_.swapHistory(SpriteHistory());
    const int oldChosen = chosen_;
    chosen_ = -1;
    set_ = std::move(changed);
    setChanged_ = true;
    fillList();
    // The new sprite, or the one after a removed one.
    int next = std::min(oldChosen, int(set_.size()) - 1);
    for (std::size_t i = 0; i < set_.size(); ++i)
        if (std::find(before.ids().begin(), before.ids().end(), set_.ids()[i]) ==
            before.ids().end())
            next = int(i);
    choose(next);
    updateTitle();
}

void SpriteSetWindow::newSprite()
{
    if (chosen_ < 0)
        return;
    const std::optional<QString> label = askLabel(tr("New Sprite"), QString());
    if (!label)
        return;
    changeSet([&](SpriteSet& set, std::string& reason) {
        return set.insertCopy(std::size_t(chosen_), label->toStdString(), SpritePixels(8, 8),
                              reason);
    });
}

void SpriteSetWindow::duplicateSprite()
{
    if (chosen_ < 0)
        return;
    const std::string base = set_.sprites()[std::size_t(chosen_)].label;
    const std::optional<QString> label =
        askLabel(tr("Duplicate"), QString::fromStdString(base.substr(0, base.find('+'))) + "_copy");
    if (!label)
        return;
    const Entry& entry = entryAt(chosen_);
    const std::optional<SpritePixels> pixels = entry.edited ? entry.pixels : std::nullopt;
    changeSet([&](SpriteSet& set, std::string& reason) {
        return set.insertCopy(std::size_t(chosen_), label->toStdString(), pixels, reason);
    });
}

void SpriteSetWindow::deleteSprite()
{
    if (chosen_ < 0 || set_.size() < 2)
        return;
    const QString label = QString::fromStdString(set_.sprites()[std::size_t(chosen_)].label);
    if (platform_.askChoice(tr("Delete the sprite \"%1\" from the set?").arg(label),
                            tr("Sprite Set"), {tr("De&lete"), tr("Cancel")}, 1) != 0)
        return;
    changeSet([&](SpriteSet& set, std::string& reason) {
        return set.remove(std::size_t(chosen_), reason);
    });
}

void SpriteSetWindow::undoSetChange()
{
    stepSet(undo_, redo_);
}

void SpriteSetWindow::redoSetChange()
{
    stepSet(redo_, undo_);
}

// Takes the set back (or forward) to the last snapshot of `from`, keeping
// the set as it is on `to`; each sprite keeps its edits, found by its id.
void SpriteSetWindow::stepSet(std::vector<Snapshot>& from, std::vector<Snapshot>& to)
{
    if (from.empty())
        return;
    to.push_back({set_, chosen_});
    Snapshot snapshot = std::move(from.back());
    from.pop_back();
    if (chosen_ >= 0)
        entryAt(chosen_).history = document_.swapHistory(SpriteHistory());
    chosen_ = -1;
    // Ids are never given twice, so no new sprite takes an old one's edits.
    const int nextId = set_.nextId();
    set_ = std::move(snapshot.set);
    set_.continueIds(nextId);
    setChanged_ = set_.text() != savedBytes_;
    // The text taken back may predate a save: a sprite is edited when its
    // pixels would change it.
    for (std::size_t i = 0; i < set_.size(); ++i)
        if (auto found = entries_.find(set_.ids()[i]);
            found != entries_.end() && found->second.pixels) {
            SpriteSet written = set_;
            std::string reason;
            found->second.edited = !written.setPixels(i, *found->second.pixels, reason) ||
                                   written.text() != set_.text();
        }
    fillList();
    choose(std::max(snapshot.chosen, 0));
    updateTitle();
}

int SpriteSetWindow::framesPerSecond() const
{
    return framesBox_->value();
}

void SpriteSetWindow::setFramesPerSecond(int frames)
{
    framesBox_->setValue(frames);
}

void SpriteSetWindow::play()
{
    played_.clear();
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    for (int i = 0; i < int(set_.size()); ++i)
        if ((selected.size() <= 1 || list_->item(i)->isSelected()) && pixelsOf(i))
            played_.push_back(i);
    if (played_.empty())
        return;
    ScreenWindow* screen = screen_();
    screen->show();
    screen->raise();
    frame_ = 0;
    playTimer_.setInterval(1000 / framesPerSecond());
    playTimer_.start();
    playButton_->setText(tr("S&top"));
    showFrame();
}

void SpriteSetWindow::stop()
{
    if (!isPlaying())
        return;
    playTimer_.stop();
    played_.clear();
    playButton_->setText(tr("&Play"));
    screen_()->showFrame(std::nullopt);
}

void SpriteSetWindow::showFrame()
{
    if (played_.empty())
        return;
    const int index = played_[frame_++ % played_.size()];
    if (const std::optional<SpritePixels> pixels = pixelsOf(index))
        screen_()->showFrame(*pixels);
}

} // namespace quillox
