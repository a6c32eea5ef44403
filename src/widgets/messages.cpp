#include "widgets/messages.h"

#include <QMessageBox>
#include <QPushButton>

#include <memory>

namespace tessaly {

namespace {

MessageResponder *g_responder = nullptr;

QString shownTitle(const QString &title)
{
    return title.isEmpty() ? kProgramTitle : title;
}

QMessageBox *makeBox(QWidget *parent, const QString &text, const QString &title)
{
    auto *box = new QMessageBox(parent);
    box->setWindowTitle(title);
    // Plain text: a '<' in a name must not switch the box to rich text, and blanks
    // at the start of a line stay where they are.
    box->setTextFormat(Qt::PlainText);
    box->setText(displayText(text));
    return box;
}

void realNotice(QWidget *parent, const QString &text, const QString &title)
{
    std::unique_ptr<QMessageBox> box(makeBox(parent, text, title));
    box->setIcon(QMessageBox::NoIcon);
    QPushButton *ok = box->addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
    box->setDefaultButton(ok);
    box->setEscapeButton(ok);
    box->exec();
}

bool realQuestion(QWidget *parent, const QString &text, const QString &title, bool defaultNo = false)
{
    std::unique_ptr<QMessageBox> box(makeBox(parent, text, title));
    box->setIcon(QMessageBox::Question);
    QPushButton *yes = box->addButton(QStringLiteral("是(&Y)"), QMessageBox::YesRole);
    QPushButton *no = box->addButton(QStringLiteral("否(&N)"), QMessageBox::NoRole);
    box->setDefaultButton(defaultNo ? no : yes);
    // Closing the box or pressing Esc answers No.
    box->setEscapeButton(no);
    box->exec();
    return box->clickedButton() == yes;
}

Answer realQuestionWithCancel(QWidget *parent, const QString &text, const QString &title)
{
    std::unique_ptr<QMessageBox> box(makeBox(parent, text, title));
    box->setIcon(QMessageBox::Question);
    QPushButton *yes = box->addButton(QStringLiteral("是(&Y)"), QMessageBox::YesRole);
    QPushButton *no = box->addButton(QStringLiteral("否(&N)"), QMessageBox::NoRole);
    QPushButton *cancel = box->addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    box->setDefaultButton(yes);
    box->setEscapeButton(cancel);
    box->exec();
    if (box->clickedButton() == yes)
        return Answer::Yes;
    return box->clickedButton() == no ? Answer::No : Answer::Cancel;
}

} // namespace

QString displayText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r')) {
            out += QLatin1Char('\n');
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else {
            out += c;
        }
    }
    return out;
}

void showNotice(QWidget *parent, const QString &text, const QString &title)
{
    const QString shown = shownTitle(title);
    if (g_responder)
        g_responder->notice(parent, text, shown);
    else
        realNotice(parent, text, shown);
}

bool askYesNo(QWidget *parent, const QString &text, const QString &title)
{
    const QString shown = shownTitle(title);
    if (g_responder)
        return g_responder->question(parent, text, shown);
    return realQuestion(parent, text, shown);
}

bool askYesNoDefaultNo(QWidget *parent, const QString &text, const QString &title)
{
    const QString shown = shownTitle(title);
    if (g_responder)
        return g_responder->questionDefaultNo(parent, text, shown);
    return realQuestion(parent, text, shown, true);
}

Answer askYesNoCancel(QWidget *parent, const QString &text, const QString &title)
{
    const QString shown = shownTitle(title);
    if (g_responder)
        return g_responder->questionWithCancel(parent, text, shown);
    return realQuestionWithCancel(parent, text, shown);
}

MessageResponder *installMessageResponder(MessageResponder *responder)
{
    MessageResponder *previous = g_responder;
    g_responder = responder;
    return previous;
}

ScriptedResponder::ScriptedResponder()
    : m_previous(installMessageResponder(this))
{
}

ScriptedResponder::~ScriptedResponder()
{
    // Restore only when still installed, so a responder destroyed out of order
    // does not reinstate one that is already gone.
    if (g_responder == this)
        installMessageResponder(m_previous);
}

QStringList ScriptedResponder::texts() const
{
    QStringList out;
    out.reserve(m_shown.size());
    for (const Shown &s : m_shown)
        out.append(s.text);
    return out;
}

void ScriptedResponder::notice(QWidget *, const QString &text, const QString &title)
{
    m_shown.append({text, shownTitle(title), false});
}

bool ScriptedResponder::question(QWidget *, const QString &text, const QString &title)
{
    m_shown.append({text, shownTitle(title), true});
    return !m_answers.isEmpty() && m_answers.takeFirst() == Answer::Yes;
}

bool ScriptedResponder::questionDefaultNo(QWidget *, const QString &text, const QString &title)
{
    Shown shown{text, shownTitle(title), true};
    shown.defaultNo = true;
    m_shown.append(shown);
    return !m_answers.isEmpty() && m_answers.takeFirst() == Answer::Yes;
}

Answer ScriptedResponder::questionWithCancel(QWidget *, const QString &text, const QString &title)
{
    m_shown.append({text, shownTitle(title), true, true});
    return m_answers.isEmpty() ? Answer::Cancel : m_answers.takeFirst();
}

} // namespace tessaly
