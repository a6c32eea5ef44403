#pragma once
// 打印考号 (caption "打印考号", modal): the exam-number page of a class.
//
// Choose a grade group (gradeGroupCombo) and a class (classCombo), tick whether names go
// before the numbers (printNameCheck) and whether only the last four characters of
// 学籍号 are printed (lastFourCheck); "确定" lays out the page, closes the window and
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

    QList<QLabel *> captionLabels;        // 选年级组:, 选 班 级:
    QComboBox *gradeGroupCombo = nullptr;      // grade group
    QComboBox *classCombo = nullptr;      // class
    QCheckBox *printNameCheck = nullptr;      // 打印姓名
    QCheckBox *lastFourCheck = nullptr;      // 打印学籍后四位
    QList<QPushButton *> buttons;    // 0 确定, 1 取消

    // The chosen class's students; empty while no class is chosen.
    const QList<reg::ExamNumberStudent> &students() const { return m_students; }
    bool hasChosenClass() const { return m_chosen; }

public slots:
    void Form_Load() override;
    void gradeGroupChosen();
    void classChosen();
    void buttonClicked(int index);   // 0 PrintExamNumbers, 1 closes

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
