#pragma once
// 打印考号 (caption "打印考号", modal): the exam-number page of a class.
//
// Choose a grade group (Combo1) and a class (Combo2), tick whether names go
// before the numbers (Check1) and whether only the last four characters of
// 学籍号 are printed (Check2); "确定" lays out the page, closes the window and
// hands the page to the print page. "确定" without a chosen class, or for a
// class without students, does nothing and the window stays open. The window
// only reads the database.
//
// The page is laid out by exam_number_page.h.
#include "kit/class_choice.h"
#include "kit/window_base.h"
#include "register/exam_number_page.h"

#include <QDialog>
#include <QList>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace tessaly {


class ExamNumberWindow : public QDialog, public FormWindow {
    Q_OBJECT
public:
    explicit ExamNumberWindow(WindowHost &host, QWidget *parent = nullptr);

    QList<QLabel *> lblLabels;        // 选年级组:, 选 班 级:
    QComboBox *Combo1 = nullptr;      // grade group
    QComboBox *Combo2 = nullptr;      // class
    QCheckBox *Check1 = nullptr;      // 打印姓名
    QCheckBox *Check2 = nullptr;      // 打印学籍后四位
    QList<QPushButton *> Command1;    // 0 确定, 1 取消

    // The chosen class's students; empty while no class is chosen.
    const QList<reg::ExamNumberStudent> &students() const { return m_students; }
    bool hasChosenClass() const { return m_chosen; }

public slots:
    void Form_Load() override;
    void Combo1_Click();
    void Combo2_Click();
    void Command1_Click(int index);   // 0 PrintExamNumbers, 1 closes

private:
    void PrintExamNumbers();
    std::unique_ptr<ClassChoice> m_choice;   // grade group → class
    bool m_chosen = false;
    QString m_gradeGroup;   // of the chosen class
    QString m_className;
    QString m_classCode;
    QList<reg::ExamNumberStudent> m_students;
};

} // namespace tessaly
