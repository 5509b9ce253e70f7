#pragma once

#include "editor/spritehistory.h"
#include "files/spriteset.h"
#include "platform/platform.h"

#include <QDialog>
#include <QTimer>

#include <functional>
#include <map>
#include <optional>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace quillox
{

class ScreenWindow;
class SpriteDocument;

// A game's source opened as its sprites: the list of them, the chosen one on
// the grid, each with its own undo history, and the file written back in
// place with every other byte kept. Modeless; Esc and the close button hide
// it with its state kept.
class SpriteSetWindow : public QDialog
{
    Q_OBJECT
public:
    static constexpr int ThumbnailScale = 2;
    static constexpr int MinimumFramesPerSecond = 1;
    static constexpr int MaximumFramesPerSecond = 30;
    // New, Duplicate and Delete kept for undo: each a copy of the set.
    static constexpr std::size_t MaximumSetSteps = 100;

    // `screen` shows the calculator screen window, made on first use.
    SpriteSetWindow(Platform& platform, SpriteDocument& document,
                    std::function<ScreenWindow*()> screen, QWidget* parent = nullptr);
    ~SpriteSetWindow() override;

    // Opens the text read from `path` as a set and puts its first sprite on
    // the grid; asks first when the open set has unsaved changes. False when
    // the user kept the open one.
    bool openSet(const QString& path, const std::string& bytes);
    bool isOpen() const { return !path_.isEmpty(); }
    const SpriteSet& set() const { return set_; }
    const QString& path() const { return path_; }
    // The chosen sprite, or -1.
    int chosen() const { return chosen_; }
    void choose(int index);
    // The chosen sprite's pixels as edited, or none when the grid cannot take it.
    std::optional<SpritePixels> pixelsOf(int index) const;
    // Unsaved changes: an edited sprite, or a sprite added or removed.
    bool isModified() const;

    bool save();
    void revert();
    void newSprite();
    void duplicateSprite();
    void deleteSprite();
    // New, Duplicate and Delete taken back and done again.
    void undoSetChange();
    void redoSetChange();

    void play();
    void stop();
    bool isPlaying() const { return playTimer_.isActive(); }
    int framesPerSecond() const;
    void setFramesPerSecond(int frames);
    // The frames being played: each one's index in the set.
    const std::vector<int>& playedSprites() const { return played_; }

    QListWidget* spriteList() const { return list_; }

private:
    struct Entry {
        std::optional<SpritePixels> pixels;
        SpriteHistory history;
        bool edited = false;
    };
    struct Snapshot {
        SpriteSet set;
        int chosen = -1;
    };

    void createControls();
    void load(SpriteSet set, int chosen);
    // Asks whether to save unsaved changes first: false when the user cancels
    // (or the save fails).
    bool settleChanges(const QString& what);
    void followDocument();
    void fillList();
    void updateItem(int index);
    void updateTitle();
    void changeSet(const std::function<bool(SpriteSet&, std::string&)>& change);
    void stepSet(std::vector<Snapshot>& from, std::vector<Snapshot>& to);
    std::optional<QString> askLabel(const QString& title, const QString& suggestion);
    void showFrame();
    Entry& entryAt(int index);

    Platform& platform_;
    SpriteDocument& document_;
    std::function<ScreenWindow*()> screen_;
    QString path_;
    std::string savedBytes_; // the file as opened or last saved
    SpriteSet set_;
    std::map<int, Entry> entries_; // by the set's id of each sprite
    bool setChanged_ = false;
    int chosen_ = -1;
    bool placing_ = false;
    std::vector<Snapshot> undo_;
    std::vector<Snapshot> redo_;
    QTimer playTimer_;
    std::vector<int> played_;
    std::size_t frame_ = 0;

    QListWidget* list_ = nullptr;
    QPushButton* playButton_ = nullptr;
    QSpinBox* framesBox_ = nullptr;
};

} // namespace quillox
