#include "kit/sign_in_toggle.h"

#include "school/account_row.h"
#include "kit/save_report.h"
#include "kit/selection.h"
#include "kit/window_steps.h"
#include "widgets/messages.h"
#include "kit/window_host.h"
#include "school/school_tables.h"

#include <QAbstractButton>
#include <QComboBox>
#include <memory>

namespace tessaly {

namespace {

// Puts the password stored now in the account's row into the account. Returns
// the refusal to show when it cannot be read, empty when it was read.
QString readStoredPassword(Account &a, const QString &databasePath, SignInToggle::Kind kind)
{
    const school::AccountLookup account = school::lookUpAccount(databasePath, a.name, a.id);
    if (account.status == school::AccountLookup::Found) {
        a.password = account.password;
        return QString();
    }
    a.password.clear();
    if (account.status == school::AccountLookup::DatabaseError)
        return kDataErrorPrefix + account.errorText;
    return kind == SignInToggle::Kind::Teacher
               ? QStringLiteral("找不到任课教师(%1)的账户数据，可能已被教导处删除或修改，请重新选择学科。").arg(a.name)
               : QStringLiteral("找不到班主任(%1)的账户数据，可能已被教导处删除或修改，请重新选择班级。").arg(a.name);
}

} // namespace

SignInToggle::SignInToggle(Kind kind, QAbstractButton *button, WindowHost &host, const QString &databasePath,
                           QWidget *window)
    : SignInToggle(kind, button, host, window)
{
    m_databasePath = databasePath;
}

SignInToggle::SignInToggle(Kind kind, QAbstractButton *button, WindowHost &host, QWidget *window)
    : QObject(window), m_kind(kind), m_button(button), m_host(host), m_window(window)
{
    m_button->setText(signedOutCaption(kind));
    connect(m_button, &QAbstractButton::clicked, this, &SignInToggle::click);
    connect(host.session().events.get(), &SignInEvents::signInChanged, this, &SignInToggle::followSignIn);
}

QString SignInToggle::databasePath() const
{
    return m_databasePath.value_or(m_host.session().openpath);
}

QString SignInToggle::signedOutCaption(Kind kind)
{
    switch (kind) {
    case Kind::Admin:
        return QStringLiteral("管理员 登陆(&K)");
    case Kind::HeadTeacher:
        return QStringLiteral("班主任登陆 修改(&K)");
    case Kind::Teacher:
        return QStringLiteral("请任课教师 登陆(&K)");
    }
    return QString();
}

QString SignInToggle::signedInCaption(Kind kind)
{
    switch (kind) {
    case Kind::Admin:
        return QStringLiteral("管理员退出登陆(&K)");
    case Kind::HeadTeacher:
        return QStringLiteral("退出登陆 修改(&K)");
    case Kind::Teacher:
        return QStringLiteral("任课教师退出登陆(&K)");
    }
    return QString();
}

void SignInToggle::setEditors(const QList<QWidget *> &editors)
{
    m_editors.clear();
    for (QWidget *w : editors)
        m_editors.append(w);
    const bool on = isSignedIn();
    for (const auto &w : m_editors) {
        if (w)
            w->setEnabled(on);
    }
}

void SignInToggle::setChoices(QComboBox *gradeGroup, QComboBox *klass, QComboBox *subject)
{
    m_gradeGroup = gradeGroup;
    m_class = klass;
    m_subject = subject;
}

void SignInToggle::setChecks(const QList<Check> &checks)
{
    m_checks = checks;
    m_customChecks = true;
}

QList<SignInToggle::Check> SignInToggle::standardChecks() const
{
    QList<Check> checks;
    const auto empty = [](const QPointer<QComboBox> &combo) {
        return [combo] { return combo && combo->currentText().isEmpty(); };
    };
    const auto text = [](const QString &t) { return [t] { return t; }; };
    const Account *s = &m_candidate;
    // The password tested and signed in against is the one stored now, never a
    // copy the window kept since the account was chosen.
    const auto refusal = std::make_shared<QString>();
    const Check readStored{[this, refusal, kind = m_kind] {
                               *refusal = readStoredPassword(m_candidate, databasePath(), kind);
                               return !refusal->isEmpty();
                           },
                           [refusal] { return *refusal; }};
    switch (m_kind) {
    case Kind::Admin:
        break;
    case Kind::HeadTeacher:
        checks << Check{empty(m_gradeGroup), text(QStringLiteral("请选择一个年级组。"))}
               << Check{empty(m_class), text(QStringLiteral("请至少选择一个班级。"))}
               << Check{[s] { return s->name.isEmpty(); },
                        text(QStringLiteral("没有班主任名,请教导处添加后,才能修改。"))}
               << readStored
               << Check{[s] { return s->password.isEmpty(); },
                        text(QStringLiteral("班主任还没定密码,请教导处添加,才能修改。"))};
        break;
    case Kind::Teacher:
        checks << Check{empty(m_gradeGroup), text(QStringLiteral("请选择一个年级组。"))}
               << Check{empty(m_class), text(QStringLiteral("请选择一个班级。"))}
               << Check{empty(m_subject), text(QStringLiteral("请选择一个学科。"))}
               << Check{[s] { return s->name.isEmpty(); },
                        text(QStringLiteral("本学科还没设定教师名,请教导处管理人员添加,之后才能进行输分。"))}
               << readStored
               << Check{[s] { return s->password.isEmpty(); }, [s] {
                            return QStringLiteral("任课教师(%1)还没定密码,请与教导处管理人员联系,添加后,才能输分。")
                                .arg(s->name);
                        }};
        break;
    }
    return checks;
}

bool SignInToggle::isSignedIn() const
{
    return m_button && m_button->text() == signedInCaption(m_kind);
}

void SignInToggle::show(bool signedIn)
{
    if (signedIn)
        m_signedInAs = m_candidate.name;
    if (m_button)
        m_button->setText(signedIn ? signedInCaption(m_kind) : signedOutCaption(m_kind));
    for (const auto &w : m_editors) {
        if (w)
            w->setEnabled(signedIn);
    }
    emit stateShown(signedIn);
}

Account SignInToggle::ownAccount() const
{
    if (m_account)
        return m_account();
    return m_kind == Kind::Admin ? Account{school::kAdminName, QString(), QString()} : Account{};
}

bool SignInToggle::ownAccountSignedIn() const
{
    const QString name = ownAccount().name;
    return !name.isEmpty() && m_host.session().denglu == name;
}

void SignInToggle::showState()
{
    m_candidate = ownAccount();
    show(ownAccountSignedIn());
}

bool SignInToggle::checksPass()
{
    const QList<Check> checks = m_customChecks ? m_checks : standardChecks();
    for (const Check &check : checks) {
        if (check.refuses && check.refuses()) {
            showNotice(m_window, check.message ? check.message() : QString(), kTitleHint);
            return false;
        }
    }
    return true;
}

void SignInToggle::endShownSignIn()
{
    show(false);
}

void SignInToggle::followSignIn(const QString &account)
{
    if (isSignedIn() && account != m_signedInAs)
        endShownSignIn();
}

bool SignInToggle::confirmSignedIn(const QString &refusal)
{
    const Session &s = m_host.session();
    if (isSignedIn() && !m_signedInAs.isEmpty() && s.denglu == m_signedInAs)
        return true;
    const QString account = m_account ? m_account().name : m_signedInAs;
    if (isSignedIn())
        endShownSignIn();
    if (!refusal.isEmpty()) {
        showNotice(m_window, refusal.contains(QLatin1String("%1")) ? refusal.arg(account) : refusal, kTitleHint);
        return false;
    }
    switch (m_kind) {
    case Kind::Admin:   // as the set-up windows refuse
        showNotice(m_window, QStringLiteral("请管理员先登陆,才能查看和修改。"));
        break;
    case Kind::HeadTeacher:
        showNotice(m_window, QStringLiteral("班主任(%1)没有登陆，修改没有保存。请登陆后再保存。").arg(account),
                   kTitleHint);
        break;
    case Kind::Teacher:
        showNotice(m_window, QStringLiteral("任课教师(%1)没有登陆，成绩没有保存。请登陆后再保存。").arg(account),
                   kTitleHint);
        break;
    }
    return false;
}

void SignInToggle::click()
{
    Session &s = m_host.session();
    if (isSignedIn()) {
        if (m_beforeSignOut && !m_beforeSignOut())
            return;
        endShownSignIn();
        s.setSignedIn(QString());
        return;
    }
    m_candidate = ownAccount();
    if (m_kind == Kind::Admin) {
        db::Connection c(databasePath());
        if (!c.ok()) {
            reportReadFailure(m_window, c.error());
            return;
        }
        if (LoadAdminAccount(c, m_candidate, m_window) != AdminAccount::Found)
            return;
    }
    if (!checksPass())
        return;
    if (runSignIn(m_host, m_candidate, databasePath()))
        show(true);
}

} // namespace tessaly
