#include "register/exam_number_page.h"

#include "workbook/gbk.h"
#include "school/class_code.h"

namespace tessaly::reg {

namespace {

constexpr int kNameBytes = 8;
const QString kLineBreak = QStringLiteral("\r\n");

QString textAt(const QVector<QVariant> &record, int i)
{
    return i < record.size() && !record[i].isNull() ? record[i].toString() : QString();
}

} // namespace

ExamNumberLayout examNumberLayout(const ExamNumberChoice &choice)
{
    if (choice.lastFour)
        return choice.withName ? ExamNumberLayout{5, 4} : ExamNumberLayout{10, 4};
    return choice.withName ? ExamNumberLayout{4, 4} : ExamNumberLayout{7, 3};
}

QList<ExamNumberStudent> examNumberStudents(const QVector<QVector<QVariant>> &records)
{
    QList<ExamNumberStudent> students;
    students.reserve(records.size());
    for (const auto &record : records)
        students.append({textAt(record, 0), textAt(record, 1)});
    return students;
}

QString examNumberName(const QString &name)
{
    return gbkByteWidth(name) > kNameBytes ? name + u' ' : PadToBytes(name, kNameBytes);
}

QString examNumberPage(const QString &gradeGroup, const QString &className, const QString &classCode,
                       const QList<ExamNumberStudent> &students, const ExamNumberChoice &choice)
{
    const ExamNumberLayout layout = examNumberLayout(choice);
    QString page = QString(24, u' ') + gradeGroup.left(4) + className + QStringLiteral("考试编号 (共")
        + QString::number(students.size()) + QStringLiteral("人)") + kLineBreak + kLineBreak;
    int onLine = 0;
    for (const ExamNumberStudent &s : students) {
        if (choice.withName)
            page += examNumberName(s.name);
        page += choice.lastFour ? school::shownId(classCode, s.studentNumber).right(4) : s.studentNumber;
        if (++onLine == layout.perLine) {
            page += kLineBreak + kLineBreak;
            onLine = 0;
        } else {
            page += QString(layout.gap, u' ');
        }
    }
    return page + kLineBreak + kLineBreak + kExamNumberNote;
}

} // namespace tessaly::reg
