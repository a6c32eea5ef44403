#include "kit/cell_editor.h"

#include "widgets/flex_grid.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

namespace tessaly {

namespace {

bool isEnter(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

QChar typedCharacter(const QKeyEvent *event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return QChar();
    if (event->key() == Qt::Key_Backspace)
        return QChar(8);
    const QString text = event->text();
    if (text.size() != 1 || !text[0].isPrint())
        return QChar();
    return text[0];
}

CellEditor::CellEditor(FlexGrid *grid, CellEditorConfig config, QLineEdit *editor)
    : QObject(grid), m_grid(grid), m_editor(editor)
{
    if (!m_editor) {
        m_editor = new QLineEdit(grid);
        m_editor->setObjectName(QStringLiteral("Text1"));
        m_ownEditor = m_editor;
    }
    m_editor->setFrame(false);
    m_editor->setFont(grid->font());
    m_editor->hide();
    setConfig(std::move(config));

    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->installEventFilter(this);
    m_editor->installEventFilter(this);

    connect(m_grid, &FlexGrid::Click, this, [this] { BeginCellEdit(m_grid->Row(), m_grid->Col()); });
    connect(m_grid, &FlexGrid::Scroll, this, [this] {
        if (m_quiet || !isOpen())
            return;
        if (!m_config.commitOnScroll) {
            place();
            return;
        }
        if (m_config.scrollClearsSkip)
            m_skip = false;
        CommitCellEdit();
    });
    connect(m_editor, &QLineEdit::textEdited, this, [this] {
        m_pending = true;
        applyTextCheck();
    });
}

CellEditor::~CellEditor()
{
    delete m_ownEditor.data();
}

void CellEditor::setConfig(CellEditorConfig config)
{
    m_config = std::move(config);
    m_editor->setMaxLength(m_config.maxLength > 0 ? m_config.maxLength : 32767);
}

bool CellEditor::isOpen() const
{
    return !m_editor->isHidden();
}

int CellEditor::resolveCol(int col) const
{
    return col < 0 ? m_grid->Cols() + col : col;
}

int CellEditor::firstDataRow() const
{
    return m_grid->FixedRows();
}

bool CellEditor::canEdit(int row, int col) const
{
    if (m_config.mayEdit && !m_config.mayEdit())
        return false;
    if (row < firstDataRow() || row >= m_grid->Rows())
        return false;
    return col >= resolveCol(m_config.firstColumn) && col <= resolveCol(m_config.lastColumn)
        && col >= 0 && col < m_grid->Cols();
}

bool CellEditor::BeginCellEdit(int row, int col)
{
    if (!canEdit(row, col))
        return false;
    // The open editor's text goes into its cell first, whether or not the editor
    // still has the focus (a message box may have taken it and not given it back).
    if (isOpen())
        writeBack();
    openAt(row, col);
    return true;
}

void CellEditor::openAt(int row, int col)
{
    m_quiet = true;   // moving the current cell may scroll the grid
    m_editRow = row;
    m_editCol = col;
    m_grid->setRow(row);
    m_grid->setCol(col);
    m_grid->scrollTo(m_grid->model()->index(row, col));
    m_quiet = false;

    place();
    fillFromCell();
    m_editor->show();
    m_editor->raise();
    m_editor->setFocus(Qt::OtherFocusReason);
}

void CellEditor::fillFromCell()
{
    m_editor->setText(m_grid->TextMatrix(m_editRow, m_editCol));
    // The cell's text is selected: typing replaces it rather than appending to it.
    m_editor->selectAll();
    m_checkedText = m_editor->text();
    m_pending = false;
}

void CellEditor::place()
{
    const QRect cell = m_grid->cellRect(m_editRow, m_editCol);
    QWidget *parent = m_editor->parentWidget();
    QPoint topLeft = cell.topLeft();
    if (parent && parent != m_grid)
        topLeft = parent->mapFromGlobal(m_grid->mapToGlobal(topLeft));
    m_editor->setGeometry(QRect(topLeft, cell.size()));
}

void CellEditor::hideEditor()
{
    m_quiet = true;
    if (m_editor->hasFocus())
        m_grid->setFocus(Qt::OtherFocusReason);
    m_editor->hide();
    m_quiet = false;
}

bool CellEditor::writeBack()
{
    const int row = m_editRow;
    const int col = m_editCol;
    if (row < firstDataRow() || row >= m_grid->Rows() || col < 0 || col >= m_grid->Cols())
        return false;
    const QString text = m_config.commitText ? m_config.commitText(col, m_editor->text()) : m_editor->text();
    const bool changed = text != m_grid->TextMatrix(row, col);
    if (!changed && !m_config.writeUnchanged)
        return false;
    m_grid->setTextMatrix(row, col, text);
    m_pending = false;
    if (changed && m_config.rowStateColumn != CellEditorConfig::kNoRowState) {
        const int stateCol = resolveCol(m_config.rowStateColumn);
        if (stateCol >= 0 && stateCol < m_grid->Cols() && m_grid->TextMatrix(row, stateCol).isEmpty())
            m_grid->setTextMatrix(row, stateCol, m_config.changedState);
    }
    emit cellWritten(row, col);
    return true;
}

void CellEditor::CommitCellEdit()
{
    if (!isOpen())
        return;
    if (m_skip) {
        m_skip = false;
        return;
    }
    writeBack();
    m_editor->end(false);
    hideEditor();
}

void CellEditor::CloseCellEditor()
{
    if (m_pending) {
        writeBack();
        m_pending = false;
    }
    if (isOpen()) {
        m_editor->end(false);
        hideEditor();
    }
}

void CellEditor::cancel()
{
    m_pending = false;
    if (isOpen())
        hideEditor();
}

void CellEditor::applyTextCheck()
{
    if ((!m_config.textCheck && !m_config.refuses) || m_inCheck)
        return;
    m_inCheck = true;
    QString text = m_editor->text();
    if (m_config.textCheck)
        m_config.textCheck(m_editCol, text);
    if (m_config.refuses && m_config.refuses(m_editCol, text)) {
        fillFromCell();
        m_inCheck = false;
        if (m_config.refused)
            m_config.refused(m_editCol);
        return;
    }
    if (text != m_editor->text())
        m_editor->setText(text);
    m_checkedText = m_editor->text();
    m_inCheck = false;
}

bool CellEditor::move(int key)
{
    // A selection counts by its start for Left and by its end for Right, so a
    // freshly opened cell (all of it selected) moves either way at once.
    const bool selected = m_editor->hasSelectedText();
    const int pos = selected ? m_editor->selectionStart() : m_editor->cursorPosition();
    const int end = selected ? m_editor->selectionEnd() : m_editor->cursorPosition();
    int dr = 0;
    int dc = 0;
    const int keys = m_config.moveKeys;
    if (key == Qt::Key_Left) {
        if (!(keys & CellEditorConfig::MoveLeft) || pos != 0)
            return false;
        dc = -1;
    } else if (key == Qt::Key_Right) {
        if (!(keys & CellEditorConfig::MoveRight) || end != m_editor->text().size())
            return false;
        dc = 1;
    } else if (key == Qt::Key_Up) {
        if (!(keys & CellEditorConfig::MoveUp))
            return false;
        dr = -1;
    } else if (key == Qt::Key_Down || (isEnter(key) && m_config.enterMovesDown)) {
        if (!(keys & CellEditorConfig::MoveDown) && !isEnter(key))
            return false;
        dr = 1;
    } else {
        return false;
    }

    // Limits: the data rows and the editable columns. At a limit nothing happens.
    const int lastRow = m_grid->Rows() - 1;
    if (m_editRow < firstDataRow() || m_editRow > lastRow)
        return true;
    if ((dc < 0 && m_editCol <= resolveCol(m_config.firstColumn))
        || (dc > 0 && m_editCol >= resolveCol(m_config.lastColumn))
        || (dr < 0 && m_editRow <= firstDataRow()) || (dr > 0 && m_editRow >= lastRow))
        return true;

    writeBack();
    int row = m_editRow + dr;
    if (dr != 0 && m_config.moveSkipsHiddenRows) {
        while (row >= firstDataRow() && row <= lastRow && m_grid->RowHeight(row) == 0)
            row += dr;
        if (row < firstDataRow() || row > lastRow)
            return true;   // every row that way is hidden: the editor stays
    }
    openAt(row, m_editCol + dc);
    if (m_config.skipWriteBackAfterMove)
        m_skip = true;
    return true;
}

bool CellEditor::editorKey(QKeyEvent *event)
{
    const int key = event->key();
    if (move(key))
        return true;

    const QChar typed = isEnter(key) ? QChar(13) : typedCharacter(event);
    if (typed.isNull())
        return false;   // caret keys, Delete, shortcuts: the line edit's own
    if (typed == QChar(13)) {
        m_grid->setFocus(Qt::OtherFocusReason);   // the loss of focus writes back
        return true;
    }

    m_pending = true;
    if (!m_config.keyRule)
        return false;
    const QString before = m_editor->text();
    QString text = before;
    const QChar result = m_config.keyRule(m_editCol, typed, text);
    if (text != before) {
        m_editor->setText(text);
        m_editor->end(false);
        m_checkedText = text;
    }
    if (result.isNull())
        return true;
    if (result == typed && text == before)
        return false;   // typed as it is
    if (result == QChar(8))
        m_editor->backspace();
    else
        m_editor->insert(QString(result));
    return true;
}

bool CellEditor::editorInputMethod(QInputMethodEvent *event)
{
    // Composed text (an input method) passes the key rule character by character.
    if (!m_config.keyRule || event->commitString().isEmpty())
        return false;
    m_pending = true;
    QString accepted;
    for (const QChar c : event->commitString()) {
        const QString before = m_editor->text();
        QString text = before;
        const QChar result = m_config.keyRule(m_editCol, c, text);
        if (text != before)
            m_editor->setText(text);
        if (!result.isNull() && result != QChar(8))
            accepted += result;
    }
    if (accepted == event->commitString())
        return false;
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(accepted, event->replacementStart(), event->replacementLength());
    m_editor->removeEventFilter(this);
    QCoreApplication::sendEvent(m_editor, &filtered);
    m_editor->installEventFilter(this);
    return true;
}

bool CellEditor::editorMouse(QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        // Nothing typed since the editor opened or moved: the click is one on the
        // cell, which selects its text again rather than placing the caret.
        if (static_cast<QMouseEvent *>(event)->button() != Qt::LeftButton || m_pending
            || !BeginCellEdit(m_editRow, m_editCol))
            return false;
        m_mouseTaken = true;
        return true;
    }
    case QEvent::MouseMove:
        return m_mouseTaken;   // no drag from the taken press changes the selection
    case QEvent::MouseButtonRelease: {
        const bool taken = m_mouseTaken;
        m_mouseTaken = false;
        return taken;
    }
    default:
        return false;
    }
}

bool CellEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_editor) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
            return editorMouse(event);
        case QEvent::KeyPress:
            return editorKey(static_cast<QKeyEvent *>(event));
        case QEvent::InputMethod:
            return editorInputMethod(static_cast<QInputMethodEvent *>(event));
        case QEvent::FocusOut: {
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            // A context menu or a switch to another program is no end of the edit.
            if (!m_quiet && reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
                CommitCellEdit();
            return false;
        }
        default:
            return false;
        }
    }
    if (watched == m_grid && event->type() == QEvent::KeyPress) {
        // Keys typed on the grid change no cell; Enter is ignored there.
        const auto *key = static_cast<QKeyEvent *>(event);
        return isEnter(key->key()) || !typedCharacter(key).isNull();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tessaly
