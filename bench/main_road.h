#pragma once
// The operations of a school's main road on one class of a large school, as the
// windows run them and as bare SQLite work: the windows opened on the class and
// the engine's share of each operation, issued directly through the C API.
//
// The class is 三年级组 二班 of 小学 on 2025-10-15 (class code 202302): the large
// school gives it 60 students when every class has 60.
#include "app/main_window.h"
#include "os/clock.h"
#include "widgets/messages.h"
#include "school/class_code.h"

#include <QComboBox>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTreeWidget>
#include <sqlite3.h>
#include <vector>

namespace tessaly {
class RegisterWindow;
class ScriptedFileChooser;
class ScoreEntryWindow;
} // namespace tessaly

namespace tessaly::bench {

inline const QString kRoadTable = QStringLiteral("小学");
inline const QString kRoadGrade = QStringLiteral("三年级组");
inline const QString kRoadClass = QStringLiteral("二班");
inline const QString kRoadSubject = QStringLiteral("语文");
inline const QDate kRoadToday(2025, 10, 15);

// The class code of the road's class.
QString roadClassCode();

// Chooses `text` in a combo box as a click does.
void choose(QComboBox *combo, const QString &text);

// The main window shown on the file on the road's day, and one of its windows opened.
template <typename Window>
Window *openOnRoad(MainWindow &main, const QString &dbPath, QStringView name)
{
    main.show();
    main.session().openpath = dbPath;
    main.session().today = fixedToday(kRoadToday);
    return qobject_cast<Window *>(main.showWindow(name));
}

// A grade-group window (its class tree groupTree, its exams examCombo) with `group`
// clicked and the first mid-term chosen; null when the group is not in the tree.
template <typename Window>
Window *chooseFirstMidTerm(Window *w, const QString &group)
{
    const QList<QTreeWidgetItem *> found = w->groupTree->findItems(group, Qt::MatchExactly);
    if (found.isEmpty())
        return nullptr;
    w->groupNodeClicked(found.first());
    for (int i = 0; i < w->examCombo->count(); ++i) {
        if (w->examCombo->itemText(i).endsWith(QStringLiteral("期中成绩"))) {
            w->examCombo->setCurrentIndex(i);
            break;
        }
    }
    w->examChosen();
    return w;
}

// The register window (学籍管理) on the road's class, its head teacher signed in.
struct RegisterOnClass {
    explicit RegisterOnClass(const QString &dbPath);
    MainWindow main;
    ScriptedResponder responder;
    RegisterWindow *w = nullptr;
};

// The score-entry window on the road's class and subject, the subject's last exam
// open (lastExam is its index in Combo5).
struct ScoreEntryOnClass {
    explicit ScoreEntryOnClass(const QString &dbPath);
    MainWindow main;
    ScriptedResponder responder;
    ScoreEntryWindow *w = nullptr;
    int lastExam = -1;
};

// A fresh import of `roster` through the register window and its save, as the head
// teacher clicks it: 浏览 (answered by `chooser`), the sheet 花名册, every field bound
// to its column, 全新导入, 导入开始, 确定, 保存修改 (which reloads the class). False when
// the save was refused.
bool freshImportAndSave(RegisterWindow *w, ScriptedFileChooser &chooser, const QString &roster);

// The headers of the roster written by writeRoster, one per register field it fills.
const QStringList &rosterHeaders();

// Writes folder/roster-N.xlsx, a roster of `students` with every field; its path.
QString writeRoster(const QString &folder, int students);

// The mid-term of a section table: its first mid-term's columns, one per subject,
// in column order.
QStringList firstMidTerm(const QStringList &columns);

// An SQLite connection opened read-write on a file, closed on destruction. On the
// program folder's database (the change queue's file, see db::setChangeQueueFile)
// its writes to the road's table queue their rows as the program's connections do.
class SqliteFile {
public:
    explicit SqliteFile(const QString &path);
    ~SqliteFile();
    SqliteFile(const SqliteFile &) = delete;
    SqliteFile &operator=(const SqliteFile &) = delete;
    sqlite3 *db() const { return m_db; }

private:
    sqlite3 *m_db = nullptr;
};

// ---- The bare engine work of each operation ------------------------------------

// Prepares `q`, binds its values as text and steps through every value of every
// row; the number of rows.
int bareSelect(sqlite3 *db, const school::Statement &q);

// Opens the file, and in one transaction sets `column` of the rows `ids` to 40, 41, …
// through one prepared UPDATE; closes the file.
void bareSaveScores(const QString &path, const QString &table, const QString &column, const QList<qint64> &ids);

// The figures of the statistics panel asked of the engine over the class's stored
// scores of `exam`: counts per level and the total in one query, the ranks in another.
// The number of ranked students.
int bareStatistics(sqlite3 *db, const QString &table, const QString &classCode, const QString &exam);

// A fresh import's work: the roster read cell by cell, then in one transaction the
// class's rows deleted and one row per roster line inserted. False when the roster
// cannot be read.
bool bareFreshImport(sqlite3 *db, const QString &roster, const QString &table, const QString &classCode);

// An export's work: the texts written into a new .xlsx with libxlsxwriter, a title
// line first. False when the file cannot be written.
bool bareExport(const QString &path, const QList<QList<QByteArray>> &cells);

// Every row of `q`, bound as bareSelect does, its values read as doubles (NaN for
// NULL).
std::vector<std::vector<double>> bareDoubles(sqlite3 *db, const school::Statement &q);

// The rank of each value: 1 plus the number of values strictly greater, through
// one sort; 0 for NaN.
std::vector<int> bareRanks(const std::vector<double> &values);

// A development trend's work on a class: its students' exam columns read (the
// first `columns` of classMembersQuery), each exam's total per student summed over
// its subjects and ranked. The number of exams.
int bareTrend(sqlite3 *db, const QString &table, const QString &classCode, const QStringList &columns);

// A grade group's scores in one exam (its cohort's rows, the class code and the
// exam's columns read), then per class and subject the participants, average,
// highest, lowest, passes and excellents, and per student the total with its
// class and grade ranks. The number of students.
int bareGradeExam(sqlite3 *db, const QString &table, const QString &cohort, const QStringList &exam);

// A class's scores in each exam of one subject: read, then each exam's average
// and each student's ranks. The number of exams.
int bareSubjectExams(sqlite3 *db, const QString &table, const QString &classCode, const QStringList &exams);

// Opening a connection on the file as a window does: the file opened, the
// schema read by preparing a statement on `table`, then closed.
void bareOpen(const QString &path, const QString &table);

} // namespace tessaly::bench
