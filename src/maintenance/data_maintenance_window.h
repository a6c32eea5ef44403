#pragma once
// 系统数据安全维护 (caption "管理员维护系统数据安全"): in network mode, lists the
// exams of the server database's section tables with a tick each (ticked: locked,
// "确定(&S)" stores the ticks), and the database files of the server's data
// folder, which the administrator backs up, deletes or puts in use.
// Outside network mode the window says why it cannot work and stays inert.
#include "kit/window_base.h"
#include "maintenance/lockable_exams.h"

#include <QMap>
#include <QVector>
#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;

namespace tessaly {

class SignInToggle;

class DataMaintenanceWindow : public QWidget, public FormWindow {
    Q_OBJECT
public:
    explicit DataMaintenanceWindow(WindowHost &host, QWidget *parent = nullptr);

    QMap<int, QLabel *> titleLabels;        // 1: the exam list's title, 0: the backup side's title
    QMap<int, QLabel *> noteLabels;        // 0: what a tick means, 1: "现存备份数据库"
    QListWidget *examList = nullptr;      // exams, a tick each
    QPushButton *signInButton = nullptr;   // administrator sign-in toggle
    QPushButton *saveLocksButton = nullptr;   // 确定(&S)
    QPushButton *closeButton = nullptr;   // 取消(&C)
    QListWidget *backupList = nullptr;      // the data folder's .mdb files
    QPushButton *backUpButton = nullptr;   // 备份现在数据库(&B)
    QPushButton *deleteBackupButton = nullptr;   // 删除选中数据库(&B)
    QPushButton *useBackupButton = nullptr;   // 使用选中数据库(&B)

    // Parallel to examList: the table and column of each item.
    const QVector<LockableExam> &lockableExams() const { return m_exams; }

public slots:
    void Form_Load() override;   // BuildLockableExamList
    void saveLocksClicked();   // stores the ticked exams as the locks
    void closeClicked();
    void backUpClicked();   // backs up the server database
    void deleteBackupClicked();   // deletes the chosen copy
    void useBackupClicked();   // puts the chosen copy in use

private:
    // Fills examList from the database at openpath, stored locks ticked.
    void listExams(db::Connection &c);
    // Fills backupList with the data folder's .mdb files; selects `select` when given.
    void listFiles(const QString &select = QString());
    QString dataFolder() const;
    // The chosen copy's name, or empty after telling the user to choose one.
    QString chosenFile();

    SignInToggle *m_toggle = nullptr;
    QVector<LockableExam> m_exams;
};

} // namespace tessaly
