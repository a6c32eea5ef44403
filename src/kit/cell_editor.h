#pragma once
// Cell editor: a one-line text box laid over a cell of a FlexGrid for in-place
// editing, configured per grid.
//
// A click on an editable cell of a data row opens the editor over the cell with
// the cell's text selected, so typing replaces it; an editor open elsewhere writes
// its text back first. A click on the editor itself while it holds nothing typed
// since it opened or moved acts as a click on its cell: the text is selected again. Typed characters pass the grid's key rule; Enter returns the
// focus to the grid. Losing the focus (and, when configured, a scroll of the
// grid) writes the text back into the cell and hides the editor; arrow keys
// configured as movement keys write back and move the editor to the neighbouring
// cell. Writing a changed text marks the row in the grid's row-state column.
// The editor never touches the database.
//
// Keys typed while the grid itself has the focus change no cell.
#include <QLineEdit>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QInputMethodEvent;
class QKeyEvent;

namespace tessaly {
class FlexGrid;
}

namespace tessaly {

class CellEditor;

// The character a key press types, or a null QChar for keys that type nothing
// (arrows, function keys, shortcuts). Backspace types QChar(8).
QChar typedCharacter(const QKeyEvent *event);

struct CellEditorConfig {
    // Column numbers below may be negative: -1 is the last column (Cols - 1), -2 the
    // one before it, and so on, so a rule holds however many columns the grid has.

    // The editable columns, firstColumn to lastColumn. Only data rows (below the
    // fixed rows) are ever edited. Movement keys keep the editor inside the data
    // rows and these columns.
    int firstColumn = 1;
    int lastColumn = -1;

    // The editor opens only while this returns true (a sign-in). Empty: always.
    std::function<bool()> mayEdit;

    // Key rule, for every character typed into the editor (Backspace is QChar(8);
    // Enter is not passed). `text` is the editor's text, which the rule may change
    // (a cycling column). Returns the character to type, possibly another one, or
    // a null QChar to drop the key.
    std::function<QChar(int col, QChar key, QString &text)> keyRule;

    // Check after every change the user makes to the text (typed, pasted); it may
    // change `text`, which the editor then takes. A check that refuses a change
    // sets `text` back to CellEditor::checkedText().
    std::function<void(int col, QString &text)> textCheck;

    // Refusal of a whole text, after textCheck (a score above the full mark): when it
    // returns true the editor takes its cell's text back, selected as on opening, so
    // nothing typed since is kept, and `refused` runs to say why.
    std::function<bool(int col, const QString &text)> refuses;
    std::function<void(int col)> refused;

    // The text that is written back for the editor's text (e.g. a 性别 other than
    // 男 or 女 written as ""). Empty: the editor's text as it is.
    std::function<QString(int col, const QString &text)> commitText;

    // Movement keys.
    enum MoveKey { MoveNone = 0, MoveLeft = 1, MoveRight = 2, MoveUp = 4, MoveDown = 8, MoveArrows = 15 };
    int moveKeys = MoveArrows;
    // Enter moves the editor one row down instead of returning the focus to the grid.
    bool enterMovesDown = false;
    // Up and Down pass over hidden rows (height 0); otherwise they stop on them.
    bool moveSkipsHiddenRows = false;
    // After a move, the next write-back is skipped (see CellEditor::setSkipNextWriteBack).
    bool skipWriteBackAfterMove = false;

    // A scroll of the grid writes back and hides the editor; otherwise the editor
    // follows its cell.
    bool commitOnScroll = true;
    // A scroll clears the skip-next-write-back mark before writing back.
    bool scrollClearsSkip = false;

    // Write the text back even when it equals the cell's text.
    bool writeUnchanged = false;

    // Row marking: when a write-back changes a cell and the row's state cell
    // (rowStateColumn) is empty, it becomes changedState. kNoRowState: no marking.
    static constexpr int kNoRowState = 0x7fffffff;
    int rowStateColumn = kNoRowState;
    QString changedState;

    // Longest text the editor takes, in characters (0: no limit).
    int maxLength = 0;
};

class CellEditor : public QObject {
    Q_OBJECT
public:
    // Lays `editor` over `grid`; without one, makes a QLineEdit named "Text1" as a
    // child of the grid, which goes with the CellEditor. The editor starts hidden.
    CellEditor(FlexGrid *grid, CellEditorConfig config, QLineEdit *editor = nullptr);
    ~CellEditor() override;

    FlexGrid *grid() const { return m_grid; }
    QLineEdit *lineEdit() const { return m_editor; }
    const CellEditorConfig &config() const { return m_config; }
    void setConfig(CellEditorConfig config);

    // The edit cell: the cell the editor was last opened on or moved to. Row 0
    // (the header row) until the first opening.
    int editRow() const { return m_editRow; }
    int editCol() const { return m_editCol; }
    bool isOpen() const;

    // The editor's text as it was before the change now being checked: the cell's
    // text on opening, then the text each check left.
    const QString &checkedText() const { return m_checkedText; }

    // Whether the editor would open on (row, col) now.
    bool canEdit(int row, int col) const;

    // Pending-edit mark: set by every key typed into the editor (Enter aside) and by
    // every other change the user makes; cleared when the text is written back.
    bool pendingEdit() const { return m_pending; }
    void clearPendingEdit() { m_pending = false; }

    // Skip-next-write-back mark: while set, the next write-back on loss of focus or
    // scroll only clears the mark (the editor stays where it is).
    bool skipNextWriteBack() const { return m_skip; }
    void setSkipNextWriteBack(bool skip) { m_skip = skip; }

    // Opens the editor over (row, col) when canEdit(); run by a click on the grid.
    // An editor already open writes its text back first, with or without the focus.
    bool BeginCellEdit(int row, int col);
    // Writes the text back and hides the editor, unless the skip mark is set, which
    // it then clears. Run when the editor loses the focus or the grid scrolls.
    void CommitCellEdit();
    // Ends an edit before a window action (add, delete, import, export): writes a
    // pending edit back and hides the editor, without a second write-back when the
    // editor then loses the focus.
    void CloseCellEditor();
    // Hides the editor without writing anything (the grid is being refilled).
    void cancel();

    // The write-back step: when the editor's text (after commitText) differs from the
    // edit cell's text, or writeUnchanged is set, writes it into the cell, clears the
    // pending-edit mark and marks the row. True when the cell was written.
    bool writeBack();

signals:
    // The editor wrote a text into the cell (row, col).
    void cellWritten(int row, int col);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool editorKey(QKeyEvent *event);
    bool editorInputMethod(QInputMethodEvent *event);
    bool editorMouse(QEvent *event);
    void fillFromCell();
    bool move(int key);
    void openAt(int row, int col);
    void place();
    void hideEditor();
    void applyTextCheck();
    int resolveCol(int col) const;
    int firstDataRow() const;

    FlexGrid *m_grid;
    QLineEdit *m_editor;
    QPointer<QLineEdit> m_ownEditor;   // made here
    CellEditorConfig m_config;
    int m_editRow = 0;
    int m_editCol = 0;
    bool m_pending = false;
    bool m_skip = false;
    bool m_quiet = false;    // hiding or moving: no write-back on focus loss or scroll
    bool m_inCheck = false;
    bool m_mouseTaken = false;   // a press on the editor reopened it: its drag and release go nowhere
    QString m_checkedText;
};

} // namespace tessaly
