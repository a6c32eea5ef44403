#pragma once
// The key-student sheet of 薄弱学科查询: up to ten students holding a run of
// class ranks by raw total from a start rank, each in a panel with a bar per
// subject of the last analysis against the class average.
#include "grade_analysis/weak_subjects.h"
#include "widgets/chart_surface.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace tessaly::grades {

inline constexpr int kKeyPanels = 10;

// The students (indices in class order) for ranks start .. min(start + 9, N):
// every student of a rank, in class order, until ten are found. When fewer than
// ten are found, `rangeLine` is "显示" + class + start + "—" + (start + panels - 1) + "名";
// with ten it is empty (the line keeps its text).
struct KeyStudentPick {
    QVector<int> students;
    QString rangeLine;
};
KeyStudentPick pickKeyStudents(const QStringList &rawRanks, int start, const QString &className);

// The start rank typed into Text2: digits only, at most this many.
inline constexpr int kStartRankDigits = 4;

// The sheet (Picture3, 11500 x 18900 twips) as it opens: title, rules, the date
// line Label7 77, the range line Label7 75 and the ten panels, hidden.
chart::ChartFrame designKeySheet();
// The panel's position on the sheet: two columns, five rows.
QPoint keyPanelOrigin(int panel);
// Shows the date line "制表时间:" + date.
void setKeySheetDate(chart::ChartFrame &sheet, const QString &date);
// Hides every panel.
void hideKeyPanels(chart::ChartFrame &sheet);

// One key student in panel f: caption "第t名(name)", the name line and a bar per
// subject of the analysis (`selected` into the matrix). A subject without a score
// is drawn as 0, captioned with "无成绩" and tipped "得0分".
struct KeyStudent {
    int student = 0;      // index in class order
    QString name;
    QString rankText;     // the raw rank as the grid shows it
};
void fillKeyPanel(chart::ChartFrame &sheet, int panel, const KeyStudent &student,
                  const QVector<SubjectScores> &matrix, const QVector<int> &selected, const QString &className);

} // namespace tessaly::grades
