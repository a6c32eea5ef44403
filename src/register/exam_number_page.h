#pragma once
// The exam-number page of a class: each student's 学籍号 (or its last four
// characters), optionally after the name, laid out in lines as a plain-text
// document for the print page, to be cut apart or printed on labels.
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

namespace tessaly::reg {

// What an entry holds: the name before the number, the last four characters
// instead of the whole number.
struct ExamNumberChoice {
    bool withName = true;   // 打印姓名
    bool lastFour = true;   // 打印学籍后四位
};

// Entries per line and blanks between two entries of a line: name and last four
// 5 / 4, name and whole number 4 / 4, last four alone 10 / 4, whole number alone 7 / 3.
struct ExamNumberLayout {
    int perLine;
    int gap;
};
ExamNumberLayout examNumberLayout(const ExamNumberChoice &choice);

struct ExamNumberStudent {
    QString name;            // a null 姓名 is empty
    QString studentNumber;   // 学籍号
};

// The columns the class query reads, and the students of such records.
inline const QStringList kExamNumberColumns = {QStringLiteral("姓名"), QStringLiteral("学籍号")};
QList<ExamNumberStudent> examNumberStudents(const QVector<QVector<QVariant>> &records);

// The name as an entry starts: padded with blanks to 8 GBK bytes; a wider name
// is kept whole and followed by one blank.
QString examNumberName(const QString &name);

// The page: 24 blanks and the title (the grade group's first four characters,
// the class, "考试编号 (共n人)"), an empty line, the entries in lines with an
// empty line after each full line, then an empty line and the closing note.
// Lines end in CR LF.
QString examNumberPage(const QString &gradeGroup, const QString &className, const QString &classCode,
                       const QList<ExamNumberStudent> &students, const ExamNumberChoice &choice);

inline const QString kExamNumberNote = QStringLiteral(
    "    可将本页纸，剪开分给学生，为防止学生写错考号，也可用不干胶纸打印出来分给学生，学生只要在考卷上一贴，"
    "就OK了，这样在教师登分时也就不易出错了。");

} // namespace tessaly::reg
