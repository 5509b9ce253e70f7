#pragma once

#include "code/bytecode.h"
#include "editor/spritedocument.h"
#include "editor/spriteintake.h"
#include "platform/platform.h"

#include <QMainWindow>

class QAction;
class QActionGroup;
class QGroupBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QSlider;

namespace quillox
{

class CodeBox;
class GridView;
class ScreenWindow;
class SpriteSetWindow;
class StatusPanels;

// The main window "progg": shows the sprite document (the grid, the sliders,
// the code box) and carries the commands, the hover hints and the clock.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(Platform& platform, QWidget* parent = nullptr);
    ~MainWindow() override;

    SpriteDocument& document() { return document_; }
    const SpriteDocument& document() const { return document_; }
    const FileDialogRequest& commonDialog1() const { return commonDialog1_; }
    // The code as the code box holds it, which the export commands take.
    QString codeText() const;

    // The commands, as the menus and buttons run them.
    void saveSprite();
    void openSprite();
    void saveCodeFile();
    void printCodeText();
    void copyCodeText();
    // The program's own command name, kept as it is.
    void SetCodeBackColor();
    void exit();

    // Beyond the menus: a file given on the command line or dropped on the
    // window, the byte copies of the code.
    void openFile(const QString& path);
    void copyCodeAsBytes(bool hex);
    // Saves the active block with its inks as a PNG, one pixel a cell.
    void savePicture();
    // Shows the calculator's screen window, made on first use, in front.
    void showCalculatorScreen();
    void showSpriteSet();
    // The screen window, or null before its first use.
    ScreenWindow* screenWindow() const { return screenWindow_; }
    // The Sprite Set window, made on first use.
    SpriteSetWindow* spriteSetWindow();
    void copyToClipboard(const std::string& text);

signals:
    void sizeRefreshed();
    void helpRequested();
    void aboutRequested();
    // The window is ending the program, by the Exit command or otherwise.
    void programEnding(bool byExitCommand);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createActions();
    void createEditActions();
    void createCodeMenuActions();
    void createInkActions();
    void createMaskMenu();
    void openPictureOrCodeFile();
    void createMenus();
    void createGridArea(QWidget* client);
    void createCodeFrame(QWidget* client);
    void createSpriteFrame(QWidget* client);
    void createProgressFrame(QWidget* client);
    // Every action is made here: its caption, its object name, its shortcuts
    // and the command it runs.
    template <typename Command>
    QAction* makeAction(const char* name, const QString& text, const QList<QKeySequence>& keys,
                        Command run);
    template <typename Command>
    QAction* makeChoice(QMenu* menu, QActionGroup* group, const char* name, const QString& text,
                        const QList<QKeySequence>& keys, bool chosen, Command run);
    QPushButton* createButton(QWidget* frame, const char* name, const QString& text,
                              const QRect& rect, QAction* command, const QString& hint);
    void showDocument();

    void showSize();
    void showCells(int index);
    void showCode();
    void showProgress(int value);
    void updateEditActions();

    Platform& platform_;
    SpriteDocument document_;
    // The program's own dialogs, kept under their names: CommonDialog1 for
    // sprite files, Box for the code.
    FileDialogRequest commonDialog1_;
    FileDialogRequest box_;
    FileDialogRequest bytesDialog_;
    FileDialogRequest pictureDialog_;
    FileDialogRequest savePictureDialog_;
    ByteStyle byteStyle_;
    SpriteIntake intake_;
    bool ending_ = false;
    bool centred_ = false;

    GridView* gridView_ = nullptr;
    QSlider* columnSlider_ = nullptr;
    QSlider* rowSlider_ = nullptr;
    QLabel* sizeLabel_ = nullptr;
    CodeBox* source_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    StatusPanels* statusPanels_ = nullptr;

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
    QList<QAction*> codeMenuActions_;

    QAction* undoAction_ = nullptr;
    QAction* redoAction_ = nullptr;
    QAction* rotateAction_ = nullptr;
    QAction* pasteAction_ = nullptr;
    QMenu* gridMenu_ = nullptr;
    ScreenWindow* screenWindow_ = nullptr;
    SpriteSetWindow* spriteSetWindow_ = nullptr;
};

} // namespace quillox
