#pragma once
// The two-mode editor of 班主任 rows: browse a list, enter adding or editing,
// type, and leave the mode by saving or cancelling. One component serves the
// phrase panel of 学生操行评定, the template windows and the record windows;
// each configures it and says what its list does.
//
// Captions (add, edit and delete keep theirs):
//
//   state                                   cmdUpdate     cmdRefresh
//   browsing, until the first save/cancel   "更新(&U)"     "刷新(&R)"
//   adding                                  "保存(&U)"     "不存(&R)"
//   editing                                 "保存(&B)"     "不改(&R)"
//   browsing after any save or cancel       "刷新(&U)"     "更新(&R)"
//
// Entering a mode disables add, edit, delete and the window's `locked` widgets
// and makes the editor writable; leaving it enables them again and, where the
// window wants, makes the editor read-only. The editor writes the rows itself
// (班主任 on the window's connection); a failed write is reported and the mode stays.
//
// In a window that signs in (setSignIn), every write first confirms that the
// toggle's account is signed in at that moment. A sign-in that ends elsewhere
// while a mode is open keeps the mode and the typed text; the toggle alone of
// the locked widgets becomes usable, so the user can sign in again and save.
//
//   m_editor = new TwoModeEditor([this]() -> db::Connection & { return connection(); }, {
//       .buttons = {CmdAdd, Cmdedit, cmdUpdate, cmdRefresh, cmdDelete},
//       .editor = Text1, .quoteLength = 20,
//       .messages = {.editWithoutRow = u"请选择要修改的记录内容"_s, …},
//       .locked = {Frame1}}, this);
//   m_editor->setSteps({
//       .current = [this] { return rowOfListEntry(); },              // the row edit/delete act on
//       .newRow = [this](const QString &) { return NewDocument{m_kind, m_name}; },
//       .reload = [this](const TwoModeEditor::Leave &l) { refillList(); select(l.row); },
//   });
#include "records/head_teacher_documents.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <optional>

class QAbstractButton;
class QWidget;

namespace tessaly {
class SignInToggle;
}

namespace tessaly::records {

// The connection a window's reads and saves run on (FormWindow::connection).
using ConnectionSource = std::function<db::Connection &()>;

// The kind code and display name of a row about to be added (a null name leaves 其它 NULL).
struct NewDocument {
    QString kind;
    QString displayName;
};

class TwoModeEditor : public QObject {
    Q_OBJECT
public:
    enum class Mode { Browsing, Adding, Editing };

    struct Buttons {
        QAbstractButton *add = nullptr;       // CmdAdd
        QAbstractButton *edit = nullptr;      // Cmdedit
        QAbstractButton *update = nullptr;    // cmdUpdate: save
        QAbstractButton *refresh = nullptr;   // cmdRefresh: cancel
        QAbstractButton *remove = nullptr;    // cmdDelete; none in the template windows
    };
    struct Messages {
        QString editWithoutRow{};        // edit with no current row
        QString deleteWithoutRow{};      // delete with no current row
        QString emptyText{};             // save with an empty editor
        QString editWithoutChoice{};     // record windows: no list entry chosen (tested first)
        QString deleteWithoutChoice{};
        QString unsaved{};               // asked when the window closes while text is typed
    };
    struct Config {
        Buttons buttons{};
        QWidget *editor = nullptr;            // QLineEdit, QPlainTextEdit or QTextEdit
        int quoteLength = 10;                 // characters of the text quoted in the confirmations
        Messages messages{};
        QList<QWidget *> locked{};              // disabled while adding or editing
        bool readOnlyWhileBrowsing = true;
        bool emptyOnAdd = true;               // the phrase panel keeps what the editor holds
    };

    // How a mode was left, for the window's list.
    struct Leave {
        Mode mode = Mode::Browsing;       // the mode that ended
        bool saved = false;               // by save (else by cancel)
        std::optional<qint64> row{};        // the row to make current: the new or edited
                                          // one, after a cancel the edited one, else the current one
        bool removed = false;             // after a delete (the mode was browsing and stays)
    };

    struct Steps {
        // The row edit and delete act on (the list's current entry); none when no row is current.
        std::function<std::optional<Document>()> current{};
        // Whether a list entry is chosen (record windows); absent: not tested.
        std::function<bool()> hasChoice{};
        // Checks and questions before adding (record windows); false stays browsing.
        std::function<bool()> mayAdd{};
        // The new row's kind and name at save time, or none when the window refuses
        // (it has said why); the mode stays then.
        std::function<std::optional<NewDocument>(const QString &text)> newRow{};
        // After every save and cancel, and after a delete (mode Browsing): the
        // window refills its list and makes `row` current.
        std::function<void(const Leave &)> reload{};
        // After every change of mode (the phrase panel shows its editor).
        std::function<void(Mode)> modeChanged{};
    };

    TwoModeEditor(ConnectionSource connection, const Config &config, QWidget *window);
    void setSteps(Steps steps) { m_steps = std::move(steps); }
    // The window's sign-in toggle, whose account every write needs.
    void setSignIn(SignInToggle *toggle);

    Mode mode() const { return m_mode; }
    bool inMode() const { return m_mode != Mode::Browsing; }
    // Whether the editor holds text typed since the mode was entered.
    bool hasUnsavedText() const { return inMode() && text() != m_enteredText; }

    // Before the window closes or hides the editor: ends the mode. Typed text
    // is first settled by the unsaved question: Yes saves (a refused or failed
    // save stays in the mode), No drops it, Cancel stays. True when the mode has
    // ended (or there was none).
    bool settle();

    static QString editQuestion(const QString &text, int quoteLength);    // 确定要修改(…...)内容吗?
    static QString deleteQuestion(const QString &text, int quoteLength);  // 确实要删除(…...)内容吗?

public slots:
    void add();      // CmdAdd
    void edit();     // Cmdedit
    void save();     // cmdUpdate
    void cancel();   // cmdRefresh
    void remove();   // cmdDelete

private:
    void enter(Mode mode);
    void leave(const Leave &how);
    void setCaptions();
    QString text() const;
    void setText(const QString &text);
    void setWritable(bool writable);
    void focusEditor();
    bool refused(const std::function<bool()> &test, const QString &message);
    bool signedIn(const QString &refusal = QString());
    void followSignIn(bool signedIn);
    void unlockToggle(bool unlock);
    void restoreAroundToggle();

    ConnectionSource m_connection;   // the window's: saves run on it
    Config m_config;
    Steps m_steps;
    QWidget *m_window;
    Mode m_mode = Mode::Browsing;
    bool m_left = false;                 // a save or cancel happened
    std::optional<Document> m_edited;    // the row being edited
    QString m_enteredText;               // the editor's text when the mode was entered
    QPointer<SignInToggle> m_signIn;
    QList<QPointer<QWidget>> m_lockedAroundToggle;   // disabled so that only the toggle is usable
};

} // namespace tessaly::records
