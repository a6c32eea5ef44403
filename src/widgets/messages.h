#pragma once
// Message boxes: one entry point for notices, Yes/No and Yes/No/Cancel questions.
// Tests install a ScriptedResponder so no test ever waits on a real modal box.
#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

namespace tessaly {

// The program's title, shown on a message box that has no title of its own.
inline const QString kProgramTitle = QStringLiteral("Tessaly");

// Titles the windows use.
inline const QString kTitleHint = QStringLiteral("提示");
inline const QString kTitleHintDots = QStringLiteral("提示……");
inline const QString kTitleHintInfo = QStringLiteral("提示信息……");
inline const QString kTitleSignIn = QStringLiteral("登录");

// The answer to a Yes/No/Cancel question.
enum class Answer { Yes, No, Cancel };

class MessageResponder {
public:
    virtual ~MessageResponder() = default;
    virtual void notice(QWidget *parent, const QString &text, const QString &title) = 0;
    virtual bool question(QWidget *parent, const QString &text, const QString &title) = 0;
    // A question whose default is No; a responder without its own answers as question() does.
    virtual bool questionDefaultNo(QWidget *parent, const QString &text, const QString &title)
    {
        return question(parent, text, title);
    }
    // A responder without a Cancel of its own answers as question() does.
    virtual Answer questionWithCancel(QWidget *parent, const QString &text, const QString &title)
    {
        return question(parent, text, title) ? Answer::Yes : Answer::No;
    }
};

// Shows an OK-only notice (button "确定", no icon). An empty title shows the program's
// title. CR, CR LF and LF in the text are line breaks; leading blanks are kept.
void showNotice(QWidget *parent, const QString &text, const QString &title = QString());

// Asks a Yes/No question ("是(&Y)" / "否(&N)", question icon); true for Yes.
// Yes is the default button; closing the box answers No. An empty title shows the
// program's title.
bool askYesNo(QWidget *parent, const QString &text, const QString &title = kTitleHintDots);

// The same with No as the default button (Enter answers No); Esc answers No.
// For a question whose Yes gives up the user's work.
bool askYesNoDefaultNo(QWidget *parent, const QString &text, const QString &title = kTitleHintDots);

// Asks a Yes/No/Cancel question ("是(&Y)" / "否(&N)" / "取消", question icon). Yes is
// the default button; closing the box or Esc answers Cancel. An empty title shows
// the program's title.
Answer askYesNoCancel(QWidget *parent, const QString &text, const QString &title = kTitleHintDots);

// Replaces the responder (nullptr restores the real message boxes). Returns the previous one.
// The responder receives the title as shown (never empty).
MessageResponder *installMessageResponder(MessageResponder *responder);

// The text as a message box shows it: CR, CR LF and LF all become one line break.
QString displayText(const QString &text);

// Records every message and answers questions from one queue, in order: a Yes/No
// question takes No when the queue is empty (and for a queued Cancel), a
// Yes/No/Cancel question takes Cancel when the queue is empty.
// Scoped: responders nest and are destroyed in reverse order of construction.
class ScriptedResponder : public MessageResponder {
public:
    struct Shown {
        QString text;   // as the window passed it (carriage returns kept)
        QString title;  // as shown: the program's title when the window gave none
        bool isQuestion = false;
        bool hasCancel = false;   // a Yes/No/Cancel question
        bool defaultNo = false;   // No is the default button
    };

    ScriptedResponder();   // installs itself
    ~ScriptedResponder() override;  // restores the previous responder
    ScriptedResponder(const ScriptedResponder &) = delete;
    ScriptedResponder &operator=(const ScriptedResponder &) = delete;

    void answer(bool yes) { m_answers.append(yes ? Answer::Yes : Answer::No); }
    void answer(Answer a) { m_answers.append(a); }
    const QList<Shown> &shown() const { return m_shown; }
    QStringList texts() const;
    Shown last() const { return m_shown.isEmpty() ? Shown{} : m_shown.last(); }
    void clear() { m_shown.clear(); }

    void notice(QWidget *parent, const QString &text, const QString &title) override;
    bool question(QWidget *parent, const QString &text, const QString &title) override;
    bool questionDefaultNo(QWidget *parent, const QString &text, const QString &title) override;
    Answer questionWithCancel(QWidget *parent, const QString &text, const QString &title) override;

private:
    QList<Shown> m_shown;
    QList<Answer> m_answers;
    MessageResponder *m_previous = nullptr;
};

} // namespace tessaly
