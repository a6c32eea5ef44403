#pragma once
// 打印学籍调查表 (caption "学籍调查表"): the register survey of a class.
//
// Choose a grade group (Combo1) and a class (Combo2): the class's register
// columns fill the read-only survey grid (nobody signs in here). "打印" writes the
// register sheet into a new workbook and opens it for the user. The window only
// reads the database.
//
// The rules are in survey_sheet.h.
#include "kit/class_choice.h"
#include "kit/window_base.h"
#include "register/survey_sheet.h"

#include <QList>
#include <memory>
#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;

namespace tessaly {

class FlexGrid;

class SurveySheetWindow : public QWidget, public FormWindow {
    Q_OBJECT
public:
    explicit SurveySheetWindow(WindowHost &host, QWidget *parent = nullptr);

    QSize sizeHint() const override;

    QLabel *Label4 = nullptr;          // 打印学籍调查表
    QLabel *Label1 = nullptr;          // what the survey is for
    QLabel *Text1 = nullptr;           // 请选择年级组及班级
    QLabel *Text3 = nullptr;           // 学生学籍调查表
    QComboBox *Combo1 = nullptr;       // grade group
    QComboBox *Combo2 = nullptr;       // class
    FlexGrid *Grid1 = nullptr;         // the survey grid
    QPushButton *Command1 = nullptr;   // 打印
    QPushButton *Command2 = nullptr;   // 关闭

    // The survey grid's rows, grid row r showing row r - 1.
    const QList<reg::SurveyRow> &surveyRows() const { return m_rows; }

public slots:
    void Form_Load() override;
    void Combo1_Click();
    void Combo2_Click();
    void FillSurveyGrid(const QVector<QVector<QVariant>> &members);
    void Command1_Click();   // ExportSurveySheet
    void Command2_Click();

private:
    void clearGrid();
    std::unique_ptr<ClassChoice> m_choice;   // grade group → class
    QString m_classCode;
    QList<reg::SurveyRow> m_rows;
};

} // namespace tessaly
