#include "records/two_mode_editor.h"

#include "kit/save_report.h"
#include "kit/sign_in_toggle.h"
#include "kit/unsaved_changes.h"
#include "widgets/messages.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace tessaly::records {

namespace {

QString quote(const QString &text, int quoteLength)
{
    return QLatin1Char('(') + text.left(quoteLength) + QStringLiteral("...)内容吗?");
}

} // namespace

TwoModeEditor::TwoModeEditor(ConnectionSource connection, const Config &config, QWidget *window)
    : QObject(window), m_connection(std::move(connection)), m_config(config), m_window(window)
{
    const Buttons &b = m_config.buttons;
    connect(b.add, &QAbstractButton::clicked, this, &TwoModeEditor::add);
    connect(b.edit, &QAbstractButton::clicked, this, &TwoModeEditor::edit);
    connect(b.update, &QAbstractButton::clicked, this, &TwoModeEditor::save);
    connect(b.refresh, &QAbstractButton::clicked, this, &TwoModeEditor::cancel);
    if (b.remove)
        connect(b.remove, &QAbstractButton::clicked, this, &TwoModeEditor::remove);
    setCaptions();
    setWritable(!m_config.readOnlyWhileBrowsing);
}

QString TwoModeEditor::editQuestion(const QString &text, int quoteLength)
{
    return QStringLiteral("确定要修改") + quote(text, quoteLength);
}

QString TwoModeEditor::deleteQuestion(const QString &text, int quoteLength)
{
    return QStringLiteral("确实要删除") + quote(text, quoteLength);
}

void TwoModeEditor::setCaptions()
{
    QString update, refresh;
    switch (m_mode) {
    case Mode::Adding:
        update = QStringLiteral("保存(&U)");
        refresh = QStringLiteral("不存(&R)");
        break;
    case Mode::Editing:
        update = QStringLiteral("保存(&B)");
        refresh = QStringLiteral("不改(&R)");
        break;
    case Mode::Browsing:
        update = m_left ? QStringLiteral("刷新(&U)") : QStringLiteral("更新(&U)");
        refresh = m_left ? QStringLiteral("更新(&R)") : QStringLiteral("刷新(&R)");
        break;
    }
    m_config.buttons.update->setText(update);
    m_config.buttons.refresh->setText(refresh);
}

QString TwoModeEditor::text() const
{
    if (auto *line = qobject_cast<QLineEdit *>(m_config.editor))
        return line->text();
    if (auto *plain = qobject_cast<QPlainTextEdit *>(m_config.editor))
        return plain->toPlainText();
    if (auto *rich = qobject_cast<QTextEdit *>(m_config.editor))
        return rich->toPlainText();
    return QString();
}

void TwoModeEditor::setText(const QString &text)
{
    if (auto *line = qobject_cast<QLineEdit *>(m_config.editor))
        line->setText(text);
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(m_config.editor))
        plain->setPlainText(text);
    else if (auto *rich = qobject_cast<QTextEdit *>(m_config.editor))
        rich->setPlainText(text);
}

void TwoModeEditor::setWritable(bool writable)
{
    if (auto *line = qobject_cast<QLineEdit *>(m_config.editor))
        line->setReadOnly(!writable);
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(m_config.editor))
        plain->setReadOnly(!writable);
    else if (auto *rich = qobject_cast<QTextEdit *>(m_config.editor))
        rich->setReadOnly(!writable);
}

void TwoModeEditor::focusEditor()
{
    if (m_config.editor)
        m_config.editor->setFocus();
}

void TwoModeEditor::setSignIn(SignInToggle *toggle)
{
    m_signIn = toggle;
    connect(toggle, &SignInToggle::stateShown, this, &TwoModeEditor::followSignIn);
}

bool TwoModeEditor::signedIn(const QString &refusal)
{
    return !m_signIn || m_signIn->confirmSignedIn(refusal);
}

void TwoModeEditor::followSignIn(bool signedIn)
{
    if (inMode())
        unlockToggle(!signedIn);
}

void TwoModeEditor::unlockToggle(bool unlock)
{
    QAbstractButton *button = m_signIn ? m_signIn->button() : nullptr;
    if (!button)
        return;
    const auto holdsToggle = [button](const QWidget *w) { return w == button || w->isAncestorOf(button); };
    if (!unlock) {
        for (QWidget *w : m_config.locked)
            if (w && holdsToggle(w))
                w->setEnabled(false);
        restoreAroundToggle();
        return;
    }
    // A locked widget that holds the toggle is enabled again with everything in
    // it but the toggle (and the widgets it lies in) disabled.
    for (QWidget *w : m_config.locked) {
        if (!w || !holdsToggle(w))
            continue;
        w->setEnabled(true);
        for (QWidget *inside : w->findChildren<QWidget *>()) {
            if (holdsToggle(inside) || !holdsToggle(inside->parentWidget()) || !inside->isEnabledTo(w))
                continue;
            inside->setEnabled(false);
            m_lockedAroundToggle << inside;
        }
    }
    button->setEnabled(true);
}

void TwoModeEditor::restoreAroundToggle()
{
    for (const QPointer<QWidget> &w : std::as_const(m_lockedAroundToggle))
        if (w)
            w->setEnabled(true);
    m_lockedAroundToggle.clear();
}

bool TwoModeEditor::refused(const std::function<bool()> &test, const QString &message)
{
    if (!test || test())
        return false;
    showNotice(m_window, message, kTitleHint);
    return true;
}

void TwoModeEditor::enter(Mode mode)
{
    m_mode = mode;
    const Buttons &b = m_config.buttons;
    for (QWidget *w : {static_cast<QWidget *>(b.add), static_cast<QWidget *>(b.edit), static_cast<QWidget *>(b.remove)})
        if (w)
            w->setEnabled(false);
    for (QWidget *w : m_config.locked)
        if (w)
            w->setEnabled(false);
    setCaptions();
    setWritable(true);
    m_enteredText = text();
    if (m_steps.modeChanged)
        m_steps.modeChanged(mode);
    focusEditor();
}

void TwoModeEditor::leave(const Leave &how)
{
    restoreAroundToggle();
    m_mode = Mode::Browsing;
    m_left = true;
    m_edited.reset();
    if (m_steps.reload)
        m_steps.reload(how);
    setCaptions();
    const Buttons &b = m_config.buttons;
    for (QWidget *w : m_config.locked)
        if (w)
            w->setEnabled(true);
    for (QWidget *w : {static_cast<QWidget *>(b.add), static_cast<QWidget *>(b.edit), static_cast<QWidget *>(b.remove)})
        if (w)
            w->setEnabled(true);
    setWritable(!m_config.readOnlyWhileBrowsing);
    if (m_steps.modeChanged)
        m_steps.modeChanged(Mode::Browsing);
}

void TwoModeEditor::add()
{
    if (inMode() || (m_steps.mayAdd && !m_steps.mayAdd()))
        return;
    if (m_config.emptyOnAdd)
        setText(QString());
    enter(Mode::Adding);
}

void TwoModeEditor::edit()
{
    if (inMode() || refused(m_steps.hasChoice, m_config.messages.editWithoutChoice))
        return;
    const std::optional<Document> row = m_steps.current ? m_steps.current() : std::nullopt;
    if (!row) {
        showNotice(m_window, m_config.messages.editWithoutRow, kTitleHint);
        return;
    }
    if (!askYesNo(m_window, editQuestion(row->text, m_config.quoteLength), kTitleHint))
        return;
    m_edited = row;
    setText(row->text);
    enter(Mode::Editing);
}

void TwoModeEditor::save()
{
    const auto current = [this]() -> std::optional<qint64> {
        const std::optional<Document> row = m_steps.current ? m_steps.current() : std::nullopt;
        return row ? std::optional<qint64>(row->id) : std::nullopt;
    };
    if (m_mode == Mode::Browsing) {
        leave({Mode::Browsing, true, current()});
        return;
    }
    const QString typed = text();
    if (typed.isEmpty()) {
        showNotice(m_window, m_config.messages.emptyText, kTitleHint);
        focusEditor();
        return;
    }
    if (m_mode == Mode::Adding) {
        const std::optional<NewDocument> row = m_steps.newRow ? m_steps.newRow(typed) : std::nullopt;
        if (!row)
            return;
        if (!signedIn()) {
            focusEditor();
            return;
        }
        const InsertOutcome r = saveWith<InsertOutcome>(m_connection(), [&](db::Connection &c) {
            return insertDocument(c, row->kind, typed, row->displayName);
        });
        if (!r.ok) {
            reportSaveFailure(m_window, QStringLiteral("没有保存："), r.error, kTitleHint);
            focusEditor();
            return;
        }
        leave({Mode::Adding, true, r.id});
        return;
    }
    if (!signedIn()) {
        focusEditor();
        return;
    }
    const qint64 id = m_edited->id;
    const SaveOutcome r = saveWith<SaveOutcome>(m_connection(), [&](db::Connection &c) {
        return updateDocumentText(c, *m_edited, typed,
                                  QStringLiteral("这条内容(%1...)").arg(m_edited->text.left(m_config.quoteLength)));
    });
    if (!r.ok) {
        reportSaveFailure(m_window, QStringLiteral("没有保存："), r.error, kTitleHint);
        focusEditor();
        return;
    }
    leave({Mode::Editing, true, id});
}

void TwoModeEditor::cancel()
{
    std::optional<qint64> row;
    if (m_mode == Mode::Editing) {
        row = m_edited->id;
    } else if (m_mode == Mode::Browsing && m_steps.current) {
        if (const std::optional<Document> d = m_steps.current())
            row = d->id;
    }
    leave({m_mode, false, row});
}

bool TwoModeEditor::settle()
{
    if (!inMode())
        return true;
    if (hasUnsavedText()
        && !settleUnsavedChanges(m_window, m_config.messages.unsaved, [this] {
               save();
               return !inMode();
           }))
        return false;
    if (inMode())
        cancel();
    return true;
}

void TwoModeEditor::remove()
{
    if (inMode() || refused(m_steps.hasChoice, m_config.messages.deleteWithoutChoice))
        return;
    const std::optional<Document> row = m_steps.current ? m_steps.current() : std::nullopt;
    if (!row) {
        showNotice(m_window, m_config.messages.deleteWithoutRow, kTitleHint);
        return;
    }
    if (!askYesNo(m_window, deleteQuestion(row->text, m_config.quoteLength), kTitleHint)
        || !signedIn(QStringLiteral("班主任(%1)没有登陆，没有删除。请登陆后再删除。")))
        return;
    const SaveOutcome r = saveWith<SaveOutcome>(m_connection(), [&](db::Connection &c) {
        return deleteDocument(c, row->id);
    });
    if (!r.ok) {
        reportSaveFailure(m_window, QStringLiteral("没有删除："), r.error, kTitleHint);
        return;
    }
    if (m_steps.reload)
        m_steps.reload({Mode::Browsing, false, std::nullopt, true});
}

} // namespace tessaly::records
