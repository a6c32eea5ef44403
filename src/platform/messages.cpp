// Placeholder message service so this branch links; the real one replaces it.
#include "platform/messages.h"

#include <QMessageBox>
#include <QStringList>

namespace tessaly {

namespace {
MessageResponder *g_responder = nullptr;

QString shownTitle(const QString &title)
{
    return title.isEmpty() ? kProgramTitle : title;
}
} // namespace

QString displayText(const QString &text)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

void showNotice(QWidget *parent, const QString &text, const QString &title)
{
    if (g_responder) {
        g_responder->notice(parent, text, shownTitle(title));
        return;
    }
    QMessageBox::information(parent, shownTitle(title), displayText(text));
}

bool askYesNo(QWidget *parent, const QString &text, const QString &title)
{
    if (g_responder)
        return g_responder->question(parent, text, shownTitle(title));
    return QMessageBox::question(parent, shownTitle(title), displayText(text),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

MessageResponder *installMessageResponder(MessageResponder *responder)
{
    MessageResponder *previous = g_responder;
    g_responder = responder;
    return previous;
}

ScriptedResponder::ScriptedResponder()
{
    m_previous = installMessageResponder(this);
}

ScriptedResponder::~ScriptedResponder()
{
    installMessageResponder(m_previous);
}

QStringList ScriptedResponder::texts() const
{
    QStringList out;
    for (const Shown &s : m_shown)
        out << s.text;
    return out;
}

void ScriptedResponder::notice(QWidget *, const QString &text, const QString &title)
{
    m_shown.append({text, title, false});
}

bool ScriptedResponder::question(QWidget *, const QString &text, const QString &title)
{
    m_shown.append({text, title, true});
    return m_answers.isEmpty() ? false : m_answers.takeFirst();
}

} // namespace tessaly
