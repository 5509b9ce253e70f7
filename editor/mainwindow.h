#pragma once

#include "platform/platform.h"
#include "editor/spritegrid.h"
#include "editor/spritehistory.h"
#include "editor/spritetransforms.h"
#include "files/vorrel.h"

#include <QMainWindow>

#include <functional>
#include <string>

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QSlider;
class QStatusBar;
class QTimer;

namespace quillox
{

class CodeBox;
class GridView;

// The main window "progg": the grid, the sliders, the code box, the commands,
// the hover hints and the clock.
class MainWindow : public QMainWindow, public vorrel::LoadTarget
{
    Q_OBJECT
public:
    // Builds the code text; replaceable so that a failing build can be tested.
    using CodeBuilder = std::function<void(std::string& out, const SpriteGrid& grid)>;

    explicit MainWindow(Platform& platform, QWidget* parent = nullptr);
    ~MainWindow() override;

    const SpriteGrid& grid() const { return grid_; }
    const std::string& text2() const { return text2_; }
    const FileDialogRequest& commonDialog1() const { return commonDialog1_; }
    QString codeText() const;
    void setCodeBuilder(CodeBuilder builder) { codeBuilder_ = std::move(builder); }

    // The routines and commands, as the menus and buttons run them.
    void RefreshSize();
    void GenerateSpriteCode();
    void clickCell(int index);
    void NewSprite();
    void ClearSprite();
    void Invert();
    void FillBlack();
    void SaveSprite();
    void OpenSprite();
    void SaveCodeFile();
    void PrintCodeText();
    void CopyCodeText();
    void SetCodeBackColour();
    void Exit();

    // Beyond the menus: the history, the transforms, paste and opening a
    // file given on the command line or dropped on the window.
    void undo();
    void redo();
    void transform(SpriteTransform transform);
    void pasteCode();
    void copyCodeAsBytes(bool hex);
    void openFile(const QString& path);
    const SpriteHistory& history() const { return history_; }

    // Moves a slider as the program does: a position outside 1..15 is
    // refused and changes nothing; a change runs the size refresh.
    void setRowSliderPosition(int position) override;
    void setColumnSliderPosition(int position) override;
    // Colours one cell without rebuilding the code, as a load does.
    void setCellColour(int row, int column, Rgb colour) override;

signals:
    void sizeRefreshed();
    void helpRequested();
    void aboutRequested();
    // The window is ending the program, by the Exit command or otherwise.
    void programEnding(bool byExitCommand);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createActions();
    void createEditActions();
    void createMenus();
    void createGridArea(QWidget* client);
    void createCodeFrame(QWidget* client);
    void createSpriteFrame(QWidget* client);
    void createProgressFrame(QWidget* client);
    void createStatusBar(QWidget* client);
    QPushButton* createButton(QWidget* frame, const char* name, const QString& text,
                              const QRect& rect, QAction* command, const QString& hint);
    void showProgress(int value);
    void tickClock();
    void setHint(const QString& text);

    void rebuildCode() override;

    // Every change of the picture or the size between beginStep() and the
    // matching endStep() is one undo step; steps nest.
    class EditStep;
    void beginStep();
    void endStep();
    void sliderMoved();
    void paintCell(int index, Rgb colour);
    void restore(const SpriteState& state);
    void loadSprite(const QString& path);
    void applySprite(const SpriteGrid& sprite);
    void updateEditActions();

    Platform& platform_;
    SpriteGrid grid_;
    CodeBuilder codeBuilder_;
    std::string text2_;
    FileDialogRequest commonDialog1_;
    FileDialogRequest box_;
    SpriteHistory history_;
    int stepDepth_ = 0;
    SpriteState stepStart_;
    bool restoring_ = false;
    bool ending_ = false;
    bool centred_ = false;

    GridView* gridView_ = nullptr;
    QSlider* columnSlider_ = nullptr;
    QSlider* rowSlider_ = nullptr;
    QLabel* sizeLabel_ = nullptr;
    CodeBox* source_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QGroupBox* codeFrame_ = nullptr;
    QGroupBox* spriteFrame_ = nullptr;
    QLabel* hintPanel_ = nullptr;
    QLabel* clockPanel_ = nullptr;
    QTimer* clock_ = nullptr;

    QAction* openAction_ = nullptr;
    QAction* saveAsAction_ = nullptr;
    QAction* printAction_ = nullptr;
    QAction* exitAction_ = nullptr;
    QAction* clearAction_ = nullptr;
    QAction* backColourAction_ = nullptr;
    QAction* invertAction_ = nullptr;
    QAction* fillBlackAction_ = nullptr;
    QAction* helpAction_ = nullptr;
    QAction* aboutAction_ = nullptr;
    QAction* newAction_ = nullptr;
    QAction* saveCodeAction_ = nullptr;
    QAction* copyAction_ = nullptr;
    QAction* copyAssemblerBytesAction_ = nullptr;
    QAction* copyHexBytesAction_ = nullptr;

    QAction* undoAction_ = nullptr;
    QAction* redoAction_ = nullptr;
    QAction* rotateAction_ = nullptr;
    QAction* pasteAction_ = nullptr;
    QMenu* gridMenu_ = nullptr;
};

} // namespace quillox
