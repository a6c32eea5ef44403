#pragma once
// 打印学籍调查表 (caption "学籍调查表"): the register survey of a class.
//
// Choose a grade group (gradeGroupCombo) and a class (classCombo): the class's register
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

    QLabel *titleLabel = nullptr;          // 打印学籍调查表
    QLabel *purposeLabel = nullptr;          // what the survey is for
    QLabel *choosePrompt = nullptr;           // 请选择年级组及班级
    QLabel *sheetHeading = nullptr;           // 学生学籍调查表
    QComboBox *gradeGroupCombo = nullptr;       // grade group
    QComboBox *classCombo = nullptr;       // class
    FlexGrid *surveyGrid = nullptr;         // the survey grid
    QPushButton *printButton = nullptr;   // 打印
    QPushButton *closeButton = nullptr;   // 关闭

    // The survey grid's rows, grid row r showing row r - 1.
    const QList<reg::SurveyRow> &surveyRows() const { return m_rows; }

public slots:
    void Form_Load() override;
    void gradeGroupChosen();
    void classChosen();
    void FillSurveyGrid(const QVector<QVector<QVariant>> &members);
    void printClicked();   // ExportSurveySheet
    void closeClicked();

private:
    void clearGrid();
    std::unique_ptr<ClassChoice> m_choice;   // grade group → class
    QString m_classCode;
    QList<reg::SurveyRow> m_rows;
};

} // namespace tessaly
