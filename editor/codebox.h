#pragma once

#include <QPlainTextEdit>

class QMenu;

namespace quillox
{

// The code box: shows the sprite code read-only but selectable, and keeps the
// exact text (with its CR LF line ends) for the export commands.
class CodeBox : public QPlainTextEdit
{
    Q_OBJECT
public:
    // The longest code: 15 rows of TAB ".db" TAB "%" and 15 digits.
    static constexpr int MaxRows = 15;
    static constexpr int MaxDigits = 15;

    explicit CodeBox(QWidget* parent = nullptr);

    void setCodeText(const QString& text);
    const QString& codeText() const { return codeText_; }

    void setBackgroundColour(const QColor& colour);
    QColor backgroundColour() const;

    // Actions offered in the context menu after the standard ones.
    void setExtraMenuActions(const QList<QAction*>& actions) { extraActions_ = actions; }
    // The context menu as the box shows it; the caller owns it.
    QMenu* createContextMenu();

signals:
    // The paste key was pressed: the box never takes text, but the sprite may.
    void pasteRequested();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;

private:
    void fitFontToSize();

    QString codeText_;
    QList<QAction*> extraActions_;
};

} // namespace quillox
